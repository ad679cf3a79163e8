#pragma once

#include "platform/diagnostic.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kemoro {

// The step plan's progress record: one per roster number, record r at byte
// (r - 1) x 8, four little-endian 16-bit fields (step, passes, tries, cycle).
inline constexpr int stepRecordSize = 8;
inline constexpr int stepTemplateRecords = 5000;

// The bytes of a blank template written over `existing`: the first 5000
// records zero, whatever lies beyond them kept as it was.
QByteArray blankStepTemplate(const QByteArray &existing);

// Command15 "ステップ.datの初期化": writes the blank template over
// `path` ("ステップ原.dat"). Nobody holds the template open, so it goes through
// a temporary file renamed over the old one; on a failure the old file stays
// intact and the diagnostic names it. The live "ステップ.dat" is never touched.
std::optional<Diagnostic> writeBlankStepTemplate(const QString &path);

} // namespace kemoro
