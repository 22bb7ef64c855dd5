#include "cycle/collection_cycle.h"

#include <cmath>
#include <limits>

#include "pageauto/page_automation.h"

namespace cycle {
namespace {

constexpr int32_t kPageLoadWaitMs = 5000;
constexpr int32_t kGenerationWaitMs = 20000;
constexpr int32_t kTickMs = 1000;

}  // namespace

CollectionCycle::CollectionCycle(platform::EventLoop& loop, platform::BrowserBox& browser,
                                 platform::WindowTree& windows, CycleView& view,
                                 const Settings& settings, Timers timers)
    : loop_(loop),
      browser_(browser),
      windows_(windows),
      view_(view),
      settings_(settings),
      timers_(timers) {}

int32_t CollectionCycle::CollectingSeconds(const platform::Text& round_minutes) {
  const double seconds = std::trunc(static_cast<double>(platform::TextToInt(round_minutes)) * 60);
  // The low 32 bits, as a 32-bit count would hold them.
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(seconds)));
}

int32_t CollectionCycle::IntervalPeriodMs(const platform::Text& interval_minutes) {
  const double period =
      std::trunc(static_cast<double>(platform::TextToInt(interval_minutes)) * 60000);
  // Too long a period is held at the longest a timer takes rather than wrapped
  // into a stopped or unrelated one.
  if (period <= 0) return 0;
  return static_cast<int32_t>(std::min<double>(period, std::numeric_limits<int32_t>::max()));
}

void CollectionCycle::StartCollecting() {
  view_.ShowCountdownPanel(true);
  browser_.SetUrl(settings_.collect_url);
  view_.SetCountdownText("正在准备采集，请稍等...");
  loop_.PumpingDelay(kPageLoadWaitMs);
  if (Abandoned()) return;
  platform::SetTimerPeriod(timers_.countdown, kTickMs);
  remaining_seconds_ = CollectingSeconds(settings_.round_minutes);
  pageauto::PageAutomation automation(windows_);
  automation.AttachDocument(std::nullopt, browser_.Handle());
  automation.ClickButton("开始采集", pageauto::PageAutomation::kByText);
}

void CollectionCycle::CountdownTick() {
  remaining_seconds_ -= 1;
  view_.SetCountdownText("距离生成页面剩余时间：" + platform::IntToText(remaining_seconds_) +
                         "秒");
  // A count that started at 0 or below has run out already: generate on this
  // first tick instead of counting down forever.
  if (remaining_seconds_ > 0) return;
  StopAndGenerate();
}

void CollectionCycle::StopAndGenerate() {
  pageauto::PageAutomation automation(windows_);
  platform::SetTimerPeriod(timers_.countdown, 0);
  view_.SetCountdownText("正在停止采集中...");
  automation.AttachDocument(std::nullopt, browser_.Handle());
  automation.ClickButton("停止采集", pageauto::PageAutomation::kByText);
  browser_.SetUrl(settings_.channel_html_url);
  view_.SetCountdownText("正在准备生成HTML");
  loop_.PumpingDelay(kPageLoadWaitMs);
  if (Abandoned()) return;
  automation.AttachDocument(std::nullopt, browser_.Handle());
  view_.SetCountdownText("正在生成HTML页面");
  automation.ClickButton("2", pageauto::PageAutomation::kByPosition);
  loop_.PumpingDelay(kGenerationWaitMs);
  if (Abandoned()) return;
  // Still the document attached above: no new attachment between the presses.
  automation.ClickButton("1", pageauto::PageAutomation::kByPosition);
  loop_.PumpingDelay(kGenerationWaitMs);
  if (Abandoned()) return;
  browser_.SetUrl(settings_.home_html_url);
  view_.SetCountdownText("采集完成，等待下一轮采集。");
  platform::SetTimerPeriod(timers_.interval, IntervalPeriodMs(settings_.interval_minutes));
}

void CollectionCycle::StopCycle() {
  view_.ShowCountdownPanel(false);
  platform::SetTimerPeriod(timers_.countdown, 0);
  browser_.SetUrl(settings_.login_url);
}

void CollectionCycle::EditSettings() {
  const platform::MessageBoxAnswer answer = loop_.ShowMessageBox(
      "如果程序正在采集中你修改配置，采集将会终止。\r\n是否继续执行修改配置操作？",
      platform::Text("提醒"), platform::MessageBoxButtons::kYesNo);
  if (answer != platform::MessageBoxAnswer::kYes) return;
  view_.ShowCountdownPanel(false);
  platform::SetTimerPeriod(timers_.countdown, 0);
  browser_.SetUrl(settings_.login_url);
  view_.SelectPage(CycleView::kSettingsPage);
}

}  // namespace cycle
