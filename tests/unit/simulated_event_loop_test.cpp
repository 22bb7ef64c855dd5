// The simulated loop stands in for the real one in every scheduler test, so its
// timer rules and nesting must be those of the real loop.
#include "tests/support/simulated_event_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::MessageBoxAnswer;
using platform::MessageBoxButtons;
using test_support::SimulatedEventLoop;

struct PeriodWrite {
  int64_t at_ms;
  int32_t period_ms;
};

struct TimerCase {
  std::string name;
  std::vector<PeriodWrite> writes;
  int64_t run_until_ms;
  std::vector<int64_t> expected_firings;
  int32_t expected_period;
};

class TimerPeriodTest : public ::testing::TestWithParam<TimerCase> {};

TEST_P(TimerPeriodTest, FiresWhenTheWrittenPeriodsSay) {
  const TimerCase& c = GetParam();
  SimulatedEventLoop loop;
  std::vector<int64_t> firings;
  auto timer = loop.CreateTimer([&] { firings.push_back(loop.Now()); });
  for (const PeriodWrite& write : c.writes) {
    loop.At(write.at_ms, [&, write] { platform::SetTimerPeriod(*timer, write.period_ms); });
  }
  loop.RunUntil(c.run_until_ms);
  EXPECT_EQ(firings, c.expected_firings);
  EXPECT_EQ(timer->Period(), c.expected_period);
}

INSTANTIATE_TEST_SUITE_P(
    SetTimerPeriod, TimerPeriodTest,
    ::testing::Values(
        TimerCase{"PositivePeriodFiresOnePeriodAfterTheWriteAndThenRepeats", {{0, 1000}}, 3500,
                  {1000, 2000, 3000}, 1000},
        TimerCase{"SamePeriodAgainKeepsTheRunningSchedule", {{0, 1000}, {1500, 1000}}, 3500,
                  {1000, 2000, 3000}, 1000},
        TimerCase{"OtherPeriodRestartsFromTheWrite", {{0, 1000}, {1500, 700}}, 3000,
                  {1000, 2200, 2900}, 700},
        TimerCase{"ZeroStops", {{0, 1000}, {2500, 0}}, 6000, {1000, 2000}, 0},
        TimerCase{"NegativeStops", {{0, 1000}, {1200, -5}}, 6000, {1000}, 0},
        TimerCase{"StoppedTimerRestartsWithTheSamePeriod", {{0, 1000}, {1500, 0}, {1600, 1000}},
                  3000, {1000, 2600}, 1000},
        TimerCase{"NeverStartedNeverFires", {}, 10000, {}, 0}),
    [](const ::testing::TestParamInfo<TimerCase>& info) { return info.param.name; });

TEST(SimulatedEventLoopTest, TimerFiresInsideTheWaitOfItsOwnHandler) {
  SimulatedEventLoop loop;
  std::vector<std::string> trace;
  int depth = 0;
  std::unique_ptr<platform::Timer> timer;
  timer = loop.CreateTimer([&] {
    trace.push_back("fire@" + std::to_string(loop.Now()) + " depth" + std::to_string(depth));
    if (depth == 0) {
      ++depth;
      loop.PumpingDelay(2500);
      --depth;
      trace.push_back("resumed@" + std::to_string(loop.Now()));
    }
  });
  platform::SetTimerPeriod(*timer, 1000);
  loop.RunUntil(3600);
  EXPECT_EQ(trace, (std::vector<std::string>{"fire@1000 depth0", "fire@2000 depth1",
                                             "fire@3000 depth1", "resumed@3500"}));
}

TEST(SimulatedEventLoopTest, EventsDueDuringAWaitRunNestedInTimeOrder) {
  SimulatedEventLoop loop;
  std::vector<std::string> trace;
  auto tick = loop.CreateTimer([&] { trace.push_back("tick@" + std::to_string(loop.Now())); });
  loop.At(100, [&] {
    trace.push_back("handler starts");
    platform::SetTimerPeriod(*tick, 1000);
    loop.PumpingDelay(2500);
    trace.push_back("handler resumes@" + std::to_string(loop.Now()));
  });
  loop.At(1600, [&] { trace.push_back("click@1600"); });
  loop.RunUntil(2700);
  EXPECT_EQ(trace, (std::vector<std::string>{"handler starts", "tick@1100", "click@1600",
                                             "tick@2100", "handler resumes@2600"}));
}

TEST(SimulatedEventLoopTest, WaitOfZeroOrLessReturnsWithoutDispatching) {
  SimulatedEventLoop loop;
  int clicks = 0;
  loop.At(0, [&] { ++clicks; });
  loop.PumpingDelay(0);
  loop.PumpingDelay(-100);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(loop.Now(), 0);
}

TEST(SimulatedEventLoopTest, MessageBoxIsAnsweredFromTheScriptAndKeepsDispatching) {
  SimulatedEventLoop loop;
  int ticks = 0;
  auto tick = loop.CreateTimer([&] { ++ticks; });
  platform::SetTimerPeriod(*tick, 1000);
  loop.AnswerNextMessageBox(MessageBoxAnswer::kYes, 3500);

  const MessageBoxAnswer answer =
      loop.ShowMessageBox("问题", platform::Text("提醒"), MessageBoxButtons::kYesNo);

  EXPECT_EQ(answer, MessageBoxAnswer::kYes);
  EXPECT_EQ(ticks, 3);
  ASSERT_EQ(loop.MessageBoxes().size(), 1u);
  EXPECT_EQ(loop.MessageBoxes()[0].text, "问题");
  EXPECT_EQ(loop.MessageBoxes()[0].title, "提醒");
}

TEST(SimulatedEventLoopTest, MessageBoxWithoutTitleIsTitledInformationAndUnscriptedCloseNeutral) {
  SimulatedEventLoop loop;
  EXPECT_EQ(loop.ShowMessageBox("a", std::nullopt, MessageBoxButtons::kOk), MessageBoxAnswer::kOk);
  EXPECT_EQ(loop.ShowMessageBox("b", std::nullopt, MessageBoxButtons::kYesNo),
            MessageBoxAnswer::kNo);
  ASSERT_EQ(loop.MessageBoxes().size(), 2u);
  EXPECT_EQ(loop.MessageBoxes()[0].title, "\xD0\xC5\xCF\xA2\xA3\xBA");  // 信息：
  EXPECT_EQ(loop.MessageBoxes()[1].title, "\xD0\xC5\xCF\xA2\xA3\xBA");
}

TEST(SimulatedEventLoopTest, AfterQuitWaitsReturnAtOnceAndNoBoxIsShown) {
  SimulatedEventLoop loop;
  std::vector<std::string> trace;
  loop.At(1000, [&] {
    loop.RequestQuit();
    loop.PumpingDelay(5000);
    trace.push_back("resumed@" + std::to_string(loop.Now()));
    trace.push_back(loop.ShowMessageBox("q", std::nullopt, MessageBoxButtons::kYesNo) ==
                            MessageBoxAnswer::kNo
                        ? "answered no"
                        : "answered yes");
  });
  loop.At(2000, [&] { trace.push_back("never"); });
  loop.RunUntil(10000);
  EXPECT_EQ(trace, (std::vector<std::string>{"resumed@1000", "answered no"}));
  EXPECT_TRUE(loop.MessageBoxes().empty());
}

TEST(SimulatedEventLoopTest, HandlerMayDestroyItsOwnTimer) {
  SimulatedEventLoop loop;
  int fired = 0;
  std::unique_ptr<platform::Timer> timer;
  timer = loop.CreateTimer([&] {
    ++fired;
    timer.reset();
  });
  platform::SetTimerPeriod(*timer, 10);
  loop.RunUntil(100);
  EXPECT_EQ(fired, 1);
}

}  // namespace
