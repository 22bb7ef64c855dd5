#pragma once

#include "platform/shell.h"

namespace platform::qt {

// Hands the target to the desktop's default handler for it.
class QtShell : public Shell {
 public:
  void ShellOpen(const Text& target) override;
};

}  // namespace platform::qt
