// The one place where an asynchronous answer from the page is awaited as if
// the call were synchronous.
#pragma once

#include <functional>

namespace platform::qt {

// Handles events until `done()` holds or `timeout_ms` has passed, and returns
// `done()`. Only what the answer needs gets through: no timer of the program
// fires and no user input is delivered meanwhile, so no handler of the tool runs
// nested inside a page access. Blocks on the event queue; never spins.
bool WaitForAnswer(const std::function<bool()>& done, int timeout_ms);

// Ends the current WaitForAnswer early (the renderer died, say).
void WakeWaitingCall();

}  // namespace platform::qt
