#pragma once

#include "platform/wait.h"

#include <QString>

class QLabel;

namespace kemoro {
class TimerSource;
}

namespace kemoro::ui {

// The text a screen shows while the result file is locked by another computer.
QString waitingForOtherComputerText();

// The wait every screen passes to the result file: says on `notice` (when
// given) that it waits for another computer, then waits the seconds asked with
// window events running, and never gives up. The notice keeps the text; the
// screen hides it with its cover. The seconds are measured by a timer of
// `timers` (the event loop's own when none is given), so that a test moves
// them on instead of sitting through them.
WaitFunction waitForOtherComputer(QLabel *notice, TimerSource *timers);

} // namespace kemoro::ui
