// Late binding: page objects reached by member name, as counted references.
// Every failure gives the neutral value of its kind (empty text, 0, empty
// object, false) and is never thrown.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/text.h"

namespace platform {

class ComObject;
class ObjectHost;

// One automation value. Converts to a number with true giving -1 and anything
// unconvertible giving 0.
class Variant {
 public:
  Variant() = default;
  Variant(bool value) : value_(value) {}  // NOLINT: values convert implicitly, as arguments do
  Variant(int32_t value) : value_(value) {}  // NOLINT
  Variant(double value) : value_(value) {}  // NOLINT
  Variant(Text value) : value_(std::move(value)) {}  // NOLINT
  Variant(const char* value) : value_(Text(value)) {}  // NOLINT
  Variant(ComObject value);  // NOLINT

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsBool() const { return std::holds_alternative<bool>(value_); }
  bool IsNumber() const {
    return std::holds_alternative<int32_t>(value_) || std::holds_alternative<double>(value_);
  }
  bool IsText() const { return std::holds_alternative<Text>(value_); }
  bool IsObject() const;

  double ToNumber() const;
  Text ToText() const;
  ComObject ToObject() const;
  // Nonzero numbers, true, and the texts "true" and "-1" count as true.
  bool ToBool() const;

  bool operator==(const Variant& other) const;

 private:
  std::variant<std::monostate, bool, int32_t, double, Text, std::shared_ptr<ComObject>> value_;
};

using Arguments = std::vector<Variant>;

// A counted reference to one page object, or empty. Copies share the object;
// the page object is released when the last reference goes.
class ComObject {
 public:
  using Id = uint64_t;

  ComObject() = default;
  // A reference to object `id` of `host`, which the host has counted once for it.
  ComObject(std::shared_ptr<ObjectHost> host, Id id);

  bool IsEmpty() const { return ref_ == nullptr; }
  void Clear() { ref_.reset(); }
  // Whether both refer to the same page object.
  bool SameObject(const ComObject& other) const;

  // Read: a property, else a method called with `arguments`.
  Variant Get(const Text& name, const Arguments& arguments = {}) const;
  Text GetText(const Text& name) const { return Get(name).ToText(); }
  double GetNumber(const Text& name) const { return Get(name).ToNumber(); }
  ComObject GetObject(const Text& name) const { return Get(name).ToObject(); }
  // Write; true when the object took the value.
  bool Put(const Text& name, const Variant& value) const;
  // Call: a method, else a property read with `arguments`.
  Variant Call(const Text& name, const Arguments& arguments = {}) const;
  ComObject CallObject(const Text& name, const Arguments& arguments = {}) const {
    return Call(name, arguments).ToObject();
  }
  // As GetObject and CallObject, for members the caller knows give an object
  // (a document's collections, the item a walk has just read): the host may
  // send the request without waiting for its answer, so a chain of them costs
  // no trip into the page until something is read. Should the member give no
  // object after all, the reference fails every later use (neutral values).
  ComObject GetObjectAhead(const Text& name) const;
  ComObject CallObjectAhead(const Text& name, const Arguments& arguments = {}) const;

  // For a collection: the named members of every item, read as texts in one
  // go where the host can (empty texts for what an item lacks). With
  // `candidates` (texts in lower case), only the items whose first member,
  // folded as FoldLower does, is one of them are candidates: the others' rows
  // may come back empty, or with empty texts after the first. Nothing when the
  // host reads item by item only, the read failed, or no member is named.
  std::optional<std::vector<std::vector<Text>>> ReadEach(
      const std::vector<Text>& names, const std::vector<Text>& candidates = {}) const;
  // Whether ReadEach can answer at all for this object's host.
  bool CanReadEach() const;

  ObjectHost* Host() const;
  Id ObjectId() const;

 private:
  struct Ref;
  // The host, while both this reference and the host are there.
  std::shared_ptr<ObjectHost> LiveHost() const;
  std::shared_ptr<Ref> ref_;
};

enum class InvokeKind { kGet, kPut, kCall };

struct InvokeResult {
  bool ok = false;
  Variant value;
};

// What stands behind ComObject: the in-page bridge in the product, an
// in-memory model in unit tests. Names bind without regard to letter case.
class ObjectHost : public std::enable_shared_from_this<ObjectHost> {
 public:
  virtual ~ObjectHost() = default;
  virtual InvokeResult Invoke(ComObject::Id id, const Text& name, InvokeKind kind,
                              const Arguments& arguments) = 0;
  // The object a read or call gives, taken as ComObject::GetObjectAhead
  // describes; hosts that cannot take it ahead wait for it.
  virtual ComObject InvokeAhead(ComObject::Id id, const Text& name, InvokeKind kind,
                                const Arguments& arguments) {
    return Invoke(id, name, kind, arguments).value.ToObject();
  }
  // The last reference to `id` went away.
  virtual void Release(ComObject::Id id) = 0;
  // Reading every item of a collection in one go; hosts that cannot say so.
  virtual bool CanReadEach() const { return false; }
  virtual std::optional<std::vector<std::vector<Text>>> ReadEach(
      ComObject::Id /*collection*/, const std::vector<Text>& /*names*/,
      const std::vector<Text>& /*candidates*/) {
    return std::nullopt;
  }
};

}  // namespace platform
