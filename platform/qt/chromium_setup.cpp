#include "platform/qt/chromium_setup.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <unistd.h>

namespace platform::qt {

void PrepareChromium() {
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  // Background fetches of Chromium's own would only fail and retry on a closed
  // network. The back end must run at full speed whether or not its page is
  // shown, so no throttling of background or occluded pages either.
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.contains("--disable-background-timer-throttling")) {
    flags +=
        " --disable-background-networking --disable-component-update"
        " --disable-background-timer-throttling --disable-renderer-backgrounding"
        " --disable-backgrounding-occluded-windows"
        " --disable-features=IntensiveWakeUpThrottling";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace platform::qt
