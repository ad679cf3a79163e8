#include "platform/busywait.h"

#include "platform/widgets.h"

#include <QLabel>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace kemoro::ui {

QString waitingForOtherComputerText()
{
    return u"ほかのコンピューターが記録中です。お待ちください。"_s;
}

WaitFunction waitForOtherComputer(QLabel *notice)
{
    QPointer<QLabel> label(notice);
    return [label](int seconds) {
        if (label) {
            label->setText(waitingForOtherComputerText());
            label->show();
            label->raise();
        }
        waitWithEvents(seconds * 1000);
        return true;
    };
}

} // namespace kemoro::ui
