// The product's event loop on real Qt: waits that keep dispatching, window
// timers that nest inside their own handler, modal boxes, and winding down.
#include "platform/qt/qt_event_loop.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "platform/qt/qt_text.h"
#include "tests/browser/qt_test_helpers.h"

namespace {

using browser_tests::MessageBoxAnswerer;
using platform::MessageBoxAnswer;
using platform::MessageBoxButtons;
using platform::qt::QtEventLoop;

TEST(QtEventLoopTest, PumpingDelayDispatchesEventsAndReturnsOnlyWhenTheTimeHasPassed) {
  QtEventLoop loop;
  int dispatched = 0;
  QTimer::singleShot(50, [&] { ++dispatched; });
  QTimer::singleShot(120, [&] { ++dispatched; });
  QElapsedTimer clock;
  clock.start();
  loop.PumpingDelay(300);
  EXPECT_GE(clock.elapsed(), 300);
  EXPECT_EQ(dispatched, 2);
}

TEST(QtEventLoopTest, WindowTimerFiresAgainInsideItsOwnHandlersWait) {
  QtEventLoop loop;
  int depth = 0;
  int max_depth = 0;
  int firings = 0;
  std::unique_ptr<platform::Timer> timer;
  timer = loop.CreateTimer([&] {
    ++firings;
    ++depth;
    max_depth = std::max(max_depth, depth);
    if (depth == 1) loop.PumpingDelay(400);
    --depth;
    if (depth == 0) platform::SetTimerPeriod(*timer, 0);
  });
  platform::SetTimerPeriod(*timer, 50);
  ASSERT_TRUE(browser_tests::WaitFor([&] { return timer->Period() == 0; }, 5000));
  EXPECT_EQ(max_depth, 2);
  EXPECT_GE(firings, 3);
}

TEST(QtEventLoopTest, TimerPeriodFollowsTheWrites) {
  QtEventLoop loop;
  auto timer = loop.CreateTimer([] {});
  EXPECT_EQ(timer->Period(), 0);
  platform::SetTimerPeriod(*timer, 1000);
  EXPECT_EQ(timer->Period(), 1000);
  platform::SetTimerPeriod(*timer, -1);
  EXPECT_EQ(timer->Period(), 0);
}

TEST(QtEventLoopTest, MessageBoxIsModalTitledAndTimersKeepFiringWhileItIsOpen) {
  QtEventLoop loop;
  int ticks = 0;
  auto timer = loop.CreateTimer([&] { ++ticks; });
  platform::SetTimerPeriod(*timer, 20);
  MessageBoxAnswerer answerer(QStringLiteral("是"), 300);

  const MessageBoxAnswer answer = loop.ShowMessageBox(
      "第一行\r\n第二行", platform::Text("提醒"), MessageBoxButtons::kYesNo);

  EXPECT_EQ(answer, MessageBoxAnswer::kYes);
  EXPECT_GE(ticks, 3);
  ASSERT_EQ(answerer.Seen().size(), 1);
  EXPECT_EQ(answerer.Seen()[0].title, QStringLiteral("提醒"));
  EXPECT_EQ(answerer.Seen()[0].text, QStringLiteral("第一行\n第二行"));
}

TEST(QtEventLoopTest, MessageBoxWithoutTitleIsTitledInformationAndNoAnswersNo) {
  QtEventLoop loop;
  MessageBoxAnswerer answerer(QStringLiteral("否"));
  EXPECT_EQ(loop.ShowMessageBox("x", std::nullopt, MessageBoxButtons::kYesNo),
            MessageBoxAnswer::kNo);
  ASSERT_EQ(answerer.Seen().size(), 1);
  EXPECT_EQ(answerer.Seen()[0].title, QStringLiteral("信息："));
}

TEST(QtEventLoopTest, QuitClosesTheOpenBoxAndEndsEveryWait) {
  QtEventLoop loop;
  QTimer::singleShot(100, [&] { loop.RequestQuit(); });
  QElapsedTimer clock;
  clock.start();
  const MessageBoxAnswer answer =
      loop.ShowMessageBox("q", std::nullopt, MessageBoxButtons::kYesNo);
  EXPECT_EQ(answer, MessageBoxAnswer::kNo);
  loop.PumpingDelay(60000);
  EXPECT_LT(clock.elapsed(), 30000) << "the wait went on after the quit";
  EXPECT_TRUE(loop.QuitRequested());
}

}  // namespace
