#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <optional>

namespace kemoro::ole {

// OLE automation dates: days since 1899-12-30 as a 64-bit float. The result
// file stores the day (no fraction) and the time of day (a fraction of a day,
// whole part 0) in two separate fields.
inline constexpr double minDay = -657434; // 0100-01-01
inline constexpr double maxDay = 2958465; // 9999-12-31

QDate epoch();
double fromDate(QDate date);
// Fraction of a day for a time of day in whole seconds.
double fromTimeOfDay(QTime time);
// The day of a stored date field: only a finite whole number of days within
// the platform's range is a date.
std::optional<QDate> toDate(double day);
// The time of day of a stored time field: only [0, 1) is a time of day;
// seconds are rounded half up, modulo one day.
std::optional<QTime> toTimeOfDay(double fraction);
int secondsOfFraction(double fraction);

// A point in time as an OLE date with fraction, for period comparisons.
double fromDateTime(const QDateTime &dateTime);

} // namespace kemoro::ole
