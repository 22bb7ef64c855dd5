#include "platform/qt/qt_window_tree.h"

#include <map>

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
  QHash<WindowHandle, std::function<ComObject(int)>> document_providers;
  WindowHandle next = 0x10000;
};

// Registered message numbers start where the system's own end.
struct MessageTable {
  std::map<Text, uint32_t> numbers;
  uint32_t next = 0xC000;
};

// Answers to document requests wait here until turned into the document.
// Answers never collected are dropped once newer ones pile up.
struct AnswerTable {
  std::map<uintptr_t, ComObject> documents;
  uintptr_t next = 1;
};
constexpr std::size_t kKeptAnswers = 16;

HandleTable& Table() {
  static HandleTable table;
  return table;
}

MessageTable& Messages() {
  static MessageTable table;
  return table;
}

AnswerTable& Answers() {
  static AnswerTable table;
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
  QObject::connect(widget, &QObject::destroyed, [handle] {
    Table().widgets.remove(handle);
    Table().document_providers.remove(handle);
  });
  return handle;
}

QWidget* WidgetOfHandle(WindowHandle handle) { return Table().widgets.value(handle).data(); }

void SetWindowClassName(QWidget* widget, const char* class_name) {
  widget->setProperty(kClassNameProperty, ToQString(class_name));
}

void SetDocumentProvider(QWidget* widget, std::function<ComObject(int)> provider) {
  Table().document_providers.insert(HandleOfWidget(widget), std::move(provider));
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

namespace platform::qt {

uint32_t QtWindowTree::RegisterWindowMessage(const Text& name) {
  MessageTable& table = Messages();
  auto [it, added] = table.numbers.emplace(name, table.next);
  if (added) ++table.next;
  return it->second;
}

uintptr_t QtWindowTree::SendMessageTimeout(WindowHandle window, uint32_t message,
                                           int timeout_ms) {
  if (WidgetOfHandle(window) == nullptr) return 0;
  if (message != RegisterWindowMessage(kDocumentRequestMessage)) return 0;
  const auto provider = Table().document_providers.find(window);
  if (provider == Table().document_providers.end()) return 0;
  ComObject document = (*provider)(timeout_ms);
  if (document.IsEmpty()) return 0;
  AnswerTable& answers = Answers();
  while (answers.documents.size() >= kKeptAnswers) answers.documents.erase(answers.documents.begin());
  const uintptr_t answer = answers.next++;
  answers.documents.emplace(answer, std::move(document));
  return answer;
}

bool QtWindowTree::ObjectFromResult(uintptr_t result, ComObject& destination) {
  AnswerTable& answers = Answers();
  const auto it = answers.documents.find(result);
  if (it == answers.documents.end()) return false;
  destination = std::move(it->second);
  answers.documents.erase(it);
  return true;
}

}  // namespace platform::qt
