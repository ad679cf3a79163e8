#pragma once

#include <QDateTime>
#include <QString>

namespace kemoro::bench {

// A school-scale installation: the demo installation's settings and
// criteria, a roster of 5000 pupils and a result file of 200,000 records
// over the three years before `schoolNow`, all CP932. The same bytes on
// every run and machine (a fixed-seed generator).
inline constexpr int schoolPupils = 5000;
inline constexpr int schoolRecords = 200000;
const QDateTime &schoolNow();

// The root of the installation: $KEMORO_BENCH_DATA, else the build folder's
// default. Creates what is missing; returns an empty string on failure.
QString schoolInstallation();

} // namespace kemoro::bench
