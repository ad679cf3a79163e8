#pragma once

#include "platform/messages.h"

#include <QApplication>
#include <QList>
#include <QString>
#include <QWidget>

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
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }

    QList<Shown> shown;
    std::deque<Answer> answers;
};

// The control of a screen by its control name, with a warning naming it when
// it is missing (a QCOMPARE on a null pointer would only crash).
template <typename T> T *child(QWidget *screen, const QString &name)
{
    T *found = screen ? screen->findChild<T *>(name) : nullptr;
    if (!found) qWarning("no control %s", qPrintable(name));
    return found;
}

// The open screen of type T: a top-level window of that class that is shown
// (a screen the navigator closed is hidden at once and deleted later).
template <typename T> T *openScreen()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (T *screen = qobject_cast<T *>(w); screen && screen->isVisible()) return screen;
    return nullptr;
}

} // namespace kemoro::test
