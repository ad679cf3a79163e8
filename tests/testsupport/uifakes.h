#pragma once

#include "platform/messages.h"

#include <QList>
#include <QString>

#include <deque>

namespace kemoro::test {

// Answers message boxes from a queue (default: OK / Yes) and remembers them.
class ScriptedMessages final : public Messages
{
public:
    struct Shown
    {
        QString title;
        QString text;
        Buttons buttons;
    };

    Answer show(QWidget *, const QString &title, const QString &text, Buttons buttons) override
    {
        shown.append({title, text, buttons});
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }

    QList<Shown> shown;
    std::deque<Answer> answers;
};

} // namespace kemoro::test
