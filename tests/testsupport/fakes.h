#pragma once

#include "platform/clock.h"
#include "platform/programstarter.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <deque>

namespace kemoro::test {

// A clock the test sets and moves.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(9, 0))) : m_now(std::move(now)) {}
    QDateTime now() const override { return m_now; }
    qint64 monotonicMs() const override { return m_tick; }

    void set(const QDateTime &now) { m_now = now; }
    // Moves both the wall clock and the monotonic tick.
    void advanceMs(qint64 ms)
    {
        m_now = m_now.addMSecs(ms);
        m_tick += ms;
    }

private:
    QDateTime m_now;
    qint64 m_tick = 1000000;
};

// Returns the queued values in order, then `fallback`.
class FakeRandom final : public RandomSource
{
public:
    explicit FakeRandom(std::deque<double> values = {}, double fallback = 0.0)
        : m_values(std::move(values)), m_fallback(fallback)
    {
    }
    double next() override
    {
        if (m_values.empty()) return m_fallback;
        const double v = m_values.front();
        m_values.pop_front();
        return v;
    }
    void push(double v) { m_values.push_back(v); }

private:
    std::deque<double> m_values;
    double m_fallback;
};

class FakeProgramStarter final : public ProgramStarter
{
public:
    QString startDetached(const QString &program, const QStringList &arguments) override
    {
        started.append({program, arguments});
        return failure;
    }
    QList<QPair<QString, QStringList>> started;
    QString failure; // returned by every start; empty = success
};

} // namespace kemoro::test
