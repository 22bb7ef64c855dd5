#include "platform/qt/chromium_setup.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <unistd.h>

namespace platform::qt {

void PrepareChromium() {
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  // The network here may be closed; background fetches of Chromium's own would
  // only fail and retry.
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.contains("--disable-background-networking")) {
    flags += " --disable-background-networking --disable-component-update";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace platform::qt
