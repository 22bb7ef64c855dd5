#include "platform/qt/blocking_call.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace platform::qt {
namespace {

using Clock = std::chrono::steady_clock;

// Timers are held back during the wait, so nothing on the loop's own thread
// would end it at the deadline: this thread wakes the loop when the time is up.
class DeadlineWaker {
 public:
  DeadlineWaker() : thread_([this] { Run(); }) {}
  ~DeadlineWaker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  std::multiset<Clock::time_point>::iterator Arm(Clock::time_point deadline,
                                                 QAbstractEventDispatcher* dispatcher) {
    std::lock_guard<std::mutex> lock(mutex_);
    dispatcher_ = dispatcher;
    auto it = deadlines_.insert(deadline);
    // Calls come one after another, each due later than the last: the thread
    // is then already set to wake sooner and checks again then. Waking it for
    // every call would cost a thread switch a call.
    if (deadline < wakes_at_) changed_.notify_all();
    return it;
  }

  void Disarm(std::multiset<Clock::time_point>::iterator it) {
    std::lock_guard<std::mutex> lock(mutex_);
    deadlines_.erase(it);
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
      if (deadlines_.empty()) {
        wakes_at_ = Clock::time_point::max();
        changed_.wait(lock);
        continue;
      }
      const Clock::time_point next = *deadlines_.begin();
      wakes_at_ = next;
      if (changed_.wait_until(lock, next) == std::cv_status::timeout &&
          !deadlines_.empty() && *deadlines_.begin() <= Clock::now() && dispatcher_) {
        dispatcher_->wakeUp();
        // The waiting side disarms; until then do not wake it in a loop.
        changed_.wait_for(lock, std::chrono::milliseconds(5));
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::multiset<Clock::time_point> deadlines_;
  QAbstractEventDispatcher* dispatcher_ = nullptr;
  // When the thread will look at the deadlines next, unless woken.
  Clock::time_point wakes_at_ = Clock::time_point::max();
  bool stopping_ = false;
  std::thread thread_;
};

DeadlineWaker& Waker() {
  static DeadlineWaker waker;
  return waker;
}

}  // namespace

bool WaitForAnswer(const std::function<bool()>& done, int timeout_ms) {
  if (done()) return true;
  QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
  if (dispatcher == nullptr) return false;
  const QDeadlineTimer deadline(timeout_ms, Qt::PreciseTimer);
  const auto armed =
      Waker().Arm(Clock::now() + std::chrono::milliseconds(timeout_ms), dispatcher);
  constexpr auto kFlags = QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers |
                          QEventLoop::WaitForMoreEvents;
  while (!done() && !deadline.hasExpired()) dispatcher->processEvents(kFlags);
  Waker().Disarm(armed);
  return done();
}

void WakeWaitingCall() {
  if (QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher()) {
    dispatcher->wakeUp();
  }
}

}  // namespace platform::qt
