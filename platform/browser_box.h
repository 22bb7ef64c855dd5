// The embedded browser box as the rest of the program sees it.
#pragma once

#include "platform/text.h"
#include "platform/window_tree.h"

namespace platform {

class BrowserBox {
 public:
  virtual ~BrowserBox() = default;
  // Starts loading and returns at once. An empty address leaves the page as it is.
  virtual void SetUrl(const Text& url) = 0;
  virtual WindowHandle Handle() const = 0;
};

}  // namespace platform
