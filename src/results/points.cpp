#include "results/points.h"

#include <cmath>
#include <limits>

namespace kemoro {

int applyPointRate(int base, float rate)
{
    const float product = float(base) * rate;
    if (!std::isfinite(product))
        return 0;
    const float whole = std::floor(product);
    if (whole >= float(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (whole <= float(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(whole);
}

int basePoints(qint32 t, qint32 targetTime, qint32 scoredTime)
{
    if (t >= 99998 || t < 0)
        return 0;
    const double target = targetTime;
    if (t <= targetTime) {
        if (targetTime <= 0)
            return 5;
        const double share = (target - scoredTime) / target;
        return int(std::floor(share * share * share * 50.0 + 5.0));
    }
    if (double(t) < 2.0 * target)
        return 4;
    if (double(t) < 10.0 * target)
        return 1;
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

} // namespace kemoro
