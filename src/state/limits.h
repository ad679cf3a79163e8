#pragma once

#include <QtGlobal>

namespace kemoro {

// The limits every table, file and screen is sized by. They sit below every
// other header so that a file needing a limit never pulls in the code that
// uses it.
inline constexpr int levelSlots = 36; // level index 0..35; slot 0 is never played
inline constexpr int maxLevel = levelSlots - 1;
inline constexpr int maxPupil = 5000;
inline constexpr int pupilSlots = maxPupil + 1; // pupil 0..5000; 0 is nobody
inline constexpr qint32 noTime = 99999;         // a time-out, or no best yet

} // namespace kemoro
