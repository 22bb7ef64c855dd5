// The event loop of the product: Qt's, with window timers that may fire inside
// their own handler's wait, a PumpingDelay that blocks on the event queue, and
// task-modal message boxes.
#pragma once

#include <QList>
#include <QPointer>

#include "platform/event_loop.h"

class QMessageBox;

namespace platform::qt {

class QtEventLoop : public EventLoop {
 public:
  std::unique_ptr<Timer> CreateTimer(std::function<void()> on_fire) override;
  void PumpingDelay(int32_t ms) override;
  bool QuitRequested() const override { return quit_requested_; }

  // Winds the program down: open message boxes close with their neutral answer,
  // waits return at once, and the main loop ends with exit code 0 as soon as
  // control gets back to it.
  void RequestQuit();

 protected:
  MessageBoxAnswer RunMessageBox(const Text& text, const Text& title,
                                 MessageBoxButtons buttons) override;

 private:
  bool quit_requested_ = false;
  QList<QPointer<QMessageBox>> open_boxes_;
};

}  // namespace platform::qt
