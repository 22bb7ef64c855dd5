#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/qt/qt_text.h"

namespace platform::qt {

void QtShell::ShellOpen(const Text& target) {
  if (target.empty()) return;
  QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(target)));
}

}  // namespace platform::qt
