#include "platform/qt/qt_text.h"

#include <algorithm>

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform::qt {
namespace {

constexpr const char* kCodePage = "GB18030";

bool IsAscii(const char* begin, const char* end) {
  return std::all_of(begin, end, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

// Opening a converter costs far more than converting a short text, and walks
// convert thousands, so each thread keeps one of each. The code page keeps no
// state between texts.
QString ToQString(const Text& text) {
  if (IsAscii(text.data(), text.data() + text.size())) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }
  thread_local QStringDecoder decoder(kCodePage);
  decoder.resetState();
  return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

Text FromQString(const QString& text) {
  const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
  if (ascii) {
    const QByteArray bytes = text.toLatin1();
    return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  thread_local QStringEncoder encoder(kCodePage);
  encoder.resetState();
  const QByteArray bytes = encoder.encode(text);
  return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace platform::qt
