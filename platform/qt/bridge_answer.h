// Values crossing the in-page bridge, both ways. Every value travels as
// {t, v}: t is e(mpty), b(ool), n(umber), s(tring) or o(bject), and an object
// also carries the token of its document in d. An answer that is not in the
// shape the bridge script gives reads as the neutral value.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>
#include <QVariant>

#include "platform/com_object.h"

namespace platform::qt {

// An object held in the bridge's registry of one document.
struct PageObjectRef {
  QString document_token;
  uint32_t id = 0;

  bool operator==(const PageObjectRef& other) const {
    return document_token == other.document_token && id == other.id;
  }
};

// A plain value, or a page object (then `plain` is empty).
struct BridgeValue {
  Variant plain;
  std::optional<PageObjectRef> object;
};

BridgeValue DecodeBridgeValue(const QVariant& encoded);
// A plain value that holds an object has no page object to name: it goes as empty.
QJsonObject EncodeBridgeValue(const BridgeValue& value);

// The value of an invoke answer {ok: true, value}; nothing when the call failed.
std::optional<BridgeValue> DecodeInvokeAnswer(const QVariant& answer);

// The rows of a readEach answer {ok: true, rows}. rows is the JSON text of
// [row count, column count, [each distinct text], the cells row by row as one
// text, each cell the place of its text and a comma, whether the read reached
// the end]. A run of items that are no candidates stands in the cells as its
// length negated, and their rows come out empty. Nothing when the call failed
// or the rows are not that. No page holds kMaxRows elements; rows are memory
// even when empty, so an answer of more is refused.
inline constexpr uint32_t kMaxRows = 1u << 22;
struct RowsAnswer {
  std::vector<std::vector<Text>> rows;
  bool complete = false;
};
std::optional<RowsAnswer> DecodeRowsAnswer(const QVariant& answer);

}  // namespace platform::qt
