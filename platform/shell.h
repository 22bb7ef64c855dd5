// Opening a text (an address, say) the way the desktop opens it.
#pragma once

#include "platform/text.h"

namespace platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // The desktop's "open" on `target`, with no parameters and no working
  // directory; failures are not reported.
  virtual void ShellOpen(const Text& target) = 0;
};

}  // namespace platform
