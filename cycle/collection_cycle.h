// The unattended cycle: load the collection page and press "开始采集", count
// down the set minutes, press "停止采集", press the channel generation page's
// second then first button, load the home page generation address, and start
// again at every interval. Handlers are not guarded against nesting: while one
// waits, ticks, interval firings and clicks run inside the wait.
#pragma once

#include <cstdint>

#include "cycle/cycle_view.h"
#include "cycle/settings.h"
#include "platform/browser_box.h"
#include "platform/event_loop.h"
#include "platform/window_tree.h"

namespace cycle {

class CollectionCycle {
 public:
  struct Timers {
    platform::Timer& countdown;  // 时钟1
    platform::Timer& interval;   // 时钟2
  };

  // Everything is borrowed; `settings` is read afresh at each use.
  CollectionCycle(platform::EventLoop& loop, platform::BrowserBox& browser,
                  platform::WindowTree& windows, CycleView& view, const Settings& settings,
                  Timers timers);

  // 开始挂机, and every firing of the interval timer.
  void StartCollecting();
  // Every firing of the countdown timer; generates once the count has run out.
  void CountdownTick();
  // 停止挂机.
  void StopCycle();
  // 修改配置.
  void EditSettings();

  int32_t RemainingSeconds() const { return remaining_seconds_; }

  // Minutes as typed to the period of the interval timer; 0 stops it.
  static int32_t IntervalPeriodMs(const platform::Text& interval_minutes);
  // Minutes as typed to the seconds of one collecting phase.
  static int32_t CollectingSeconds(const platform::Text& round_minutes);

 private:
  void StopAndGenerate();
  // True when the program is ending: the handler stops where it is.
  bool Abandoned() const { return loop_.QuitRequested(); }

  platform::EventLoop& loop_;
  platform::BrowserBox& browser_;
  platform::WindowTree& windows_;
  CycleView& view_;
  const Settings& settings_;
  Timers timers_;
  int32_t remaining_seconds_ = 0;
};

}  // namespace cycle
