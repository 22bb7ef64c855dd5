// Answers of the in-page bridge, as a page could forge them: read as JSON, as
// Qt WebEngine hands script results over. Decoding never crashes; a decoded
// value encodes and decodes to itself; texts survive the trip back to the page.
#include <cmath>
#include <cstdint>

#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>

#include "fuzz/check.h"
#include "platform/qt/bridge_answer.h"
#include "platform/qt/qt_text.h"

namespace {

using platform::Text;
using platform::qt::BridgeValue;

bool SameValue(const BridgeValue& a, const BridgeValue& b) {
  if (a.object || b.object) return a.object == b.object;
  if (a.plain.IsNumber() && b.plain.IsNumber() && std::isnan(a.plain.ToNumber())) {
    return std::isnan(b.plain.ToNumber());
  }
  return a.plain == b.plain;
}

void CheckTextGoesBack(const Text& text) {
  FUZZ_CHECK(platform::qt::FromQString(platform::qt::ToQString(text)) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QVariant answer = QJsonDocument::fromJson(bytes).toVariant();

  if (const auto value = platform::qt::DecodeInvokeAnswer(answer)) {
    const BridgeValue again =
        platform::qt::DecodeBridgeValue(platform::qt::EncodeBridgeValue(*value).toVariantMap());
    FUZZ_CHECK(SameValue(*value, again));
    if (value->plain.IsText()) CheckTextGoesBack(value->plain.ToText());
  }

  // The rows text as it stands, and as the field of an answer.
  const QVariantMap rows_answer{{QStringLiteral("ok"), true},
                                {QStringLiteral("rows"), QString::fromUtf8(bytes)}};
  for (const QVariant& candidate : {answer, QVariant(rows_answer)}) {
    if (const auto rows = platform::qt::DecodeRowsAnswer(candidate)) {
      for (const auto& row : rows->rows) {
        for (const Text& text : row) CheckTextGoesBack(text);
      }
    }
  }
  return 0;
}
