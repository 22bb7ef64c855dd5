// The event loop in virtual time: a wait advances the clock and runs every
// timer firing and scripted action that falls due, nested exactly as the real
// loop nests them, so hours of schedule run in milliseconds.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/event_loop.h"

namespace test_support {

using platform::MessageBoxAnswer;
using platform::MessageBoxButtons;
using platform::Text;

class SimulatedEventLoop : public platform::EventLoop {
 public:
  struct ShownMessageBox {
    Text text;
    Text title;
    MessageBoxButtons buttons;
    int64_t shown_at_ms;
  };

  // The clock starts at `start_ms`, so schedules can be run across the points
  // where a 32-bit millisecond count would wrap.
  explicit SimulatedEventLoop(int64_t start_ms = 0);
  ~SimulatedEventLoop() override;

  int64_t Now() const { return now_ms_; }

  std::unique_ptr<platform::Timer> CreateTimer(std::function<void()> on_fire) override;
  void PumpingDelay(int32_t ms) override;
  bool QuitRequested() const override { return quit_requested_; }
  void RequestQuit() { quit_requested_ = true; }

  // Runs `action` (a click, say) when the clock reaches `time_ms`, from
  // whatever wait is running then.
  void At(int64_t time_ms, std::function<void()> action);
  // The top-level loop: dispatches everything due up to `time_ms`.
  void RunUntil(int64_t time_ms);
  void RunFor(int64_t ms) { RunUntil(now_ms_ + ms); }

  // The next message box gets `answer` after staying open `open_for_ms`, while
  // events go on being dispatched. Unscripted boxes close at once with kOk or kNo.
  void AnswerNextMessageBox(MessageBoxAnswer answer, int32_t open_for_ms = 0);
  const std::vector<ShownMessageBox>& MessageBoxes() const { return shown_boxes_; }

 protected:
  MessageBoxAnswer RunMessageBox(const Text& text, const Text& title,
                                 MessageBoxButtons buttons) override;

 private:
  struct Event;
  struct ScriptedAnswer {
    MessageBoxAnswer answer;
    int32_t open_for_ms;
  };

  // Dispatches due events, earliest first, until the clock passes `end_ms`.
  void DispatchUntil(int64_t end_ms);
  Event* NextDueEvent(int64_t end_ms);

  friend class SimulatedTimer;
  std::vector<std::shared_ptr<Event>> events_;
  std::deque<ScriptedAnswer> answers_;
  std::vector<ShownMessageBox> shown_boxes_;
  int64_t now_ms_ = 0;
  uint64_t next_sequence_ = 0;
  bool quit_requested_ = false;
};

}  // namespace test_support
