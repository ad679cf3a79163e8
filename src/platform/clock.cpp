#include "platform/clock.h"

#include <QElapsedTimer>

namespace kemoro {

namespace {
qint64 monotonicNowMs()
{
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference();
}
} // namespace

SystemClock::SystemClock() : m_start(monotonicNowMs()) {}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::monotonicMs() const
{
    return monotonicNowMs() - m_start;
}

SystemRandom::SystemRandom(quint64 seed) : m_state(seed ^ 0x9E3779B97F4A7C15ull) {}

double SystemRandom::next()
{
    // splitmix64: small, seedable, good enough for questions and sound choice.
    quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace kemoro
