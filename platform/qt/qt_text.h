// The one place where code-page texts meet Qt's UTF-16 strings.
#pragma once

#include <QString>

#include "platform/text.h"

namespace platform::qt {

QString ToQString(const Text& text);
Text FromQString(const QString& text);

}  // namespace platform::qt
