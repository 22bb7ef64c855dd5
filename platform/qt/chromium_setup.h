#pragma once

namespace platform::qt {

// Must run before the QApplication is made. Chromium refuses to start its
// sandbox as root, so the sandbox is switched off there; elsewhere it stays on.
void PrepareChromium();

}  // namespace platform::qt
