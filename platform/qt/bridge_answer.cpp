#include "platform/qt/bridge_answer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaType>

#include "platform/qt/qt_text.h"

namespace platform::qt {
namespace {

bool IsNumber(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
      return true;
    default:
      return false;
  }
}

// Registry ids, counts and places are whole numbers the script counts up;
// anything else would need a conversion that is undefined outside the range.
std::optional<uint32_t> WholeNumber(double number) {
  if (!(number >= 0 && number <= std::numeric_limits<uint32_t>::max()) ||
      number != std::floor(number)) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(number);
}
std::optional<uint32_t> WholeNumber(const QVariant& value) {
  return IsNumber(value) ? WholeNumber(value.toDouble()) : std::nullopt;
}
std::optional<uint32_t> WholeNumber(const QJsonValue& value) {
  return value.isDouble() ? WholeNumber(value.toDouble()) : std::nullopt;
}

// The script answers `ok` with a boolean; a text "true" is not an answer of it.
bool Succeeded(const QVariantMap& answer) {
  const QVariant ok = answer.value(QStringLiteral("ok"));
  return ok.typeId() == QMetaType::Bool && ok.toBool();
}

}  // namespace

BridgeValue DecodeBridgeValue(const QVariant& encoded) {
  const QVariantMap map = encoded.toMap();
  const QString type = map.value(QStringLiteral("t")).toString();
  const QVariant value = map.value(QStringLiteral("v"));
  if (type == QLatin1String("b")) return {value.toBool(), std::nullopt};
  if (type == QLatin1String("n")) return {value.toDouble(), std::nullopt};
  if (type == QLatin1String("s")) return {FromQString(value.toString()), std::nullopt};
  if (type != QLatin1String("o")) return {};
  const QVariant token = map.value(QStringLiteral("d"));
  const std::optional<uint32_t> id = WholeNumber(value);
  if (token.typeId() != QMetaType::QString || !id) return {};
  return {Variant(), PageObjectRef{token.toString(), *id}};
}

QJsonObject EncodeBridgeValue(const BridgeValue& value) {
  if (value.object) {
    return {{"t", "o"},
            {"v", static_cast<qint64>(value.object->id)},
            {"d", value.object->document_token}};
  }
  const Variant& plain = value.plain;
  if (plain.IsBool()) return {{"t", "b"}, {"v", plain.ToBool()}};
  if (plain.IsNumber()) return {{"t", "n"}, {"v", plain.ToNumber()}};
  if (plain.IsText()) return {{"t", "s"}, {"v", ToQString(plain.ToText())}};
  return {{"t", "e"}};
}

std::optional<BridgeValue> DecodeInvokeAnswer(const QVariant& answer) {
  const QVariantMap map = answer.toMap();
  if (!Succeeded(map)) return std::nullopt;
  return DecodeBridgeValue(map.value(QStringLiteral("value")));
}

namespace {

// Reads the cells text into rows of `columns` texts: places of texts as
// decimal numbers, each followed by a comma, row by row; a run of items the
// page passed over is its length negated, and each of them an empty row. Read
// by hand: a JSON array of numbers costs several times as much to take apart,
// and a walk over a long collection brings thousands.
bool ReadCells(const QString& text, const std::vector<Text>& texts, uint32_t columns,
               uint32_t row_count, std::vector<std::vector<Text>>& rows) {
  const QChar* at = text.constData();
  const QChar* const end = at + text.size();
  std::vector<Text>* row = nullptr;  // the candidate row being filled
  while (at != end) {
    const bool negative = *at == u'-';
    if (negative) ++at;
    uint64_t number = 0;
    const QChar* const digits = at;
    while (at != end && at->unicode() >= u'0' && at->unicode() <= u'9') {
      number = number * 10 + (at->unicode() - u'0');
      if (number > std::numeric_limits<uint32_t>::max()) return false;
      ++at;
    }
    if (at == digits || at == end || *at != u',') return false;
    ++at;
    if (negative) {
      // A run only between rows, of at least one item, within the count.
      if (row != nullptr || number == 0 || number > row_count - rows.size()) return false;
      rows.resize(rows.size() + number);
      continue;
    }
    if (number >= texts.size()) return false;
    if (row == nullptr) {
      if (rows.size() == row_count) return false;
      row = &rows.emplace_back();
      // No more than the rest of the text can fill: the count may be forged.
      row->reserve(std::min<std::size_t>(columns, static_cast<std::size_t>(end - at) / 2 + 1));
    }
    row->push_back(texts[number]);
    if (row->size() == columns) row = nullptr;
  }
  return row == nullptr && rows.size() == row_count;
}

}  // namespace

std::optional<RowsAnswer> DecodeRowsAnswer(const QVariant& answer) {
  const QVariantMap map = answer.toMap();
  if (!Succeeded(map)) return std::nullopt;
  const QVariant rows_text = map.value(QStringLiteral("rows"));
  if (rows_text.typeId() != QMetaType::QString) return std::nullopt;
  QJsonParseError error{};
  const QJsonDocument listed = QJsonDocument::fromJson(rows_text.toString().toUtf8(), &error);
  if (error.error != QJsonParseError::NoError || !listed.isArray()) return std::nullopt;
  const QJsonArray parts = listed.array();
  if (parts.size() != 5 || !parts[2].isArray() || !parts[3].isString() || !parts[4].isBool()) {
    return std::nullopt;
  }
  const std::optional<uint32_t> row_count = WholeNumber(parts[0]);
  const std::optional<uint32_t> column_count = WholeNumber(parts[1]);
  // Rows without columns would be memory spent on nothing.
  if (!row_count || !column_count || *row_count > kMaxRows ||
      (*column_count == 0 && *row_count > 0)) {
    return std::nullopt;
  }
  const QJsonArray listed_texts = parts[2].toArray();
  std::vector<Text> texts;
  texts.reserve(static_cast<std::size_t>(listed_texts.size()));
  for (const QJsonValue& text : listed_texts) {
    if (!text.isString()) return std::nullopt;
    texts.push_back(FromQString(text.toString()));
  }
  RowsAnswer decoded;
  decoded.complete = parts[4].toBool();
  if (!ReadCells(parts[3].toString(), texts, *column_count, *row_count, decoded.rows)) {
    return std::nullopt;
  }
  return decoded;
}

}  // namespace platform::qt
