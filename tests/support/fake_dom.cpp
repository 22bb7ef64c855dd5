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

// A write changes a property the object has; it never adds one.
InvokeResult ReadOrWrite(Properties& properties, const Text& name, InvokeKind kind,
                         const Arguments& arguments) {
  const auto found = properties.find(name);
  if (found == properties.end()) return {};
  if (kind != InvokeKind::kPut) return Ok(found->second);
  if (arguments.empty()) return {};
  found->second = arguments[0].ToText();
  return Ok();
}

}  // namespace

FakeDom::FakeDom() { elements_.push_back(NewElement("html", {})); }

FakeDom::~FakeDom() = default;

std::unique_ptr<FakeElement> FakeDom::NewElement(Text tag, Properties properties) {
  for (const char* standard : {"id", "name", "type", "value", "innerText", "href", "src"}) {
    properties.emplace(standard, Text());
  }
  return std::make_unique<FakeElement>(FakeElement{std::move(tag), std::move(properties), {}});
}

FakeElement& FakeDom::Add(Text tag, Properties properties, FakeElement* parent) {
  elements_.push_back(NewElement(std::move(tag), std::move(properties)));
  FakeElement* added = elements_.back().get();
  (parent ? parent : &DocumentElement())->children.push_back(added);
  return *added;
}

ComObject FakeDom::Document() { return NewReference(DocumentTarget{}); }

bool FakeDom::IsDocument(const ComObject& object) const {
  if (object.Host() != this) return false;
  const auto found = live_.find(object.ObjectId());
  return found != live_.end() && std::holds_alternative<DocumentTarget>(found->second);
}

const FakeElement* FakeDom::ElementOf(const ComObject& object) const {
  if (object.Host() != this) return nullptr;
  const auto found = live_.find(object.ObjectId());
  if (found == live_.end()) return nullptr;
  const auto* element = std::get_if<FakeElement*>(&found->second);
  return element ? *element : nullptr;
}

ComObject FakeDom::NewReference(Target target) {
  const ComObject::Id id = next_id_++;
  live_.emplace(id, std::move(target));
  return ComObject(shared_from_this(), id);
}

Variant FakeDom::ObjectOrEmpty(FakeElement* element) {
  if (!element) return {};
  return NewReference(element);
}

FakeDom::Collection FakeDom::InDocumentOrder() const {
  Collection order;
  std::vector<FakeElement*> pending{elements_.front().get()};
  while (!pending.empty()) {
    FakeElement* next = pending.back();
    pending.pop_back();
    order.push_back(next);
    pending.insert(pending.end(), next->children.rbegin(), next->children.rend());
  }
  return order;
}

void FakeDom::Release(ComObject::Id id) { live_.erase(id); }

// Reads and calls are served alike: a read falls back to the method and a
// call to the property, so both reach the same member here.
InvokeResult FakeDom::Invoke(ComObject::Id id, const Text& name, InvokeKind kind,
                             const Arguments& arguments) {
  const auto found = live_.find(id);
  if (found == live_.end()) return {};
  // Copied out: a member that hands out a reference adds to live_.
  Target target = found->second;
  if (auto* element = std::get_if<FakeElement*>(&target)) {
    return OnElement(**element, name, kind, arguments);
  }
  if (auto* items = std::get_if<Collection>(&target)) return OnCollection(*items, name, arguments);
  return OnDocument(name, kind, arguments);
}

InvokeResult FakeDom::OnDocument(const Text& name, InvokeKind kind, const Arguments& arguments) {
  if (kind != InvokeKind::kPut) {
    if (SameName(name, "documentElement")) return Ok(NewReference(&DocumentElement()));
    Text key;
    const bool by_id = SameName(name, "getElementById");
    const bool by_name = SameName(name, "getElementsByName");
    const bool by_tag = SameName(name, "getElementsByTagName");
    if (by_id || by_name || by_tag) {
      if (!TextArgument(arguments, key)) return {};
      Collection found;
      for (FakeElement* element : InDocumentOrder()) {
        if (by_tag ? SameName(element->tag, key) || key == "*"
                   : element->properties.at(by_id ? "id" : "name") == key) {
          found.push_back(element);
        }
      }
      if (by_id) return Ok(ObjectOrEmpty(found.empty() ? nullptr : found.front()));
      return Ok(NewReference(std::move(found)));
    }
  }
  return ReadOrWrite(document_properties_, name, kind, arguments);
}

InvokeResult FakeDom::OnElement(FakeElement& element, const Text& name, InvokeKind kind,
                                const Arguments& arguments) {
  if (kind != InvokeKind::kPut && SameName(name, "click")) {
    clicked_.push_back(&element);
    if (on_click_) on_click_(element);
    return Ok();
  }
  return ReadOrWrite(element.properties, name, kind, arguments);
}

// item() with no argument gives the first element, as the older browser did;
// an index past either end gives nothing.
InvokeResult FakeDom::OnCollection(const Collection& items, const Text& name,
                                   const Arguments& arguments) {
  if (SameName(name, "length")) {
    ++length_reads_;
    return Ok(static_cast<int32_t>(items.size()));
  }
  if (!SameName(name, "item")) return {};
  if (arguments.empty()) return Ok(ObjectOrEmpty(items.empty() ? nullptr : items.front()));
  if (!arguments[0].IsNumber()) return {};
  const double index = std::trunc(arguments[0].ToNumber());
  if (index < 0 || index >= static_cast<double>(items.size())) return Ok();
  return Ok(ObjectOrEmpty(items[static_cast<std::size_t>(index)]));
}

}  // namespace test_support
