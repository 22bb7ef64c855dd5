// A small in-memory page behind the late-binding layer: one document of
// elements, the collections it hands out, and a count of the references it
// has given and not yet had back, so a test can see that nothing was leaked.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <variant>
#include <vector>

#include "platform/com_object.h"
#include "platform/text.h"

namespace test_support {

using platform::ComObject;
using platform::Text;

// Member names bind without regard to ASCII letter case, as on the real page.
struct CaselessLess {
  bool operator()(const Text& a, const Text& b) const;
};

using Properties = std::map<Text, Text, CaselessLess>;

struct FakeElement {
  Text tag;
  // id, name, type, value, innerText, href and src always exist (empty unless
  // given); any other property exists only when given.
  Properties properties;
  std::vector<FakeElement*> children;

  Text Id() const { return properties.at("id"); }
};

class FakeDom : public platform::ObjectHost {
 public:
  FakeDom();
  ~FakeDom() override;

  // Appends an element as the last child of `parent`, or of the document
  // element when no parent is given.
  FakeElement& Add(Text tag, Properties properties = {}, FakeElement* parent = nullptr);
  // The "html" element; its outerHTML and innerText are plain texts to set
  // (properties["outerHTML"] = ...).
  FakeElement& DocumentElement() { return *elements_.front(); }
  // A text property of the document itself (title, URL, ...).
  void SetDocumentProperty(const Text& name, Text value) { document_properties_[name] = value; }

  // A new reference to the document.
  ComObject Document();
  bool IsDocument(const ComObject& object) const;
  // The element `object` refers to; null for anything else.
  const FakeElement* ElementOf(const ComObject& object) const;

  // Every element whose click was called, in order.
  const std::vector<const FakeElement*>& Clicked() const { return clicked_; }
  void ForgetClicks() { clicked_.clear(); }
  // Called on every click as it happens, for tests that follow a schedule.
  void OnClick(std::function<void(const FakeElement&)> observer) { on_click_ = std::move(observer); }
  // References handed out and not yet released.
  std::size_t LiveReferences() const { return live_.size(); }
  // How often any collection's length was read.
  int LengthReads() const { return length_reads_; }

  platform::InvokeResult Invoke(ComObject::Id id, const Text& name, platform::InvokeKind kind,
                                const platform::Arguments& arguments) override;
  void Release(ComObject::Id id) override;

 private:
  struct DocumentTarget {};
  using Collection = std::vector<FakeElement*>;
  using Target = std::variant<DocumentTarget, FakeElement*, Collection>;

  static std::unique_ptr<FakeElement> NewElement(Text tag, Properties properties);
  ComObject NewReference(Target target);
  platform::Variant ObjectOrEmpty(FakeElement* element);
  // Depth-first, a parent before its children: the page's document order.
  Collection InDocumentOrder() const;

  platform::InvokeResult OnDocument(const Text& name, platform::InvokeKind kind,
                                    const platform::Arguments& arguments);
  platform::InvokeResult OnElement(FakeElement& element, const Text& name,
                                   platform::InvokeKind kind, const platform::Arguments& arguments);
  platform::InvokeResult OnCollection(const Collection& items, const Text& name,
                                      const platform::Arguments& arguments);

  std::vector<std::unique_ptr<FakeElement>> elements_;
  Properties document_properties_;
  std::map<ComObject::Id, Target> live_;
  ComObject::Id next_id_ = 1;
  std::vector<const FakeElement*> clicked_;
  int length_reads_ = 0;
  std::function<void(const FakeElement&)> on_click_;
};

}  // namespace test_support
