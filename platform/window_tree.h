// The windows of the program as a tree the page automation can search by
// class name, the way a browser's document window is found below a box.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace platform {

// 0 stands for no window.
using WindowHandle = std::uint32_t;

class WindowTree {
 public:
  virtual ~WindowTree() = default;
  // Direct children in the platform's enumeration order; none for an unknown handle.
  virtual std::vector<WindowHandle> Children(WindowHandle window) const = 0;
  // Empty for an unknown handle.
  virtual Text ClassName(WindowHandle window) const = 0;
};

// The class name a browser's document window answers to.
extern const char* const kBrowserServerClassName;

}  // namespace platform
