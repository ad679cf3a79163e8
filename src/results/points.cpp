#include "results/points.h"

#include <cmath>
#include <limits>

namespace kemoro {

int applyPointRate(int base, float rate)
{
    const float product = float(base) * rate;
    if (!std::isfinite(product)) return 0;
    if (product >= float(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (product <= float(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    // Toward minus infinity; a cast alone would round negative products up.
    // (Cheaper than std::floor, which is a library call on baseline x86-64.)
    const int whole = int(product);
    return float(whole) > product ? whole - 1 : whole;
}

int basePoints(qint32 t, qint32 targetTime, qint32 scoredTime)
{
    if (t >= 99998 || t < 0) return 0;
    const double target = targetTime;
    if (t <= targetTime) {
        if (targetTime <= 0) return 5;
        const double share = (target - scoredTime) / target;
        return int(share * share * share * 50.0 + 5.0); // 5 or more: the cast is the whole part
    }
    if (double(t) < 2.0 * target) return 4;
    if (double(t) < 10.0 * target) return 1;
    return 0;
}

namespace {
qint32 firstThreeDigits(qint32 t)
{
    while (t >= 1000)
        t /= 10;
    return t;
}
} // namespace

int drillPoints(qint32 t, const CriteriaRow &criteria)
{
    return applyPointRate(basePoints(t, criteria.targetTime, firstThreeDigits(t)), criteria.pointRate);
}

int drillBasePoints(qint32 t, qint32 targetTime)
{
    return basePoints(t, targetTime, firstThreeDigits(t));
}

void PointsMemo::prepare(const CriteriaTable &criteria)
{
    for (int level = 0; level < levelSlots; ++level) {
        const CriteriaRow &row = criteria[size_t(level)];
        if (row.targetTime == m_target[size_t(level)] && row.pointRate == m_rate[size_t(level)]) continue;
        m_target[size_t(level)] = row.targetTime;
        m_rate[size_t(level)] = row.pointRate;
        std::fill_n(m_points.begin() + qsizetype(level) * times, times, unknown);
    }
}

} // namespace kemoro
