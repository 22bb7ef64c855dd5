// A small in-memory page behind the late-binding layer: one document of
// elements, the collections, windows, styles, selection and pop-ups it hands
// out, a record of the calls that change the page, and a count of the
// references it has given and not yet had back, so a test can see that
// nothing was leaked.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <utility>
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

// Values keep their type when written, as the page's typed properties do:
// writing the integer 1 to a boolean `checked` makes it true, which then
// reads as -1. A property given as an empty Variant keeps what is written.
using Properties = std::map<Text, platform::Variant, CaselessLess>;

struct FakeElement {
  Text tag;
  // id, name, type, value, innerText, href and src always exist (empty unless
  // given); any other property exists only when given.
  Properties properties;
  // display, backgroundColor and border, empty until written.
  Properties style;
  std::vector<FakeElement*> children;

  Text Id() const { return properties.at("id").ToText(); }
};

// Elements of tag "frame" or "iframe" stand for frames: the document's
// `frames` lists a window for each, answering `name`, `id` (its element's) and
// `frameElement`. `body` is the first "body" element, `forms` the "form"
// elements, a select's `options` its "option" children, an element's `all`
// its descendants.
class FakeDom : public platform::ObjectHost {
 public:
  using Method = std::function<platform::Variant(const platform::Arguments&)>;

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
  // A method of the document itself, answered by `method`.
  void SetDocumentMethod(const Text& name, Method method) {
    document_methods_[name] = std::move(method);
  }
  // What selection.createRange() gives a range over; without one it gives nothing.
  void SetSelection(Text html, Text text);

  // A new reference to the document.
  ComObject Document();
  bool IsDocument(const ComObject& object) const;
  // The element `object` refers to; null for anything else.
  const FakeElement* ElementOf(const ComObject& object) const;
  // The body of every pop-up created, in order.
  const std::vector<const FakeElement*>& Popups() const { return popups_; }

  // Every element whose click was called, in order.
  const std::vector<const FakeElement*>& Clicked() const { return clicked_; }
  void ForgetClicks() { clicked_.clear(); }
  // Called on every click as it happens, for tests that follow a schedule.
  void OnClick(std::function<void(const FakeElement&)> observer) { on_click_ = std::move(observer); }
  // Every call that acts on the page, other than a click, as
  // `target.member(arguments)`: the target is "document", "window", "popup",
  // "range" or "#" and an element's id; texts are quoted, elements "#id".
  const std::vector<Text>& Calls() const { return calls_; }
  // References handed out and not yet released.
  std::size_t LiveReferences() const { return live_.size(); }
  // How often any collection's length was read.
  int LengthReads() const { return length_reads_; }

  platform::InvokeResult Invoke(ComObject::Id id, const Text& name, platform::InvokeKind kind,
                                const platform::Arguments& arguments) override;
  void Release(ComObject::Id id) override;

 private:
  using Collection = std::vector<FakeElement*>;
  enum class Kind {
    kDocument,
    kElement,
    kCollection,
    kFrames,
    kFrameWindow,
    kStyle,
    kPageWindow,
    kSelection,
    kTextRange,
    kPopup,
    kPopupDocument,
  };
  // `element` is the element itself, the frame's, the style's owner or the
  // pop-up's body.
  struct Target {
    Target(Kind kind_in, FakeElement* element_in = nullptr, Collection items_in = {})  // NOLINT
        : kind(kind_in), element(element_in), items(std::move(items_in)) {}
    Kind kind;
    FakeElement* element;
    Collection items;
  };

  static std::unique_ptr<FakeElement> NewElement(Text tag, Properties properties);
  ComObject NewReference(Target target);
  platform::Variant ObjectOrEmpty(FakeElement* element);
  // Depth-first, a parent before its children: the page's document order,
  // `root` first.
  static Collection InDocumentOrder(FakeElement* root);
  Collection WithTag(const Collection& items, const Text& tag) const;
  void Record(const Target& target, const Text& member, const platform::Arguments& arguments);
  Text Describe(const platform::Variant& value) const;

  platform::InvokeResult OnDocument(const Text& name, platform::InvokeKind kind,
                                    const platform::Arguments& arguments);
  platform::InvokeResult OnElement(FakeElement& element, const Text& name,
                                   platform::InvokeKind kind, const platform::Arguments& arguments);
  platform::InvokeResult OnCollection(const Target& target, const Text& name,
                                      const platform::Arguments& arguments);
  platform::InvokeResult OnOther(const Target& target, const Text& name, platform::InvokeKind kind,
                                 const platform::Arguments& arguments);

  std::vector<std::unique_ptr<FakeElement>> elements_;
  Properties document_properties_;
  std::map<Text, Method, CaselessLess> document_methods_;
  bool has_selection_ = false;
  Text selection_html_;
  Text selection_text_;
  std::map<ComObject::Id, Target> live_;
  ComObject::Id next_id_ = 1;
  std::vector<const FakeElement*> clicked_;
  std::vector<const FakeElement*> popups_;
  std::vector<Text> calls_;
  int length_reads_ = 0;
  std::function<void(const FakeElement&)> on_click_;
};

}  // namespace test_support
