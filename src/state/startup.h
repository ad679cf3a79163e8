#pragma once

#include "platform/diagnostic.h"
#include "state/session.h"

#include <QDate>

namespace kemoro {

// The configuration of start-up: folders, common settings, program constants,
// the criteria table and the sound names. Reads files only; nothing is written
// at start-up. Returns false when a fatal problem stops the program.
bool configure(Session &session, const QString &programDir, QDate today, Diagnostics &diagnostics);

} // namespace kemoro
