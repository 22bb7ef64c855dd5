// The collection cycle in virtual time against a back end in memory: the
// schedule of loads and presses, what the panel says, and what the stop, edit
// and start buttons do at every stage, nested waits included.
#include "cycle/collection_cycle.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/fake_back_end.h"

namespace {

using cycle::CollectionCycle;
using platform::MessageBoxAnswer;
using test_support::FakeBrowserBox;
using test_support::FakeCycleView;
using test_support::FakeDom;
using test_support::FakeWindowTree;
using test_support::RecordingTimer;
using test_support::SimulatedEventLoop;
using test_support::Timeline;
using Lines = std::vector<std::string>;

constexpr const char* kLogin = "http://site/login";
constexpr const char* kCollect = "http://site/collect";
constexpr const char* kChannel = "http://site/channel";
constexpr const char* kHome = "http://site/home";

class CollectionCycleTest : public ::testing::Test {
 protected:
  explicit CollectionCycleTest(int64_t start_ms = 0) : loop_(start_ms) {
    browser_.AddPage(kLogin);
    collect_ = &browser_.AddPage(kCollect);
    // Only the button-like inputs whose caption holds the text may be pressed.
    collect_->Add("input", {{"id", "search"}, {"type", "text"}, {"value", "开始采集"}});
    collect_->Add("input", {{"id", "hint"}, {"type", "hidden"}, {"value", "开始采集"}});
    collect_->Add("input", {{"id", "save"}, {"type", "button"}, {"value", "保存设置"}});
    collect_->Add("input", {{"id", "start"}, {"type", "submit"}, {"value", "开始采集"}});
    collect_->Add("input", {{"id", "stop"}, {"type", "button"}, {"value", "停止采集"}});
    channel_ = &browser_.AddPage(kChannel);
    channel_->Add("input", {{"id", "text"}, {"type", "text"}});
    channel_->Add("input", {{"id", "submit"}, {"type", "submit"}, {"value", "生成栏目"}});
    channel_->Add("input", {{"id", "plain"}, {"type", "button"}, {"value", "生成全部"}});
    home_ = &browser_.AddPage(kHome);
    settings_ = {kLogin, kCollect, kChannel, kHome, "1", "10"};
  }

  // Presses of the operator at given virtual seconds.
  void At(double seconds, std::function<void(CollectionCycle&)> press) {
    loop_.At(start_ms_ + static_cast<int64_t>(seconds * 1000), [this, press] { press(cycle_); });
  }
  void RunUntilSecond(int64_t seconds) { loop_.RunUntil(start_ms_ + seconds * 1000); }
  Lines Schedule() const { return timeline_.Only({"load", "press", "panel", "countdown", "interval", "page"}); }

  SimulatedEventLoop loop_;
  int64_t start_ms_ = loop_.Now();
  Timeline timeline_{loop_};
  FakeWindowTree windows_;
  FakeBrowserBox browser_{windows_, timeline_};
  FakeCycleView view_{timeline_};
  FakeDom* collect_ = nullptr;
  FakeDom* channel_ = nullptr;
  FakeDom* home_ = nullptr;
  cycle::Settings settings_;
  RecordingTimer countdown_{loop_.CreateTimer([this] { cycle_.CountdownTick(); }), "countdown",
                            timeline_};
  RecordingTimer interval_{loop_.CreateTimer([this] { cycle_.StartCollecting(); }), "interval",
                           timeline_};
  CollectionCycle cycle_{loop_, browser_, windows_, view_, settings_, {countdown_, interval_}};
};

TEST_F(CollectionCycleTest, OneWholeCycleThenTheNextOneIntervalAfterTheGenerationEnds) {
  At(0, &CollectionCycle::StartCollecting);
  RunUntilSecond(716);
  EXPECT_EQ(Schedule(), (Lines{
                            "0 panel shown",
                            "0 load http://site/collect",
                            "5 countdown 1000",
                            "5 press start",
                            "65 countdown 0",
                            "65 press stop",
                            "65 load http://site/channel",
                            "70 press plain",
                            "90 press submit",
                            "110 load http://site/home",
                            "110 interval 600000",
                            "710 panel shown",
                            "710 load http://site/collect",
                            "715 countdown 1000",
                            "715 press start",
                        }));
}

TEST_F(CollectionCycleTest, PanelCountsDownFrom59AndGoesStraightFromZeroToStopping) {
  At(0, &CollectionCycle::StartCollecting);
  RunUntilSecond(111);
  const Lines labels = timeline_.Only({"label"});
  const Lines expected_start = {"0 label 正在准备采集，请稍等...", "6 label 距离生成页面剩余时间：59秒"};
  const Lines expected_end = {
      "64 label 距离生成页面剩余时间：1秒",  "65 label 距离生成页面剩余时间：0秒",
      "65 label 正在停止采集中...",          "65 label 正在准备生成HTML",
      "70 label 正在生成HTML页面",           "110 label 采集完成，等待下一轮采集。",
  };
  ASSERT_EQ(labels.size(), 2u + 57u + expected_end.size());  // 59 down to 1, one label each
  EXPECT_EQ(Lines(labels.begin(), labels.begin() + 2), expected_start);
  EXPECT_EQ(Lines(labels.end() - expected_end.size(), labels.end()), expected_end);
  EXPECT_EQ(cycle_.RemainingSeconds(), 0);
}

struct ScheduleCase {
  std::string name;
  std::string round_minutes;
  std::string interval_minutes;
  std::vector<std::pair<double, std::function<void(CollectionCycle&, SimulatedEventLoop&,
                                                   cycle::Settings&)>>>
      actions;
  int64_t run_until_s;
  std::vector<std::string> kept;  // event prefixes compared
  Lines expected;
};

void PrintTo(const ScheduleCase& c, std::ostream* out) { *out << c.name; }

void Start(CollectionCycle& c, SimulatedEventLoop&, cycle::Settings&) { c.StartCollecting(); }
void Stop(CollectionCycle& c, SimulatedEventLoop&, cycle::Settings&) { c.StopCycle(); }
void EditYes(CollectionCycle& c, SimulatedEventLoop& loop, cycle::Settings&) {
  loop.AnswerNextMessageBox(MessageBoxAnswer::kYes);
  c.EditSettings();
}
void EditNo(CollectionCycle& c, SimulatedEventLoop& loop, cycle::Settings&) {
  loop.AnswerNextMessageBox(MessageBoxAnswer::kNo);
  c.EditSettings();
}
auto SetInterval(std::string minutes) {
  return [minutes](CollectionCycle&, SimulatedEventLoop&, cycle::Settings& s) {
    s.interval_minutes = minutes;
  };
}
auto Quit() {
  return [](CollectionCycle&, SimulatedEventLoop& loop, cycle::Settings&) { loop.RequestQuit(); };
}

class CycleScheduleTest : public CollectionCycleTest,
                          public ::testing::WithParamInterface<ScheduleCase> {};

TEST_P(CycleScheduleTest, FollowsTheSchedule) {
  const ScheduleCase& c = GetParam();
  settings_.round_minutes = c.round_minutes;
  settings_.interval_minutes = c.interval_minutes;
  for (const auto& [second, action] : c.actions) {
    loop_.At(static_cast<int64_t>(second * 1000),
             [this, action = action] { action(cycle_, loop_, settings_); });
  }
  RunUntilSecond(c.run_until_s);
  EXPECT_EQ(timeline_.Only(c.kept), c.expected);
}

const std::vector<std::string> kPresses = {"press"};
const std::vector<std::string> kCollectLoads = {"load http://site/collect"};
const std::vector<std::string> kStages = {"load", "press", "panel", "page", "countdown", "interval"};

INSTANTIATE_TEST_SUITE_P(
    CollectionCycle, CycleScheduleTest,
    ::testing::Values(
        ScheduleCase{"FullWidthMinutesCountTheSame", "\xA3\xB1", "10", {{0, Start}}, 100, kPresses,
                     {"5 press start", "65 press stop", "70 press plain", "90 press submit"}},
        ScheduleCase{"StopWhileCollectingBeforeAnyCycleLeavesItIdle", "1", "10",
                     {{0, Start}, {30, Stop}}, 2000, kStages,
                     {"0 panel shown", "0 load http://site/collect", "5 countdown 1000",
                      "5 press start", "30 panel hidden", "30 countdown 0",
                      "30 load http://site/login"}},
        ScheduleCase{"StopWhileCollectingAfterACycleKeepsTheIntervalRunning", "1", "10",
                     {{0, Start}, {740, Stop}}, 1314, {"load", "panel", "press start"},
                     {"0 panel shown", "0 load http://site/collect", "5 press start",
                      "65 load http://site/channel", "110 load http://site/home",
                      "710 panel shown", "710 load http://site/collect", "715 press start",
                      "740 panel hidden", "740 load http://site/login", "1310 panel shown",
                      "1310 load http://site/collect", "1315 press start"}},
        ScheduleCase{"StopDuringTheGenerationWaitsLetsTheRemainingStepsRun", "1", "10",
                     {{0, Start}, {80, Stop}}, 120, {"load", "press", "panel", "interval"},
                     {"0 panel shown", "0 load http://site/collect", "5 press start",
                      "65 press stop", "65 load http://site/channel", "70 press plain",
                      "80 panel hidden", "80 load http://site/login", "90 press submit",
                      "110 load http://site/home", "110 interval 600000"}},
        ScheduleCase{"EditSettingsAnsweredNoChangesNothing", "1", "10",
                     {{0, Start}, {30, EditNo}}, 111, kStages,
                     {"0 panel shown", "0 load http://site/collect", "5 countdown 1000",
                      "5 press start", "65 countdown 0", "65 press stop",
                      "65 load http://site/channel", "70 press plain", "90 press submit",
                      "110 load http://site/home", "110 interval 600000"}},
        ScheduleCase{"EditSettingsAnsweredYesAfterACycleShowsSettingsAndTheNextCycleStillRuns",
                     "1", "10", {{0, Start}, {200, EditYes}}, 716,
                     {"load", "panel", "page", "press start"},
                     {"0 panel shown", "0 load http://site/collect", "5 press start",
                      "65 load http://site/channel", "110 load http://site/home",
                      "200 panel hidden", "200 load http://site/login", "200 page 0",
                      "710 panel shown", "710 load http://site/collect", "715 press start"}},
        ScheduleCase{"StartPressedTwiceWithinFiveSecondsPressesStartTwiceAndRestartsTheCount",
                     "1", "10", {{0, Start}, {2, Start}}, 113, kStages,
                     {"0 panel shown", "0 load http://site/collect", "2 panel shown",
                      "2 load http://site/collect", "7 countdown 1000", "7 press start",
                      "7 press start", "67 countdown 0", "67 press stop",
                      "67 load http://site/channel", "72 press plain", "92 press submit",
                      "112 load http://site/home", "112 interval 600000"}},
        ScheduleCase{"CyclesStartEveryIntervalFromTheFirstGenerationEndWhateverEachTakes", "1",
                     "10", {{0, Start}}, 1911, kCollectLoads,
                     {"0 load http://site/collect", "710 load http://site/collect",
                      "1310 load http://site/collect", "1910 load http://site/collect"}},
        ScheduleCase{"ChangedIntervalAppliesAtTheNextArming", "1", "10",
                     {{0, Start}, {300, SetInterval("5")}}, 1421, kCollectLoads,
                     {"0 load http://site/collect", "710 load http://site/collect",
                      "1120 load http://site/collect", "1420 load http://site/collect"}},
        ScheduleCase{"ZeroIntervalStopsAfterTheFirstCycle", "1", "0", {{0, Start}}, 5000,
                     {"load", "interval"},
                     {"0 load http://site/collect", "65 load http://site/channel",
                      "110 load http://site/home"}},
        ScheduleCase{"IntervalWithoutANumberStopsAfterTheFirstCycle", "1", "soon", {{0, Start}},
                     5000, kCollectLoads, {"0 load http://site/collect"}},
        ScheduleCase{"IntervalShorterThanCollectingRestartsTheCountAndNeverGeneratesAgain", "2",
                     "1", {{0, Start}}, 600, kPresses,
                     {"5 press start", "125 press stop", "130 press plain", "150 press submit",
                      "235 press start", "295 press start", "355 press start", "415 press start",
                      "475 press start", "535 press start", "595 press start"}},
        ScheduleCase{"ZeroMinutesOfCollectingGenerateOnTheFirstTick", "0", "10", {{0, Start}}, 60,
                     kPresses,
                     {"5 press start", "6 press stop", "11 press plain", "31 press submit"}},
        ScheduleCase{"NegativeMinutesOfCollectingGenerateOnTheFirstTick", "-3", "10",
                     {{0, Start}}, 60, kPresses,
                     {"5 press start", "6 press stop", "11 press plain", "31 press submit"}},
        ScheduleCase{"IntervalTooLongForATimerIsHeldAtTheLongestPeriod", "1", "40000",
                     {{0, Start}}, 200, {"interval"}, {"110 interval 2147483647"}},
        ScheduleCase{"QuitDuringAGenerationWaitEndsTheHandlerThere", "1", "10",
                     {{0, Start}, {75, Quit()}}, 2000, {"load", "press", "interval"},
                     {"0 load http://site/collect", "5 press start", "65 press stop",
                      "65 load http://site/channel", "70 press plain"}}),
    [](const ::testing::TestParamInfo<ScheduleCase>& info) { return info.param.name; });

TEST_F(CollectionCycleTest, EmptyAddressesLeaveThePageAsItIs) {
  settings_.collect_url = "";
  settings_.channel_html_url = "";
  At(0, &CollectionCycle::StartCollecting);
  RunUntilSecond(120);
  EXPECT_EQ(timeline_.Only({"load"}), (Lines{"110 load http://site/home"}));
}

TEST_F(CollectionCycleTest, EditSettingsAsksTheQuestionTitledReminder) {
  loop_.AnswerNextMessageBox(MessageBoxAnswer::kNo);
  cycle_.EditSettings();
  ASSERT_EQ(loop_.MessageBoxes().size(), 1u);
  EXPECT_EQ(loop_.MessageBoxes()[0].text,
            "如果程序正在采集中你修改配置，采集将会终止。\r\n是否继续执行修改配置操作？");
  EXPECT_EQ(loop_.MessageBoxes()[0].title, "提醒");
  EXPECT_EQ(loop_.MessageBoxes()[0].buttons, platform::MessageBoxButtons::kYesNo);
}

TEST_F(CollectionCycleTest, TenThousandCyclesLeaveNoPageObjectHeldAndTheTimersAsScheduled) {
  settings_.interval_minutes = "2";
  At(0, &CollectionCycle::StartCollecting);
  // The first generation ends at 110 s; every later cycle starts 120 s apart.
  const int64_t end_of_last_generation_s = 110 + 9999 * 120 + 110;
  RunUntilSecond(end_of_last_generation_s + 1);
  EXPECT_EQ(timeline_.Only({"press stop"}).size(), 10000u);
  EXPECT_EQ(collect_->LiveReferences(), 0u);
  EXPECT_EQ(channel_->LiveReferences(), 0u);
  EXPECT_EQ(home_->LiveReferences(), 1u) << "only the browser window's own document";
  EXPECT_EQ(countdown_.Period(), 0);
  EXPECT_EQ(interval_.Period(), 120000);
  EXPECT_EQ(view_.Label(), "采集完成，等待下一轮采集。");
}

// An unattended tool passes the point where a 32-bit millisecond count wraps
// (49.7 days of uptime); the schedule must not notice.
class CycleAcrossTickWrapTest : public CollectionCycleTest {
 protected:
  CycleAcrossTickWrapTest() : CollectionCycleTest((int64_t{1} << 32) - 30000) {}
};

TEST_F(CycleAcrossTickWrapTest, ScheduleRunsOnUnchangedAcrossTheWrap) {
  settings_.interval_minutes = "2";
  At(0, &CollectionCycle::StartCollecting);
  RunUntilSecond(600);
  EXPECT_EQ(timeline_.Only({"load http://site/collect", "press"}),
            (Lines{"0 load http://site/collect", "5 press start", "65 press stop", "70 press plain",
                   "90 press submit", "230 load http://site/collect", "235 press start",
                   "295 press stop", "300 press plain", "320 press submit",
                   "350 load http://site/collect", "355 press start", "415 press stop",
                   "420 press plain", "440 press submit", "470 load http://site/collect",
                   "475 press start", "535 press stop", "540 press plain", "560 press submit",
                   "590 load http://site/collect", "595 press start"}));
}

struct MinutesCase {
  std::string minutes;
  int32_t collecting_seconds;
  int32_t interval_ms;
};

TEST(CycleMinutesTest, MinutesBecomeSecondsAndPeriods) {
  const MinutesCase cases[] = {
      {"1", 60, 60000},
      {"10", 600, 600000},
      {"\xA3\xB1\xA3\xB0", 600, 600000},  // full-width 10
      {" 3 minutes", 180, 180000},
      {"0", 0, 0},
      {"-5", -300, 0},
      {"abc", 0, 0},
      {"", 0, 0},
      {"35791", 2147460, 2147460000},
      {"35792", 2147520, 2147483647},
      {"-40000", -2400000, 0},
      // Seconds keep the low 32 bits of the product, as a 32-bit count does.
      {"35791395", -2147483596, 2147483647},
  };
  for (const MinutesCase& c : cases) {
    SCOPED_TRACE(c.minutes);
    EXPECT_EQ(CollectionCycle::CollectingSeconds(c.minutes), c.collecting_seconds);
    EXPECT_EQ(CollectionCycle::IntervalPeriodMs(c.minutes), c.interval_ms);
  }
}

}  // namespace
