#include "platform/qt/qt_window_tree.h"

#include <QHash>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include "platform/qt/qt_text.h"

namespace platform::qt {
namespace {

constexpr const char* kHandleProperty = "platformWindowHandle";
constexpr const char* kClassNameProperty = "platformWindowClassName";

struct HandleTable {
  QHash<WindowHandle, QPointer<QWidget>> widgets;
  WindowHandle next = 0x10000;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

WindowHandle HandleOfWidget(QWidget* widget) {
  if (widget == nullptr) return 0;
  const QVariant stored = widget->property(kHandleProperty);
  if (stored.isValid()) return stored.value<WindowHandle>();
  HandleTable& table = Table();
  const WindowHandle handle = table.next++;
  table.widgets.insert(handle, widget);
  widget->setProperty(kHandleProperty, QVariant::fromValue(handle));
  QObject::connect(widget, &QObject::destroyed, [handle] { Table().widgets.remove(handle); });
  return handle;
}

QWidget* WidgetOfHandle(WindowHandle handle) { return Table().widgets.value(handle).data(); }

void SetWindowClassName(QWidget* widget, const char* class_name) {
  widget->setProperty(kClassNameProperty, ToQString(class_name));
}

std::vector<WindowHandle> QtWindowTree::Children(WindowHandle window) const {
  std::vector<WindowHandle> children;
  QWidget* parent = WidgetOfHandle(window);
  if (parent == nullptr) return children;
  for (QObject* child : parent->children()) {
    if (child->isWidgetType()) children.push_back(HandleOfWidget(static_cast<QWidget*>(child)));
  }
  return children;
}

Text QtWindowTree::ClassName(WindowHandle window) const {
  QWidget* widget = WidgetOfHandle(window);
  if (widget == nullptr) return {};
  const QVariant marked = widget->property(kClassNameProperty);
  if (marked.isValid()) return FromQString(marked.toString());
  return widget->metaObject()->className();
}

}  // namespace platform::qt
