#include "platform/qt/bridge_answer.h"

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

// The cells text: places of texts as decimal numbers, each followed by a
// comma; a row the page passed over is all kNotCandidate. Read by hand: a
// JSON array of numbers costs several times as much to take apart, and a walk
// over a long collection brings thousands.
constexpr int64_t kNotCandidate = -1;

std::optional<std::vector<int64_t>> ParseCells(const QString& text, std::size_t expected) {
  std::vector<int64_t> cells;
  cells.reserve(expected);
  const QChar* at = text.constData();
  const QChar* const end = at + text.size();
  while (at != end) {
    if (cells.size() == expected) return std::nullopt;
    const bool negative = *at == u'-';
    if (negative) ++at;
    int64_t number = 0;
    const QChar* const digits = at;
    while (at != end && at->unicode() >= u'0' && at->unicode() <= u'9') {
      number = number * 10 + (at->unicode() - u'0');
      if (number > std::numeric_limits<uint32_t>::max()) return std::nullopt;
      ++at;
    }
    if (at == digits || at == end || *at != u',') return std::nullopt;
    ++at;
    cells.push_back(negative ? -number : number);
  }
  if (cells.size() != expected) return std::nullopt;
  return cells;
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
  const uint64_t cell_count = static_cast<uint64_t>(*row_count) * *column_count;
  // Each cell takes two characters at least; a count the text cannot hold is forged.
  const QString cells_text = parts[3].toString();
  if (cell_count > static_cast<uint64_t>(cells_text.size()) / 2) return std::nullopt;
  const std::optional<std::vector<int64_t>> cells =
      ParseCells(cells_text, static_cast<std::size_t>(cell_count));
  if (!cells) return std::nullopt;
  const QJsonArray listed_texts = parts[2].toArray();
  std::vector<Text> texts;
  texts.reserve(static_cast<std::size_t>(listed_texts.size()));
  for (const QJsonValue& text : listed_texts) {
    if (!text.isString()) return std::nullopt;
    texts.push_back(FromQString(text.toString()));
  }
  RowsAnswer decoded;
  decoded.complete = parts[4].toBool();
  decoded.rows.resize(*row_count);
  auto cell = cells->begin();
  for (auto& row : decoded.rows) {
    // A row the page passed over stays empty: it sent nothing of it.
    const bool passed_over = *cell == kNotCandidate;
    if (!passed_over) row.reserve(*column_count);
    for (uint32_t column = 0; column < *column_count; ++column, ++cell) {
      if (passed_over) {
        if (*cell != kNotCandidate) return std::nullopt;
        continue;
      }
      if (*cell < 0 || static_cast<uint64_t>(*cell) >= texts.size()) return std::nullopt;
      row.push_back(texts[static_cast<std::size_t>(*cell)]);
    }
  }
  return decoded;
}

}  // namespace platform::qt
