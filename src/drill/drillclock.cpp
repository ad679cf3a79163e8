#include "drill/drillclock.h"

#include <algorithm>
#include <limits>

namespace kemoro {

qint32 elapsedSeconds(qint64 startTickMs, qint64 nowTickMs)
{
    const qint64 ms = nowTickMs - startTickMs;
    if (ms <= 0) return 0;
    return qint32(std::min<qint64>((ms + 500) / 1000, std::numeric_limits<qint32>::max()));
}

std::bitset<10> redLampsOut(qint32 elapsed, qint32 targetTime, qint32 minTime)
{
    std::bitset<10> out;
    if (targetTime >= elapsed) {
        const qint64 last = 9 - (qint64(targetTime) - elapsed); // offset of the rightmost lamp out
        for (qint64 k = 0; k <= last && k <= 9; ++k)
            out.set(size_t(k));
    }
    if (minTime >= elapsed) {
        const qint64 i = qint64(minTime) - elapsed;
        if (i >= 0 && i <= 9) out.set(size_t(9 - i));
    }
    return out;
}

int barWidth(qint32 seconds, qint32 timeLimit, int frameWidth)
{
    if (timeLimit <= 0 || seconds <= 0 || frameWidth <= 0) return 0;
    const double width = double(seconds) * frameWidth / timeLimit;
    return int(std::min<double>(width, frameWidth));
}

} // namespace kemoro
