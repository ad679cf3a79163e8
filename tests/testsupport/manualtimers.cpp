#include "testsupport/manualtimers.h"

#include "testsupport/fakes.h"

#include <QCoreApplication>
#include <QEvent>

namespace kemoro::test {

class ManualTimers::Timer final : public FlowTimer
{
public:
    Timer(ManualTimers &source, int intervalMs, bool singleShot, QObject *parent)
        : FlowTimer(parent), m_source(source), m_interval(intervalMs), m_singleShot(singleShot)
    {
    }
    void start() override
    {
        m_active = true;
        m_due = m_source.m_now + m_interval;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    int interval() const override { return m_interval; }

    ManualTimers &m_source;
    int m_interval;
    bool m_singleShot;
    bool m_active = false;
    qint64 m_due = 0;
};

FlowTimer *ManualTimers::create(int intervalMs, bool singleShot, QObject *parent)
{
    auto *timer = new Timer(*this, intervalMs, singleShot, parent);
    m_timers.append(timer);
    return timer;
}

void ManualTimers::moveTo(qint64 at)
{
    if (m_clock && at > m_now) m_clock->advanceMs(at - m_now);
    m_now = std::max(m_now, at);
}

void ManualTimers::advance(qint64 ms)
{
    const qint64 target = m_now + ms;
    for (;;) {
        m_timers.removeIf([](const QPointer<Timer> &t) { return t.isNull(); });
        Timer *next = nullptr;
        for (const QPointer<Timer> &t : std::as_const(m_timers))
            if (t->m_active && t->m_due <= target && (!next || t->m_due < next->m_due)) next = t;
        if (!next) break;
        moveTo(next->m_due);
        if (next->m_singleShot)
            next->m_active = false;
        else
            next->m_due += std::max(1, next->m_interval);
        emit next->timeout();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    moveTo(target);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int ManualTimers::active() const
{
    int n = 0;
    for (const QPointer<Timer> &t : m_timers)
        if (t && t->m_active) ++n;
    return n;
}

} // namespace kemoro::test
