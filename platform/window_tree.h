// The windows of the program as a tree the page automation can search by
// class name, the way a browser's document window is found below a box.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com_object.h"
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

  // The program-wide number of a named message; one name always gives one number.
  virtual uint32_t RegisterWindowMessage(const Text& name) = 0;
  // Sends `message` with both parameters 0 and gives the window's answer, or 0
  // when the send fails or the window does not answer within `timeout_ms`.
  virtual uintptr_t SendMessageTimeout(WindowHandle window, uint32_t message, int timeout_ms) = 0;
  // Turns the answer to a document request into the document; false when the
  // answer holds none, and then `destination` is left as it was.
  virtual bool ObjectFromResult(uintptr_t result, ComObject& destination) = 0;
};

// The message a browser's document window answers with its document.
extern const char* const kDocumentRequestMessage;

// The class name a browser's document window answers to.
extern const char* const kBrowserServerClassName;

}  // namespace platform
