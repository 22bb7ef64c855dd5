// The one thread's event loop: window timers, waits that keep dispatching
// events, and task-modal message boxes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/text.h"

namespace platform {

// A window timer. Writing 0 or a negative period stops it, writing the period
// it already has changes nothing (a running timer keeps its schedule), any other
// positive period restarts it with the next firing one period after the write.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetPeriod(int32_t period_ms) = 0;
  virtual int32_t Period() const = 0;
};

inline void SetTimerPeriod(Timer& timer, int32_t period_ms) { timer.SetPeriod(period_ms); }

enum class MessageBoxButtons { kOk, kYesNo };
enum class MessageBoxAnswer { kOk, kYes, kNo };

// The title a message box gets when the caller gives none.
extern const char* const kDefaultMessageBoxTitle;

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  // The handler runs on the loop's thread each time the timer falls due; it may
  // nest inside a wait of another handler, including one of its own.
  virtual std::unique_ptr<Timer> CreateTimer(std::function<void()> on_fire) = 0;

  // Dispatches every event that arrives until `ms` milliseconds have passed;
  // 0 or less returns at once. Once the program is quitting it returns at once,
  // so waiting handlers wind down instead of holding the exit.
  virtual void PumpingDelay(int32_t ms) = 0;

  // Task-modal, no owner; events keep being handled while it is open. An
  // omitted title gives kDefaultMessageBoxTitle. While quitting it is not shown
  // and answers kOk or kNo.
  MessageBoxAnswer ShowMessageBox(const Text& text, const std::optional<Text>& title,
                                  MessageBoxButtons buttons);

  virtual bool QuitRequested() const = 0;

 protected:
  virtual MessageBoxAnswer RunMessageBox(const Text& text, const Text& title,
                                         MessageBoxButtons buttons) = 0;
};

}  // namespace platform
