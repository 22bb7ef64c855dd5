#include "platform/com_object.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace platform {

// Released through a weak reference: a host that is gone (the browser box was
// destroyed) leaves nothing to release.
struct ComObject::Ref {
  Ref(std::shared_ptr<ObjectHost> host_in, Id id_in) : host(host_in), id(id_in) {}
  ~Ref() {
    if (auto alive = host.lock()) alive->Release(id);
  }
  std::weak_ptr<ObjectHost> host;
  Id id;
};

ComObject::ComObject(std::shared_ptr<ObjectHost> host, Id id)
    : ref_(host ? std::make_shared<Ref>(host, id) : nullptr) {}

bool ComObject::SameObject(const ComObject& other) const {
  if (IsEmpty() || other.IsEmpty()) return false;
  return Host() == other.Host() && ObjectId() == other.ObjectId();
}

ObjectHost* ComObject::Host() const { return LiveHost().get(); }

ComObject::Id ComObject::ObjectId() const { return ref_ ? ref_->id : 0; }

std::shared_ptr<ObjectHost> ComObject::LiveHost() const {
  return ref_ ? ref_->host.lock() : nullptr;
}

Variant ComObject::Get(const Text& name, const Arguments& arguments) const {
  const auto host = LiveHost();
  if (!host) return {};
  return host->Invoke(ref_->id, name, InvokeKind::kGet, arguments).value;
}

bool ComObject::Put(const Text& name, const Variant& value) const {
  const auto host = LiveHost();
  if (!host) return false;
  return host->Invoke(ref_->id, name, InvokeKind::kPut, {value}).ok;
}

Variant ComObject::Call(const Text& name, const Arguments& arguments) const {
  const auto host = LiveHost();
  if (!host) return {};
  return host->Invoke(ref_->id, name, InvokeKind::kCall, arguments).value;
}

ComObject ComObject::GetObjectAhead(const Text& name) const {
  const auto host = LiveHost();
  return host ? host->InvokeAhead(ref_->id, name, InvokeKind::kGet, {}) : ComObject();
}

ComObject ComObject::CallObjectAhead(const Text& name, const Arguments& arguments) const {
  const auto host = LiveHost();
  return host ? host->InvokeAhead(ref_->id, name, InvokeKind::kCall, arguments) : ComObject();
}

std::optional<std::vector<std::vector<Text>>> ComObject::ReadEach(
    const std::vector<Text>& names, const std::vector<Text>& candidates) const {
  const auto host = LiveHost();
  if (!host) return std::nullopt;
  return host->ReadEach(ref_->id, names, candidates);
}

bool ComObject::CanReadEach() const {
  const auto host = LiveHost();
  return host && host->CanReadEach();
}

Variant::Variant(ComObject value) {
  if (!value.IsEmpty()) value_ = std::make_shared<ComObject>(std::move(value));
}

bool Variant::IsObject() const { return std::holds_alternative<std::shared_ptr<ComObject>>(value_); }

namespace {

// A text converts when the whole of it, blanks aside, is a decimal number.
double TextToNumber(const Text& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(begin, &end);
  if (end == begin || errno == ERANGE || !std::isfinite(value)) return 0;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return 0;
  // strtod also takes hexadecimal, "inf" and "nan"; only decimal forms count.
  for (const char* p = begin; p < end; ++p) {
    if (*p == 'x' || *p == 'X' || *p == 'n' || *p == 'N' || *p == 'i' || *p == 'I') return 0;
  }
  return value;
}

Text NumberToText(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<int64_t>(value));
  }
  std::ostringstream out;
  out.precision(15);
  out << value;
  return out.str();
}

}  // namespace

double Variant::ToNumber() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? -1 : 0;
  if (const auto* i = std::get_if<int32_t>(&value_)) return *i;
  if (const auto* d = std::get_if<double>(&value_)) return std::isfinite(*d) ? *d : 0;
  if (const auto* t = std::get_if<Text>(&value_)) return TextToNumber(*t);
  return 0;
}

Text Variant::ToText() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? "true" : "false";
  if (const auto* i = std::get_if<int32_t>(&value_)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value_)) return NumberToText(*d);
  if (const auto* t = std::get_if<Text>(&value_)) return *t;
  return {};
}

ComObject Variant::ToObject() const {
  if (const auto* o = std::get_if<std::shared_ptr<ComObject>>(&value_)) return **o;
  return {};
}

bool Variant::ToBool() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b;
  if (const auto* t = std::get_if<Text>(&value_)) return *t == "true" || *t == "-1";
  if (IsObject()) return true;
  return ToNumber() != 0;
}

bool Variant::operator==(const Variant& other) const {
  if (IsObject() && other.IsObject()) return ToObject().SameObject(other.ToObject());
  if (IsObject() || other.IsObject()) return false;
  return value_ == other.value_;
}

}  // namespace platform
