#include "tests/support/fake_dom.h"

#include <algorithm>
#include <cmath>

namespace test_support {

using platform::Arguments;
using platform::InvokeKind;
using platform::InvokeResult;
using platform::Variant;

bool CaselessLess::operator()(const Text& a, const Text& b) const {
  return platform::FoldLower(a) < platform::FoldLower(b);
}

namespace {

bool SameName(const Text& a, const Text& b) {
  return platform::FoldLower(a) == platform::FoldLower(b);
}

InvokeResult Ok(Variant value = {}) { return {true, std::move(value)}; }

// The first argument as a text, when there is one.
bool TextArgument(const Arguments& arguments, Text& text) {
  if (arguments.empty() || !arguments[0].IsText()) return false;
  text = arguments[0].ToText();
  return true;
}

// A written value takes the type of the value it replaces; one that replaces
// nothing is kept as written.
Variant OfTheSameType(const Variant& old, const Variant& written) {
  if (old.IsEmpty()) return written;
  if (old.IsBool()) return written.ToBool();
  if (old.IsNumber()) return written.ToNumber();
  return written.ToText();
}

// A write changes a property the object has; it never adds one.
InvokeResult ReadOrWrite(Properties& properties, const Text& name, InvokeKind kind,
                         const Arguments& arguments) {
  const auto found = properties.find(name);
  if (found == properties.end()) return {};
  if (kind != InvokeKind::kPut) return Ok(found->second);
  if (arguments.empty()) return {};
  found->second = OfTheSameType(found->second, arguments[0]);
  return Ok();
}

}  // namespace

FakeDom::FakeDom() { elements_.push_back(NewElement("html", {})); }

FakeDom::~FakeDom() = default;

std::unique_ptr<FakeElement> FakeDom::NewElement(Text tag, Properties properties) {
  for (const char* standard : {"id", "name", "type", "value", "innerText", "href", "src"}) {
    properties.emplace(standard, Text());
  }
  Properties style{{"display", Text()}, {"backgroundColor", Text()}, {"border", Text()}};
  return std::make_unique<FakeElement>(
      FakeElement{std::move(tag), std::move(properties), std::move(style), {}});
}

FakeElement& FakeDom::Add(Text tag, Properties properties, FakeElement* parent) {
  elements_.push_back(NewElement(std::move(tag), std::move(properties)));
  FakeElement* added = elements_.back().get();
  (parent ? parent : &DocumentElement())->children.push_back(added);
  return *added;
}

void FakeDom::SetSelection(Text html, Text text) {
  has_selection_ = true;
  selection_html_ = std::move(html);
  selection_text_ = std::move(text);
}

ComObject FakeDom::Document() { return NewReference({Kind::kDocument}); }

bool FakeDom::IsDocument(const ComObject& object) const {
  if (object.Host() != this) return false;
  const auto found = live_.find(object.ObjectId());
  return found != live_.end() && found->second.kind == Kind::kDocument;
}

const FakeElement* FakeDom::ElementOf(const ComObject& object) const {
  if (object.Host() != this) return nullptr;
  const auto found = live_.find(object.ObjectId());
  if (found == live_.end() || found->second.kind != Kind::kElement) return nullptr;
  return found->second.element;
}

ComObject FakeDom::NewReference(Target target) {
  const ComObject::Id id = next_id_++;
  live_.emplace(id, std::move(target));
  return ComObject(shared_from_this(), id);
}

Variant FakeDom::ObjectOrEmpty(FakeElement* element) {
  if (!element) return {};
  return NewReference({Kind::kElement, element});
}

FakeDom::Collection FakeDom::InDocumentOrder(FakeElement* root) {
  Collection order;
  std::vector<FakeElement*> pending{root};
  while (!pending.empty()) {
    FakeElement* next = pending.back();
    pending.pop_back();
    order.push_back(next);
    pending.insert(pending.end(), next->children.rbegin(), next->children.rend());
  }
  return order;
}

FakeDom::Collection FakeDom::WithTag(const Collection& items, const Text& tag) const {
  Collection found;
  std::copy_if(items.begin(), items.end(), std::back_inserter(found),
               [&](const FakeElement* element) { return SameName(element->tag, tag); });
  return found;
}

Text FakeDom::Describe(const Variant& value) const {
  if (value.IsText()) return "\"" + value.ToText() + "\"";
  if (const FakeElement* element = ElementOf(value.ToObject())) return "#" + element->Id();
  if (value.IsObject()) return "object";
  if (value.IsEmpty()) return "empty";
  return value.ToText();
}

void FakeDom::Record(const Target& target, const Text& member, const Arguments& arguments) {
  Text call;
  switch (target.kind) {
    case Kind::kDocument:
      call = "document";
      break;
    case Kind::kPageWindow:
      call = "window";
      break;
    case Kind::kPopup:
      call = "popup";
      break;
    case Kind::kTextRange:
      call = "range";
      break;
    default:
      call = "#" + target.element->Id();
  }
  call += "." + member + "(";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    call += (i ? ", " : "") + Describe(arguments[i]);
  }
  calls_.push_back(call + ")");
}

void FakeDom::Release(ComObject::Id id) { live_.erase(id); }

// Reads and calls are served alike: a read falls back to the method and a
// call to the property, so both reach the same member here.
InvokeResult FakeDom::Invoke(ComObject::Id id, const Text& name, InvokeKind kind,
                             const Arguments& arguments) {
  const auto found = live_.find(id);
  if (found == live_.end()) return {};
  // Copied out: a member that hands out a reference adds to live_.
  const Target target = found->second;
  switch (target.kind) {
    case Kind::kDocument:
      return OnDocument(name, kind, arguments);
    case Kind::kElement:
      return OnElement(*target.element, name, kind, arguments);
    case Kind::kCollection:
    case Kind::kFrames:
      return OnCollection(target, name, arguments);
    default:
      return OnOther(target, name, kind, arguments);
  }
}

InvokeResult FakeDom::OnDocument(const Text& name, InvokeKind kind, const Arguments& arguments) {
  if (kind != InvokeKind::kPut) {
    const Collection all = InDocumentOrder(&DocumentElement());
    if (SameName(name, "documentElement")) return Ok(ObjectOrEmpty(&DocumentElement()));
    if (SameName(name, "body")) {
      const Collection bodies = WithTag(all, "body");
      return Ok(ObjectOrEmpty(bodies.empty() ? nullptr : bodies.front()));
    }
    if (SameName(name, "forms"))
      return Ok(NewReference({Kind::kCollection, nullptr, WithTag(all, "form")}));
    if (SameName(name, "frames")) {
      Collection frames;
      std::copy_if(all.begin(), all.end(), std::back_inserter(frames), [](const FakeElement* e) {
        return SameName(e->tag, "frame") || SameName(e->tag, "iframe");
      });
      return Ok(NewReference({Kind::kFrames, nullptr, std::move(frames)}));
    }
    if (SameName(name, "parentWindow")) return Ok(NewReference({Kind::kPageWindow}));
    if (SameName(name, "selection")) return Ok(NewReference({Kind::kSelection}));
    if (SameName(name, "open") || SameName(name, "write") || SameName(name, "Close")) {
      Record({Kind::kDocument}, name, arguments);
      return Ok();
    }
    if (SameName(name, "elementFromPoint")) {
      Record({Kind::kDocument}, name, arguments);
      return Ok(ObjectOrEmpty(&DocumentElement()));
    }
    const auto method = document_methods_.find(name);
    if (method != document_methods_.end()) return Ok(method->second(arguments));
    Text key;
    const bool by_id = SameName(name, "getElementById");
    const bool by_name = SameName(name, "getElementsByName");
    const bool by_tag = SameName(name, "getElementsByTagName");
    if (by_id || by_name || by_tag) {
      if (!TextArgument(arguments, key)) return {};
      Collection found;
      for (FakeElement* element : all) {
        if (by_tag ? SameName(element->tag, key) || key == "*"
                   : element->properties.at(by_id ? "id" : "name").ToText() == key) {
          found.push_back(element);
        }
      }
      if (by_id) return Ok(ObjectOrEmpty(found.empty() ? nullptr : found.front()));
      return Ok(NewReference({Kind::kCollection, nullptr, std::move(found)}));
    }
  }
  return ReadOrWrite(document_properties_, name, kind, arguments);
}

InvokeResult FakeDom::OnElement(FakeElement& element, const Text& name, InvokeKind kind,
                                const Arguments& arguments) {
  if (kind != InvokeKind::kPut) {
    if (SameName(name, "click")) {
      clicked_.push_back(&element);
      if (on_click_) on_click_(element);
      return Ok();
    }
    if (SameName(name, "focus") || SameName(name, "submit") || SameName(name, "FireEvent")) {
      Record({Kind::kElement, &element}, name, arguments);
      return Ok(SameName(name, "FireEvent") ? Variant(true) : Variant());
    }
    if (SameName(name, "tagName")) return Ok(element.tag);
    if (SameName(name, "style")) return Ok(NewReference({Kind::kStyle, &element}));
    if (SameName(name, "all")) {
      Collection descendants = InDocumentOrder(&element);
      descendants.erase(descendants.begin());
      return Ok(NewReference({Kind::kCollection, nullptr, std::move(descendants)}));
    }
    if (SameName(name, "options") && SameName(element.tag, "select")) {
      return Ok(NewReference({Kind::kCollection, nullptr, WithTag(element.children, "option")}));
    }
  }
  return ReadOrWrite(element.properties, name, kind, arguments);
}

// item() with no argument gives the first element, as the older browser did;
// an index past either end gives nothing.
InvokeResult FakeDom::OnCollection(const Target& target, const Text& name,
                                   const Arguments& arguments) {
  const Collection& items = target.items;
  if (SameName(name, "length")) {
    ++length_reads_;
    return Ok(static_cast<int32_t>(items.size()));
  }
  Text tag;
  if (SameName(name, "tags") && TextArgument(arguments, tag)) {
    return Ok(NewReference({Kind::kCollection, nullptr, WithTag(items, tag)}));
  }
  if (!SameName(name, "item")) return {};
  FakeElement* item = nullptr;
  if (arguments.empty()) {
    if (!items.empty()) item = items.front();
  } else if (arguments[0].IsNumber()) {
    const double index = std::trunc(arguments[0].ToNumber());
    if (index >= 0 && index < static_cast<double>(items.size())) {
      item = items[static_cast<std::size_t>(index)];
    }
  } else {
    return {};
  }
  if (item && target.kind == Kind::kFrames) return Ok(NewReference({Kind::kFrameWindow, item}));
  return Ok(ObjectOrEmpty(item));
}

InvokeResult FakeDom::OnOther(const Target& target, const Text& name, InvokeKind kind,
                              const Arguments& arguments) {
  if (target.kind == Kind::kStyle) return ReadOrWrite(target.element->style, name, kind, arguments);
  if (kind == InvokeKind::kPut) return {};
  switch (target.kind) {
    case Kind::kFrameWindow:
      if (SameName(name, "frameElement")) return Ok(ObjectOrEmpty(target.element));
      if (SameName(name, "name") || SameName(name, "id")) {
        return Ok(target.element->properties.at(name));
      }
      return {};
    case Kind::kPageWindow:
      if (SameName(name, "createPopup")) {
        elements_.push_back(NewElement("body", {{"innerHTML", Text()}}));
        popups_.push_back(elements_.back().get());
        Record(target, name, arguments);
        return Ok(NewReference({Kind::kPopup, elements_.back().get()}));
      }
      if (!SameName(name, "execScript") && !SameName(name, "navigate")) return {};
      Record(target, name, arguments);
      return Ok();
    case Kind::kSelection:
      if (!SameName(name, "createRange")) return {};
      return Ok(has_selection_ ? Variant(NewReference({Kind::kTextRange})) : Variant());
    case Kind::kTextRange:
      if (SameName(name, "htmlText")) return Ok(selection_html_);
      if (SameName(name, "Text")) return Ok(selection_text_);
      if (!SameName(name, "pasteHTML")) return {};
      Record(target, name, arguments);
      return Ok();
    case Kind::kPopup:
      if (SameName(name, "document"))
        return Ok(NewReference({Kind::kPopupDocument, target.element}));
      if (!SameName(name, "show") && !SameName(name, "hide")) return {};
      Record(target, name, arguments);
      return Ok();
    case Kind::kPopupDocument:
      if (SameName(name, "body")) return Ok(ObjectOrEmpty(target.element));
      return {};
    default:
      return {};
  }
}

}  // namespace test_support
