#include "platform/qt/qt_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform::qt {
namespace {
constexpr const char* kCodePage = "GB18030";
}

QString ToQString(const Text& text) {
  QStringDecoder decoder(kCodePage);
  return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

Text FromQString(const QString& text) {
  QStringEncoder encoder(kCodePage);
  const QByteArray bytes = encoder.encode(text);
  return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace platform::qt
