#pragma once

#include "results/resultstore.h"
#include "state/session.h"

#include <QDateTime>

namespace kemoro {

struct DrillRecordOutcome
{
    bool clearedBefore = false;           // the pupil had cleared the level before this drill
    bool newPersonalBest = false;         // this drill bettered the pupil's best of the level
    bool newLevelBest = false;            // ... and the level's best of the last aggregation
    std::optional<ResultFileError> error; // the append failed; the screens stop the program
};

// Records a finished, timed drill of `level` for the session's pupil: sets
// the flags, updates the best times in session.results and appends the
// record stamped with `now`. The flags are also left in session.results for
// the end-of-drill screen. Nothing is rolled back when the append fails.
DrillRecordOutcome recordFinishedDrill(Session &session, int level, const QDateTime &now, ResultStore &file,
                                       const WaitFunction &wait);

} // namespace kemoro
