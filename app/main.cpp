#include <QApplication>

#include "app/main_window.h"
#include "cycle/settings_file.h"
#include "platform/qt/chromium_setup.h"
#include "platform/qt/qt_event_loop.h"

int main(int argc, char* argv[]) {
  platform::qt::PrepareChromium();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorvin-assistant"));

  platform::qt::QtEventLoop loop;
  app::MainWindow window(loop, {cycle::SettingsFilePath()});
  window.show();
  return QApplication::exec();
}
