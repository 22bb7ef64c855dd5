// A window tree in memory: windows with class names and children in order,
// some of which answer the document request with a page. Every send is
// recorded so a test can see which window was asked and with what limit.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/com_object.h"
#include "platform/window_tree.h"

namespace test_support {

using platform::ComObject;
using platform::Text;
using platform::WindowHandle;

class FakeWindowTree : public platform::WindowTree {
 public:
  struct Send {
    WindowHandle window;
    uint32_t message;
    int timeout_ms;
  };

  // A new window with `class_name`, the last child of `parent`; parent 0 makes
  // it a top-level window, which is what Children(0) lists.
  WindowHandle Add(Text class_name, WindowHandle parent = 0);
  // From now on `window` answers the document request with `document`; an
  // empty one makes it answer with something that holds no document.
  void GiveDocument(WindowHandle window, ComObject document);

  const std::vector<Send>& Sends() const { return sends_; }

  std::vector<WindowHandle> Children(WindowHandle window) const override;
  Text ClassName(WindowHandle window) const override;
  uint32_t RegisterWindowMessage(const Text& name) override;
  uintptr_t SendMessageTimeout(WindowHandle window, uint32_t message, int timeout_ms) override;
  bool ObjectFromResult(uintptr_t result, ComObject& destination) override;

 private:
  struct Window {
    Text class_name;
    std::vector<WindowHandle> children;
    bool answers = false;
    ComObject document;
  };

  std::map<WindowHandle, Window> windows_{{0, Window{}}};
  WindowHandle next_handle_ = 0x100;
  std::map<Text, uint32_t> messages_;
  std::vector<Send> sends_;
};

}  // namespace test_support
