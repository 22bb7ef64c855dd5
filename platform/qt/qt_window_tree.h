// Window handles for the program's widgets, and the window tree over them.
#pragma once

#include <functional>

#include "platform/window_tree.h"

class QWidget;

namespace platform::qt {

// The handle of a widget, made on first use and valid until the widget is
// destroyed. Handles are never 0 and never reused.
WindowHandle HandleOfWidget(QWidget* widget);
// The widget of a handle, or nullptr once it is gone.
QWidget* WidgetOfHandle(WindowHandle handle);

// Marks a widget to answer to `class_name` in the tree instead of its C++ class.
void SetWindowClassName(QWidget* widget, const char* class_name);

// Makes `widget` answer the document request with what `provider` gives,
// within the time limit it is handed.
void SetDocumentProvider(QWidget* widget, std::function<ComObject(int timeout_ms)> provider);

class QtWindowTree : public WindowTree {
 public:
  std::vector<WindowHandle> Children(WindowHandle window) const override;
  Text ClassName(WindowHandle window) const override;
  uint32_t RegisterWindowMessage(const Text& name) override;
  uintptr_t SendMessageTimeout(WindowHandle window, uint32_t message, int timeout_ms) override;
  bool ObjectFromResult(uintptr_t result, ComObject& destination) override;
};

}  // namespace platform::qt
