#include "platform/timers.h"

#include <QTimer>

namespace kemoro {

namespace {

class QtFlowTimer final : public FlowTimer
{
public:
    QtFlowTimer(int intervalMs, bool singleShot, QObject *parent) : FlowTimer(parent)
    {
        m_timer.setInterval(intervalMs);
        m_timer.setSingleShot(singleShot);
        connect(&m_timer, &QTimer::timeout, this, &FlowTimer::timeout);
    }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    int interval() const override { return m_timer.interval(); }

private:
    QTimer m_timer;
};

} // namespace

void TimerSource::singleShot(int ms, QObject *context, std::function<void()> then)
{
    FlowTimer *timer = create(ms, true, context);
    QObject::connect(timer, &FlowTimer::timeout, context, [timer, then = std::move(then)] {
        timer->deleteLater();
        then();
    });
    timer->start();
}

FlowTimer *QtTimerSource::create(int intervalMs, bool singleShot, QObject *parent)
{
    return new QtFlowTimer(intervalMs, singleShot, parent);
}

} // namespace kemoro
