// Pages and renderers that misbehave: every page access still returns within
// its bound with the neutral value, and the next good page works again.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include <QElapsedTimer>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "pageauto/page_automation.h"
#include "platform/qt/html_viewer.h"
#include "platform/qt/qt_window_tree.h"
#include "tests/browser/qt_test_helpers.h"
#include "tests/support/loopback_http_server.h"

namespace {

using browser_tests::WaitFor;
using pageauto::PageAutomation;
using platform::qt::HtmlViewer;
using test_support::LoopbackHttpServer;

// Far above the one-second bound of a call, far below a hang.
constexpr qint64 kHangMs = 8000;

class PageFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer_.resize(800, 600);
    viewer_.show();
  }

  bool LoadHtml(const QString& html) {
    return browser_tests::LoadAndWait(viewer_.View(), [&] {
      viewer_.View()->setHtml(html, QUrl(QStringLiteral("http://127.0.0.1/")));
    });
  }

  platform::qt::QtWindowTree windows_;
  HtmlViewer viewer_{HtmlViewer::Storage::kOffTheRecord};
};

// A renderer looping forever keeps every later page of the same site as well;
// after a few unanswered calls the bridge ends it so the next load gets a fresh one.
TEST_F(PageFaultTest, ScriptLoopingForeverLeavesEveryCallBoundedAndTheNextPageWorks) {
  ASSERT_TRUE(LoadHtml(QStringLiteral("<title>busy</title><input type=button value=go>")));
  PageAutomation automation(windows_);
  ASSERT_TRUE(automation.AttachDocument(std::nullopt, viewer_.Handle()));
  viewer_.View()->page()->runJavaScript(QStringLiteral("setTimeout(function () { for (;;) {} }, 0)"));
  QTest::qWait(100);

  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(automation.GetPageContent("title"), "");
  EXPECT_FALSE(automation.ClickButton("go", 3));
  PageAutomation again(windows_);
  EXPECT_FALSE(again.AttachDocument(std::nullopt, viewer_.Handle()));
  EXPECT_LT(clock.elapsed(), 3 * kHangMs) << "calls into a looping page must end at their bound";
  bool ended = false;
  QObject::connect(viewer_.View()->page(), &QWebEnginePage::renderProcessTerminated,
                   [&] { ended = true; });
  for (int i = 0; i < 3; ++i) automation.GetPageContent("title");
  EXPECT_TRUE(WaitFor([&] { return ended; }, kHangMs)) << "the hung renderer was not ended";

  ASSERT_TRUE(LoadHtml(QStringLiteral("<title>fine</title>")));
  ASSERT_TRUE(again.AttachDocument(std::nullopt, viewer_.Handle()));
  EXPECT_EQ(again.GetPageContent("title"), "fine");
}

TEST_F(PageFaultTest, PageThatNeverFinishesLoadingLeavesTheToolWorking) {
  ASSERT_TRUE(LoadHtml(QStringLiteral("<title>before</title>")));
  LoopbackHttpServer silent("", /*answer=*/false);
  viewer_.SetUrl(silent.Url("/never.html"));
  ASSERT_TRUE(WaitFor([&] { return !silent.Requests().empty(); }));
  PageAutomation automation(windows_);
  QElapsedTimer clock;
  clock.start();
  automation.AttachDocument(std::nullopt, viewer_.Handle());
  // The document still shown answers, or nothing does; either way within the bound.
  const platform::Text title = automation.GetPageContent("title");
  EXPECT_TRUE(title == "before" || title.empty()) << title;
  EXPECT_FALSE(automation.ClickButton("1", 2));
  EXPECT_LT(clock.elapsed(), kHangMs);
}

TEST_F(PageFaultTest, RendererKilledDuringAWalkEndsItWithNothingPressed) {
  QString html = QStringLiteral("<title>many</title>");
  for (int i = 0; i < 20000; ++i) html += QStringLiteral("<input value=x%1>").arg(i);
  html += QStringLiteral("<input type=button value=target onclick=\"document.title='pressed'\">");
  ASSERT_TRUE(LoadHtml(html));
  PageAutomation automation(windows_);
  ASSERT_TRUE(automation.AttachDocument(std::nullopt, viewer_.Handle()));
  const qint64 pid = viewer_.View()->page()->renderProcessPid();
  ASSERT_GT(pid, 0);

  // No handler of ours runs while a call waits, so another thread ends the renderer.
  std::thread killer([pid] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(static_cast<pid_t>(pid), SIGKILL);
  });
  QElapsedTimer clock;
  clock.start();
  bool pressed = false;
  for (int i = 0; i < 50 && !pressed; ++i) pressed = automation.ClickButton("target", 3);
  killer.join();
  EXPECT_LT(clock.elapsed(), 3 * kHangMs);
  EXPECT_FALSE(automation.ClickButton("target", 3));
  EXPECT_EQ(automation.GetPageContent("title"), "");

  ASSERT_TRUE(LoadHtml(QStringLiteral("<title>back</title>")));
  ASSERT_TRUE(automation.AttachDocument(std::nullopt, viewer_.Handle()));
  EXPECT_EQ(automation.GetPageContent("title"), "back");
}

}  // namespace
