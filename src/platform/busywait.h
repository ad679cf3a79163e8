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
// screen hides it with its cover.
WaitFunction waitForOtherComputer(QLabel *notice);
// The same wait measured by a timer of `timers`, so that a test moves the
// seconds on instead of sitting through them.
WaitFunction waitForOtherComputer(QLabel *notice, TimerSource &timers);

} // namespace kemoro::ui
