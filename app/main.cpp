#include <QApplication>

#include "app/main_window.h"
#include "app/notice.h"
#include "cycle/settings_file.h"
#include "platform/curl_http_client.h"
#include "platform/qt/chromium_setup.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_shell.h"

int main(int argc, char* argv[]) {
  platform::qt::PrepareChromium();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorvin-assistant"));

  platform::qt::QtEventLoop loop;
  platform::CurlHttpClient http;
  platform::qt::QtShell shell;
  app::MainWindow window(loop, {cycle::SettingsFilePath(),
                                platform::qt::HtmlViewer::Storage::kPersistent,
                                app::NoticeUrl(NOTICE_HOST), &http, &shell});
  window.show();
  return QApplication::exec();
}
