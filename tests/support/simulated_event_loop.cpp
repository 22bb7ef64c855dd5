#include "tests/support/simulated_event_loop.h"

#include <algorithm>

namespace test_support {

// A timer or a scripted action waiting for its time. Timers stay in the list
// while they exist; actions leave it once they have run.
struct SimulatedEventLoop::Event {
  std::function<void()> run;
  int64_t due_ms = 0;
  uint64_t sequence = 0;  // keeps events due at the same moment in the order they were set
  bool pending = false;
  bool is_timer = false;
  int32_t period_ms = 0;
};

class SimulatedTimer : public platform::Timer {
 public:
  SimulatedTimer(SimulatedEventLoop& loop, std::shared_ptr<SimulatedEventLoop::Event> event)
      : loop_(loop), event_(std::move(event)) {}
  ~SimulatedTimer() override {
    auto& events = loop_.events_;
    events.erase(std::remove(events.begin(), events.end(), event_), events.end());
  }

  void SetPeriod(int32_t period_ms) override {
    if (period_ms <= 0) {
      event_->period_ms = 0;
      event_->pending = false;
      return;
    }
    if (period_ms == event_->period_ms) return;
    event_->period_ms = period_ms;
    event_->due_ms = loop_.now_ms_ + period_ms;
    event_->sequence = loop_.next_sequence_++;
    event_->pending = true;
  }

  int32_t Period() const override { return event_->period_ms; }

 private:
  SimulatedEventLoop& loop_;
  std::shared_ptr<SimulatedEventLoop::Event> event_;
};

SimulatedEventLoop::SimulatedEventLoop(int64_t start_ms) : now_ms_(start_ms) {}
SimulatedEventLoop::~SimulatedEventLoop() = default;

std::unique_ptr<platform::Timer> SimulatedEventLoop::CreateTimer(std::function<void()> on_fire) {
  auto event = std::make_shared<Event>();
  event->run = std::move(on_fire);
  event->is_timer = true;
  events_.push_back(event);
  return std::make_unique<SimulatedTimer>(*this, std::move(event));
}

void SimulatedEventLoop::At(int64_t time_ms, std::function<void()> action) {
  auto event = std::make_shared<Event>();
  event->run = std::move(action);
  event->due_ms = time_ms;
  event->sequence = next_sequence_++;
  event->pending = true;
  events_.push_back(std::move(event));
}

void SimulatedEventLoop::PumpingDelay(int32_t ms) {
  if (ms <= 0 || quit_requested_) return;
  DispatchUntil(now_ms_ + ms);
}

void SimulatedEventLoop::RunUntil(int64_t time_ms) { DispatchUntil(time_ms); }

SimulatedEventLoop::Event* SimulatedEventLoop::NextDueEvent(int64_t end_ms) {
  Event* next = nullptr;
  for (const auto& event : events_) {
    if (!event->pending || event->due_ms > end_ms) continue;
    if (next == nullptr || event->due_ms < next->due_ms ||
        (event->due_ms == next->due_ms && event->sequence < next->sequence)) {
      next = event.get();
    }
  }
  return next;
}

void SimulatedEventLoop::DispatchUntil(int64_t end_ms) {
  while (!quit_requested_) {
    Event* event = NextDueEvent(end_ms);
    if (event == nullptr) break;
    now_ms_ = std::max(now_ms_, event->due_ms);
    // Keep the event alive while it runs: a handler may destroy its own timer.
    std::shared_ptr<Event> running;
    for (const auto& candidate : events_) {
      if (candidate.get() == event) running = candidate;
    }
    if (running->is_timer) {
      // Re-armed before the handler runs, so it can fire again inside its own wait.
      running->due_ms = now_ms_ + running->period_ms;
      running->sequence = next_sequence_++;
    } else {
      running->pending = false;
      events_.erase(std::remove(events_.begin(), events_.end(), running), events_.end());
    }
    running->run();
  }
  if (!quit_requested_) now_ms_ = std::max(now_ms_, end_ms);
}

void SimulatedEventLoop::AnswerNextMessageBox(MessageBoxAnswer answer, int32_t open_for_ms) {
  answers_.push_back({answer, open_for_ms});
}

MessageBoxAnswer SimulatedEventLoop::RunMessageBox(const Text& text, const Text& title,
                                                   MessageBoxButtons buttons) {
  shown_boxes_.push_back({text, title, buttons, now_ms_});
  ScriptedAnswer scripted{
      buttons == MessageBoxButtons::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo, 0};
  if (!answers_.empty()) {
    scripted = answers_.front();
    answers_.pop_front();
  }
  // The box is a modal loop of its own: events keep running while it is open.
  if (scripted.open_for_ms > 0) DispatchUntil(now_ms_ + scripted.open_for_ms);
  return scripted.answer;
}

}  // namespace test_support
