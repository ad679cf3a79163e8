#pragma once

#include "criteria/criteria.h"

#include <array>
#include <limits>
#include <vector>

namespace kemoro {

// Points of one drill. Other classroom computers compute the same numbers
// from the same file, so the rounding here is part of the format.

// The whole part (toward minus infinity) of base x rate, multiplied in single
// precision as the rate is stored: 11 x 1.5 gives 16.
int applyPointRate(int base, float rate);

// The base points of a result time t against the level's target time:
// 5 on target, up to 55 for an instant drill, 4 below twice the target, 1
// below ten times, else 0; a time-out (99998 and above) scores 0. A target
// of 0 or below never divides: a time within it is simply on target.
// `scoredTime` is the time that enters the curve: the end-of-drill screen
// passes t itself, the aggregation the first three digits of t.
int basePoints(qint32 t, qint32 targetTime, qint32 scoredTime);
inline int basePoints(qint32 t, qint32 targetTime)
{
    return basePoints(t, targetTime, t);
}

// DrillPoints of the aggregation: the curve takes the number formed by the
// first three decimal digits of t (t itself below 1000), then the rate.
int drillPoints(qint32 t, const CriteriaRow &criteria);

// The same without the rate: the points the result lists show per drill.
int drillBasePoints(qint32 t, qint32 targetTime);

// drillPoints of the short result times, remembered per level for as long as
// the level's target time and rate stay the same: result times repeat, and
// every screen aggregates the same window again.
class PointsMemo
{
public:
    static constexpr qint32 times = 1024;

    // Forgets the levels whose target time or rate changed since the last call.
    void prepare(const CriteriaTable &criteria);
    int points(int level, qint32 t, const CriteriaRow &row)
    {
        if (t < 0 || t >= times) return drillPoints(t, row);
        qint32 &slot = m_points[size_t(level) * times + size_t(t)];
        if (slot == unknown) slot = drillPoints(t, row);
        return slot;
    }

private:
    static constexpr qint32 unknown = std::numeric_limits<qint32>::min();
    std::array<qint32, levelSlots> m_target{};
    std::array<float, levelSlots> m_rate{};
    std::vector<qint32> m_points = std::vector<qint32>(size_t(levelSlots) * times, unknown);
};

} // namespace kemoro
