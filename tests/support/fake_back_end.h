// A back end in memory for the collection cycle: a browser box whose pages are
// fake documents, a window that records what it shows, and timers that record
// their periods, all on one timeline in virtual time.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cycle/cycle_view.h"
#include "platform/browser_box.h"
#include "platform/event_loop.h"
#include "tests/support/fake_dom.h"
#include "tests/support/fake_window_tree.h"
#include "tests/support/simulated_event_loop.h"

namespace test_support {

// "<seconds> <what>" lines, in the order things happened.
class Timeline {
 public:
  // Times are counted from the loop's time when the timeline starts.
  explicit Timeline(const SimulatedEventLoop& loop) : loop_(loop), origin_ms_(loop.Now()) {}
  void Record(const std::string& what);
  // The lines whose event starts with one of `prefixes`.
  std::vector<std::string> Only(const std::vector<std::string>& prefixes) const;
  const std::vector<std::string>& All() const { return lines_; }

 private:
  const SimulatedEventLoop& loop_;
  int64_t origin_ms_;
  std::vector<std::string> lines_;
};

// Pages by address; an address without a page shows a document that answers
// nothing. Loads are recorded as "load <address>", presses as "press <id>".
class FakeBrowserBox : public platform::BrowserBox {
 public:
  FakeBrowserBox(FakeWindowTree& windows, Timeline& timeline);

  FakeDom& AddPage(const Text& address);
  void SetUrl(const Text& url) override;
  WindowHandle Handle() const override { return box_; }
  const Text& Shown() const { return shown_; }

 private:
  FakeWindowTree& windows_;
  Timeline& timeline_;
  WindowHandle box_;
  WindowHandle document_window_;
  std::map<Text, std::shared_ptr<FakeDom>> pages_;  // shared: a page hands out references to itself
  Text shown_;
};

// Records "panel shown|hidden", "label <text>" and "page <n>".
class FakeCycleView : public cycle::CycleView {
 public:
  explicit FakeCycleView(Timeline& timeline) : timeline_(timeline) {}
  void ShowCountdownPanel(bool visible) override;
  void SetCountdownText(const Text& text) override;
  void SelectPage(Page page) override;
  const Text& Label() const { return label_; }
  bool PanelShown() const { return panel_shown_; }

 private:
  Timeline& timeline_;
  Text label_;
  bool panel_shown_ = false;
};

// A timer that records "<name> <period>" on every write that changes its period.
class RecordingTimer : public platform::Timer {
 public:
  RecordingTimer(std::unique_ptr<platform::Timer> timer, std::string name, Timeline& timeline)
      : timer_(std::move(timer)), name_(std::move(name)), timeline_(timeline) {}
  void SetPeriod(int32_t period_ms) override;
  int32_t Period() const override { return timer_->Period(); }

 private:
  std::unique_ptr<platform::Timer> timer_;
  std::string name_;
  Timeline& timeline_;
};

}  // namespace test_support
