#pragma once

#include <QString>

class QWidget;

namespace kemoro {

// Message boxes come through this interface, so tests can answer them and see
// what was asked.
class Messages
{
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Messages() = default;
    virtual Answer show(QWidget *parent, const QString &title, const QString &text, Buttons buttons) = 0;

    void inform(QWidget *parent, const QString &title, const QString &text)
    {
        show(parent, title, text, Buttons::Ok);
    }
};

class QtMessages final : public Messages
{
public:
    Answer show(QWidget *parent, const QString &title, const QString &text, Buttons buttons) override;
};

} // namespace kemoro
