#include "platform/oledate.h"

#include <cmath>

namespace kemoro::ole {

QDate epoch()
{
    return QDate(1899, 12, 30);
}

double fromDate(QDate date)
{
    return double(epoch().daysTo(date));
}

double fromTimeOfDay(QTime time)
{
    return double(time.msecsSinceStartOfDay() / 1000) / 86400.0;
}

std::optional<QDate> toDate(double day)
{
    if (!std::isfinite(day) || day != std::floor(day) || day < minDay || day > maxDay) return std::nullopt;
    return epoch().addDays(qint64(day));
}

int secondsOfFraction(double fraction)
{
    return int(std::floor(fraction * 86400.0 + 0.5)) % 86400;
}

std::optional<QTime> toTimeOfDay(double fraction)
{
    if (!std::isfinite(fraction) || fraction < 0 || fraction >= 1) return std::nullopt;
    return QTime(0, 0).addSecs(secondsOfFraction(fraction));
}

double fromDateTime(const QDateTime &dateTime)
{
    return fromDate(dateTime.date()) + double(dateTime.time().msecsSinceStartOfDay()) / 86400000.0;
}

} // namespace kemoro::ole
