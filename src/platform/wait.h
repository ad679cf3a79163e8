#pragma once

#include <functional>

namespace kemoro {

// Called when a shared file is busy: waits the given number of seconds (the
// screens let window events run and say that they wait for another
// computer) and returns false to give up. The screens never give up.
using WaitFunction = std::function<bool(int seconds)>;

} // namespace kemoro
