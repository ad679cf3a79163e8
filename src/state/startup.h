#pragma once

#include "platform/diagnostic.h"
#include "platform/mounts.h"
#include "state/session.h"

#include <QDate>

namespace kemoro {

// The configuration of start-up: folders, common settings, program constants,
// the criteria table and the sound names. Reads files only; nothing is written
// at start-up. Returns false when a fatal problem stops the program. A data
// folder on a mount that keeps locks local (read from `mountInfo`) is warned of.
bool configure(Session &session, const QString &programDir, QDate today, Diagnostics &diagnostics,
               const MountInfoSource &mountInfo = readMountInfo);

} // namespace kemoro
