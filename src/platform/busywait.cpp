#include "platform/busywait.h"

#include "platform/timers.h"
#include "platform/widgets.h"

#include <QEventLoop>
#include <QLabel>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace kemoro::ui {

QString waitingForOtherComputerText()
{
    return u"ほかのコンピューターが記録中です。お待ちください。"_s;
}

namespace {
void sayWaiting(QLabel *label)
{
    if (label) {
        label->setText(waitingForOtherComputerText());
        label->show();
        label->raise();
    }
}
} // namespace

WaitFunction waitForOtherComputer(QLabel *notice, TimerSource *timers)
{
    static QtTimerSource eventLoopTimers;
    if (!timers) timers = &eventLoopTimers;
    QPointer<QLabel> label(notice);
    return [label, timers](int seconds) {
        sayWaiting(label);
        // The caller reads on once the wait returns, so it runs to its end
        // here with window events going on meanwhile.
        QEventLoop loop;
        FlowTimer *timer = timers->create(seconds * 1000, true, &loop);
        QObject::connect(timer, &FlowTimer::timeout, &loop, &QEventLoop::quit);
        timer->start();
        loop.exec();
        return true;
    };
}

} // namespace kemoro::ui
