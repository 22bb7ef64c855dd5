#include "pageauto/page_automation.h"

#include <cstdio>

#include "pageauto/collection_walk.h"
#include "pageauto/option_groups.h"

namespace pageauto {
namespace {

constexpr int kDocumentRequestTimeoutMs = 1000;
constexpr std::size_t kClassNameBufferSize = 255;

// The input types a press by caption or position counts as buttons.
const std::vector<Text> kButtonTypes = {"submit", "button", "reset", "image"};

bool Matches(const Text& property, const Text& text, std::optional<bool> exact) {
  if (exact.value_or(false)) return property == text;
  return platform::ContainsFolded(property, text);
}

enum class Folding { kAsciiCase, kNone };

// The one lookup of frames, forms and lists by LookupMode: by name or id
// (folded or byte for byte), or by one-based position read from the key.
ComObject LookUp(const ComObject& collection, const Text& key, int32_t mode, Folding folding) {
  if (mode == PageAutomation::kLookupByPosition) {
    const int32_t position = platform::TextToInt(key);
    return WalkCollection(collection, {{}, {}, [&](const WalkItem&, int32_t i) { return i == position; }});
  }
  if (mode != PageAutomation::kLookupByName && mode != PageAutomation::kLookupById) return {};
  const auto fold = [&](const Text& text) {
    return folding == Folding::kAsciiCase ? platform::FoldLower(text) : text;
  };
  const Text member = mode == PageAutomation::kLookupByName ? "name" : "id";
  const Text wanted = fold(key);
  // Only an item whose key folds to the wanted one can match, whatever the
  // folding: the page then sends the few of them, not every item's key.
  return WalkCollection(collection, {{member}, {platform::FoldLower(key)},
                                     [&](const WalkItem& item, int32_t) {
                                       return fold(item.Read(0)) == wanted;
                                     }});
}

constexpr int32_t kDefaultPopupBackground = 16777215;
constexpr int32_t kDefaultPopupBorderWidth = 1;
constexpr int32_t kDefaultPopupBorderColour = 12632256;

}  // namespace

PageAutomation::PageAutomation(platform::WindowTree& windows, platform::Shell* shell)
    : windows_(&windows), shell_(shell) {}
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
  // Taken on every call, whatever the kind; a document always gives one.
  const ComObject collection =
      attached_document_.CallObjectAhead("getElementsByTagName", {Text(tag)});

  if (kind == kById || kind == kByName) {
    const ComObject element = GetElement(text, kind);
    if (element.IsEmpty()) return false;
    element.Call("click");
    return true;
  }
  if (kind != kByPosition && kind != kByText && kind != kByAddress) return false;

  const int32_t wanted_position = kind == kByPosition ? platform::TextToInt(text) : 0;
  int32_t candidates = 0;
  // Inputs are candidates by their type, read of every input; what the kind
  // compares is read of the candidates only.
  Walk walk;
  if (buttons) {
    walk.members.push_back("type");
    walk.candidates = kind == kByAddress ? std::vector<Text>{"image"} : kButtonTypes;
  }
  if (kind == kByText) walk.members.push_back(buttons ? "value" : "innerText");
  if (kind == kByAddress) walk.members.push_back(buttons ? "src" : "href");
  const std::size_t compared = buttons ? 1 : 0;
  walk.examine = [&](const WalkItem& item, int32_t i) {
    if (kind == kByPosition) return wanted_position == (buttons ? ++candidates : i);
    return Matches(item.Read(compared), text, exact);
  };
  const ComObject chosen = WalkCollection(collection, walk);
  if (chosen.IsEmpty()) return false;
  chosen.Call("click");
  return true;
}

// --- Element values and content -------------------------------------------

bool PageAutomation::SetElementValue(const Text& key, int32_t mode, const Text& new_value) {
  return GetElement(key, mode).Put("value", new_value);
}

Text PageAutomation::GetElementValue(const Text& key, int32_t mode) {
  return GetElement(key, mode).GetText("value");
}

Text PageAutomation::GetSelectionText(std::optional<int32_t> as_html) {
  const ComObject range = attached_document_.GetObject("selection").CallObject("createRange");
  if (range.IsEmpty()) return {};
  return range.GetText(as_html.value_or(0) > 0 ? "htmlText" : "Text");
}

void PageAutomation::ReplaceSelection(const Text& html) {
  attached_document_.GetObject("selection").CallObject("createRange").Call("pasteHTML", {html});
}

ComObject PageAutomation::ElementAtPoint(int32_t x, int32_t y) {
  return attached_document_.CallObject("elementFromPoint", {x, y});
}

Text PageAutomation::GetInnerHtml(const ComObject& element) { return element.GetText("innerHTML"); }
Text PageAutomation::GetInnerText(const ComObject& element) { return element.GetText("innerText"); }
Text PageAutomation::GetOuterHtml(const ComObject& element) { return element.GetText("outerHTML"); }
Text PageAutomation::GetOuterText(const ComObject& element) { return element.GetText("outerText"); }

bool PageAutomation::SetInnerHtml(const ComObject& element, const Text& text) {
  return element.Put("innerHTML", text);
}
bool PageAutomation::SetInnerText(const ComObject& element, const Text& text) {
  return element.Put("innerText", text);
}
bool PageAutomation::SetOuterHtml(const ComObject& element, const Text& text) {
  return element.Put("outerHTML", text);
}
bool PageAutomation::SetOuterText(const ComObject& element, const Text& text) {
  return element.Put("outerText", text);
}

void PageAutomation::FocusElement(const ComObject& element) { element.Call("focus"); }

bool PageAutomation::ShowElement(const ComObject& element, bool visible) {
  if (platform::FoldLower(element.GetText("tagName")) == "input") {
    return element.Put("type", visible ? "text" : "hidden");
  }
  return element.GetObject("style").Put("display", visible ? "block" : "none");
}

Text PageAutomation::ReadDocumentProperty(const Text& name, const Text& argument) {
  // The argument goes even when empty: members such as queryCommandValue want one.
  return attached_document_.Call(name, {argument}).ToText();
}

ComObject PageAutomation::GetElementsByTag(const Text& tag) {
  return attached_document_.CallObject("getElementsByTagName", {tag});
}

// --- Option groups and lists ---------------------------------------------

RadioGroup PageAutomation::GetRadioGroup(const Text& name) {
  RadioGroup group;
  group.AttachItems(attached_document_.CallObject("getElementsByName", {name}));
  return group;
}

CheckBoxGroup PageAutomation::GetCheckBoxGroup(const Text& name) {
  CheckBoxGroup group;
  group.AttachItems(attached_document_.CallObject("getElementsByName", {name}));
  return group;
}

SelectList PageAutomation::GetSelectList(const Text& key, int32_t mode) {
  // Only the body's lists count; body and all are let go before the walk. A
  // document without a body fails the whole chain, so the walk finds nothing.
  const ComObject selects = attached_document_.GetObjectAhead("body")
                                .GetObjectAhead("all")
                                .CallObjectAhead("tags", {Text("select")});
  SelectList list;
  list.AttachSelect(LookUp(selects, key, mode, Folding::kAsciiCase));
  return list;
}

// --- Frames, forms, scripts and pop-ups -----------------------------------

void PageAutomation::SuppressDialogs() {
  const ComObject window = attached_document_.GetObject("parentWindow");
  for (const char* script : {"function alert(){return;}", "function confirm(){return;}",
                             "function prompt(){return;}", "function showModalDialog(){return;}"}) {
    window.Call("execScript", {Text(script), Text("JScript")});
  }
}

void PageAutomation::ShellOpen(const Text& target) {
  if (shell_) shell_->ShellOpen(target);
}

int32_t PageAutomation::GetFrameCount() {
  return CollectionLength(attached_document_.GetObjectAhead("frames"));
}

ComObject PageAutomation::GetFrame(const Text& key, int32_t mode) {
  return LookUp(attached_document_.GetObjectAhead("frames"), key, mode, Folding::kAsciiCase);
}

ComObject PageAutomation::GetFrameElement(const Text& key, int32_t mode) {
  return GetFrame(key, mode).GetObject("frameElement");
}

void PageAutomation::NavigateTo(const Text& address) {
  attached_document_.GetObject("parentWindow").Call("navigate", {address});
}

void PageAutomation::WriteDocument(const Text& html) {
  attached_document_.Call("open");
  attached_document_.Call("write", {html});
  attached_document_.Call("Close");
}

void PageAutomation::RunScript(const Text& code, const std::optional<Text>& language) {
  attached_document_.GetObject("parentWindow")
      .Call("execScript", {code, language.value_or(Text("VBScript"))});
}

bool PageAutomation::FireElementEvent(const ComObject& element, const Text& event_name) {
  // The handler now set goes along, as the older model's FireEvent takes it.
  const platform::Variant handler = element.Get(event_name);
  return element.Call("FireEvent", {event_name, handler}).ToBool();
}

ComObject PageAutomation::GetForm(const Text& key, int32_t mode) {
  return LookUp(attached_document_.GetObject("forms"), key, mode, Folding::kNone);
}

bool PageAutomation::SubmitForm(const Text& key, int32_t mode) {
  const ComObject form = LookUp(attached_document_.GetObject("forms"), key, mode, Folding::kNone);
  if (form.IsEmpty()) return false;
  form.Call("submit");
  return true;
}

ComObject PageAutomation::ShowPopup(int32_t x, int32_t y, int32_t width, int32_t height,
                                    const Text& html, std::optional<int32_t> back_colour,
                                    std::optional<int32_t> border_width,
                                    std::optional<int32_t> border_colour,
                                    const std::optional<ComObject>& anchor) {
  const ComObject popup = attached_document_.GetObject("parentWindow").CallObject("createPopup");
  const ComObject body = popup.GetObject("document").GetObject("body");
  body.GetObject("style").Put("backgroundColor",
                              ColorToHex(back_colour.value_or(kDefaultPopupBackground)));
  body.GetObject("style").Put(
      "border", "solid " + ColorToHex(border_colour.value_or(kDefaultPopupBorderColour)) + " " +
                    platform::IntToText(border_width.value_or(kDefaultPopupBorderWidth)) + "px");
  body.Put("innerHTML", html);
  platform::Arguments place{x, y, width, height};
  if (anchor.has_value()) place.emplace_back(*anchor);
  popup.Call("show", place);
  return popup;
}

void PageAutomation::HidePopup(const ComObject& popup) { popup.Call("hide"); }

Text PageAutomation::ColorToHex(int32_t colour) {
  const auto bits = static_cast<uint32_t>(colour);
  char hex[7];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X", bits & 0xFFu, (bits >> 8) & 0xFFu,
                (bits >> 16) & 0xFFu);
  return hex;
}

}  // namespace pageauto
