#pragma once

#include "platform/timers.h"

#include <QList>
#include <QPointer>

namespace kemoro::test {

class FakeClock;

// Timers that fire only when the test moves time on, with the fake clock
// moving alongside, so the screens' one-second waits take no time at all.
class ManualTimers final : public TimerSource
{
public:
    explicit ManualTimers(FakeClock *clock = nullptr) : m_clock(clock) {}

    FlowTimer *create(int intervalMs, bool singleShot, QObject *parent) override;

    // Moves time on by `ms`: every timer that falls due on the way fires in
    // the order of its time, and the events it posts (deferred deletions
    // included) run before the next one.
    void advance(qint64 ms);
    // Timers that are running now.
    int active() const;
    qint64 elapsed() const { return m_now; }

private:
    class Timer;
    void moveTo(qint64 at);

    FakeClock *m_clock;
    qint64 m_now = 0;
    QList<QPointer<Timer>> m_timers;
};

} // namespace kemoro::test
