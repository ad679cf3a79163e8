#pragma once

#include <QDateTime>

namespace kemoro {

// Time comes in through this interface so that tests can set it. Only the
// platform's SystemClock reads the real clock.
class Clock
{
public:
    virtual ~Clock() = default;
    // Local date and time of day.
    virtual QDateTime now() const = 0;
    // A monotonic millisecond tick: never jumps with midnight or a clock change.
    virtual qint64 monotonicMs() const = 0;

    QDate today() const { return now().date(); }
    // Seconds since midnight, whole.
    int secondsOfDay() const { return now().time().msecsSinceStartOfDay() / 1000; }
};

class SystemClock final : public Clock
{
public:
    SystemClock();
    QDateTime now() const override;
    qint64 monotonicMs() const override;

private:
    qint64 m_start;
};

// Uniform random numbers on [0, 1), the platform's Rnd.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
    // Integer part of (next() * count + base): the idiom every caller uses.
    int pick(int count, int base) { return int(next() * count + base); }
};

class SystemRandom final : public RandomSource
{
public:
    explicit SystemRandom(quint64 seed);
    double next() override;

private:
    quint64 m_state;
};

} // namespace kemoro
