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
  }
  // The back end's pages are plain and mostly still, and the machines this runs
  // on unattended seldom have a GPU: there OpenGL is a software rasteriser that
  // costs several times what Chromium's own software compositing and a raster
  // scene graph cost for the same page (measured while collecting: 3.5 % of a
  // core against 1.5 %). QT_QUICK_BACKEND set beforehand wins.
  if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) qputenv("QT_QUICK_BACKEND", "software");
  if (qgetenv("QT_QUICK_BACKEND") == "software" && !flags.contains("--disable-gpu")) {
    flags += " --disable-gpu";
  }
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace platform::qt
