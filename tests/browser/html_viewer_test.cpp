// The browser box: loading addresses, its document window in the window tree,
// and a page that keeps running when the box is not shown.
#include "platform/qt/html_viewer.h"

#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>

#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window_tree.h"
#include "tests/browser/qt_test_helpers.h"

namespace {

using browser_tests::WaitFor;
using platform::qt::HtmlViewer;

const QString kFixtures = QStringLiteral(TEST_FIXTURES_DIR "/");

TEST(HtmlViewerTest, LoadsAnAddressAndAnEmptyAddressLeavesThePage) {
  HtmlViewer viewer(HtmlViewer::Storage::kOffTheRecord);
  viewer.show();
  viewer.SetUrl(platform::qt::FromQString(QUrl::fromLocalFile(kFixtures + "login.html").toString()));
  ASSERT_TRUE(WaitFor([&] { return viewer.View()->title() == QStringLiteral("login-fixture"); }));
  viewer.SetUrl("");
  QTest::qWait(200);
  EXPECT_EQ(viewer.View()->url(), QUrl::fromLocalFile(kFixtures + "login.html"));
}

TEST(HtmlViewerTest, DocumentWindowAnswersToTheBrowserServerClassBelowTheBox) {
  HtmlViewer viewer(HtmlViewer::Storage::kOffTheRecord);
  platform::qt::QtWindowTree windows;
  const auto children = windows.Children(viewer.Handle());
  ASSERT_FALSE(children.empty());
  EXPECT_EQ(windows.ClassName(children.front()), "Internet Explorer_Server");
  EXPECT_EQ(platform::qt::WidgetOfHandle(children.front()), viewer.View());
}

TEST(HtmlViewerTest, PageStaysVisibleAndRunningWhenItsTabIsHiddenOrTheWindowMinimised) {
  QTabWidget tabs;
  auto* viewer = new HtmlViewer(HtmlViewer::Storage::kOffTheRecord);
  tabs.addTab(new QWidget, QStringLiteral("settings"));
  tabs.addTab(viewer, QStringLiteral("back end"));
  tabs.setCurrentIndex(1);
  tabs.resize(640, 480);
  tabs.show();
  viewer->View()->setHtml(QStringLiteral(
      "<title>t</title><script>window.ticks = 0; setInterval(function () { ticks++; }, 50);"
      "</script>"));
  ASSERT_TRUE(WaitFor([&] { return viewer->View()->title() == QStringLiteral("t"); }));

  auto read = [&](const char* what) {
    viewer->View()->page()->runJavaScript(QStringLiteral("document.title = %1").arg(what));
    QTest::qWait(100);
    return viewer->View()->title();
  };
  tabs.setCurrentIndex(0);
  tabs.showMinimized();
  QTest::qWait(300);
  EXPECT_FALSE(viewer->isVisible());
  EXPECT_EQ(read("document.visibilityState"), QStringLiteral("visible"));
  const int before = read("String(ticks)").toInt();
  QTest::qWait(500);
  EXPECT_GT(read("String(ticks)").toInt(), before + 3);
}

}  // namespace
