#pragma once

#include <QtGlobal>

#include <bitset>

namespace kemoro {

// Whole seconds since the drill clock started, rounded to the nearest second.
// Both readings come from the monotonic tick, so midnight or a clock change
// never makes the time negative or jump; a reading before the start is 0.
qint32 elapsedSeconds(qint64 startTickMs, qint64 nowTickMs);

// The time-out of a drill: five times the level's minimum time.
constexpr qint32 timeLimitFor(qint32 minTime)
{
    return minTime * 5;
}

// The drill is over by time when the elapsed time reaches the limit.
constexpr bool timedOut(qint32 elapsed, qint32 timeLimit)
{
    return elapsed >= timeLimit;
}

// The red lamps sPicture3(30..39), as offsets 0..9 from lamp 30, that go out
// at this tick. They never light again, so the screen only ever hides.
// Counting down to targetTime they go out from the left, lamp 30 nine seconds
// before it, all ten at it; counting down to minTime lamp 39 - i goes out in
// the second minTime - i.
std::bitset<10> redLampsOut(qint32 elapsed, qint32 targetTime, qint32 minTime);

// The width of a time bar segment for `seconds` on a frame of `frameWidth`
// that stands for `timeLimit`. A limit of 0 or below never divides: the bar
// stays empty. A segment never reaches past its frame.
int barWidth(qint32 seconds, qint32 timeLimit, int frameWidth);

} // namespace kemoro
