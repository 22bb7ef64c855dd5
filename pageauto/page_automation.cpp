#include "pageauto/page_automation.h"

#include "pageauto/collection_walk.h"

namespace pageauto {
namespace {

constexpr int kDocumentRequestTimeoutMs = 1000;
constexpr std::size_t kClassNameBufferSize = 255;

bool IsButtonLike(const Text& folded_type) {
  return folded_type == "submit" || folded_type == "button" || folded_type == "reset" ||
         folded_type == "image";
}

bool Matches(const Text& property, const Text& text, std::optional<bool> exact) {
  if (exact.value_or(false)) return property == text;
  return platform::ContainsFolded(property, text);
}

}  // namespace

PageAutomation::PageAutomation(platform::WindowTree& windows) : windows_(&windows) {}
PageAutomation::~PageAutomation() = default;
PageAutomation::PageAutomation(const PageAutomation& other) = default;
PageAutomation& PageAutomation::operator=(const PageAutomation& other) = default;

bool PageAutomation::AttachDocument(const std::optional<ComObject>& document,
                                    std::optional<WindowHandle> window) {
  if (document.has_value()) {
    attached_document_ = *document;
    return !attached_document_.IsEmpty();
  }
  if (window.has_value()) return DocumentFromWindow(*window, attached_document_);
  return false;
}

Text PageAutomation::ClassNameOf(WindowHandle window) const {
  Text name = windows_->ClassName(window);
  if (name.size() > kClassNameBufferSize - 1) name.resize(kClassNameBufferSize - 1);
  return name;
}

bool PageAutomation::DocumentFromWindow(WindowHandle window, ComObject& destination) {
  if (ClassNameOf(window) != platform::kBrowserServerClassName) {
    window = FindBrowserServerWindow(window);
    if (window == 0) return false;
  }
  const uint32_t message = windows_->RegisterWindowMessage(platform::kDocumentRequestMessage);
  const uintptr_t answer = windows_->SendMessageTimeout(window, message, kDocumentRequestTimeoutMs);
  return windows_->ObjectFromResult(answer, destination);
}

WindowHandle PageAutomation::FindBrowserServerWindow(WindowHandle window) {
  for (WindowHandle child : windows_->Children(window)) {
    if (ClassNameOf(child) == platform::kBrowserServerClassName) return child;
    if (WindowHandle found = FindBrowserServerWindow(child)) return found;
  }
  return 0;
}

bool PageAutomation::FindAllBrowserServerWindows(WindowHandle window,
                                                 std::vector<WindowHandle>& list) {
  for (WindowHandle child : windows_->Children(window)) {
    if (ClassNameOf(child) == platform::kBrowserServerClassName) list.push_back(child);
    FindAllBrowserServerWindows(child, list);
  }
  return !list.empty();
}

Text PageAutomation::GetPageContent(const Text& name) {
  if (name == "outerHTML" || name == "innerText") {
    return attached_document_.GetObject("documentElement").GetText(name);
  }
  return attached_document_.GetText(name);
}

ComObject PageAutomation::GetElement(const Text& key, int32_t mode) {
  if (mode == kByName) {
    const ComObject named = attached_document_.CallObject("getElementsByName", {key});
    return named.CallObject("item");
  }
  return attached_document_.CallObject("getElementById", {key});
}

bool PageAutomation::ClickLink(const Text& text, int32_t kind, std::optional<bool> exact) {
  return Click("a", text, kind, exact);
}

bool PageAutomation::ClickButton(const Text& text, int32_t kind, std::optional<bool> exact) {
  return Click("input", text, kind, exact);
}

bool PageAutomation::Click(const char* tag, const Text& text, int32_t kind,
                           std::optional<bool> exact) {
  const bool buttons = Text(tag) == "input";
  // Taken on every call, whatever the kind.
  const ComObject collection = attached_document_.CallObject("getElementsByTagName", {Text(tag)});

  if (kind == kById || kind == kByName) {
    const ComObject element = GetElement(text, kind);
    if (element.IsEmpty()) return false;
    element.Call("click");
    return true;
  }
  if (kind != kByPosition && kind != kByText && kind != kByAddress) return false;

  const int32_t wanted_position = kind == kByPosition ? platform::TextToInt(text) : 0;
  int32_t candidates = 0;
  const ComObject chosen = WalkCollection(collection, [&](const ComObject& item, int32_t i) {
    if (buttons) {
      const Text type = platform::FoldLower(item.GetText("type"));
      if (kind == kByAddress ? type != "image" : !IsButtonLike(type)) return false;
    }
    switch (kind) {
      case kByPosition:
        return wanted_position == (buttons ? ++candidates : i);
      case kByText:
        return Matches(item.GetText(buttons ? "value" : "innerText"), text, exact);
      default:
        return Matches(item.GetText(buttons ? "src" : "href"), text, exact);
    }
  });
  if (chosen.IsEmpty()) return false;
  chosen.Call("click");
  return true;
}

}  // namespace pageauto
