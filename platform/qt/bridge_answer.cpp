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

// Registry ids are whole numbers the script counts up from 1; anything else
// would need a conversion that is undefined outside the range.
std::optional<uint32_t> RegistryId(const QVariant& value) {
  if (!IsNumber(value)) return std::nullopt;
  const double number = value.toDouble();
  if (!(number >= 0 && number <= std::numeric_limits<uint32_t>::max()) ||
      number != std::floor(number)) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(number);
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
  const std::optional<uint32_t> id = RegistryId(value);
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

std::optional<std::vector<std::vector<Text>>> DecodeRowsAnswer(const QVariant& answer) {
  const QVariantMap map = answer.toMap();
  if (!Succeeded(map)) return std::nullopt;
  const QVariant rows_text = map.value(QStringLiteral("rows"));
  if (rows_text.typeId() != QMetaType::QString) return std::nullopt;
  QJsonParseError error{};
  const QJsonDocument listed = QJsonDocument::fromJson(rows_text.toString().toUtf8(), &error);
  if (error.error != QJsonParseError::NoError || !listed.isArray()) return std::nullopt;
  const QJsonArray list = listed.array();
  std::vector<std::vector<Text>> rows;
  rows.reserve(static_cast<std::size_t>(list.size()));
  for (const QJsonValue& row : list) {
    if (!row.isArray()) return std::nullopt;
    std::vector<Text> texts;
    for (const QJsonValue& cell : row.toArray()) {
      if (!cell.isString()) return std::nullopt;
      texts.push_back(FromQString(cell.toString()));
    }
    rows.push_back(std::move(texts));
  }
  return rows;
}

}  // namespace platform::qt
