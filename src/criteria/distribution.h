#pragma once

#include "results/resultstore.h"

#include <QStringList>

namespace kemoro {

// The criteria editor's view of the stored times of one level: how all
// results and how the pupils' best times fall into 10-second buckets.
struct Distribution
{
    QStringList allResults; // List3: header, then buckets 0..100
    QStringList bestTimes;  // List4: header, then buckets 0..100
};

// Records with a level outside 1..35 are skipped; a negative time reads as
// 99999; buckets are clamped (all results at 100, bests at 30); bests are
// compared as numbers. A level outside 1..35 gives the headers and empty bars.
Distribution buildDistribution(const ResultWindow &window, int level);

} // namespace kemoro
