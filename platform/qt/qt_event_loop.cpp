#include "platform/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/qt/qt_text.h"

using namespace Qt::Literals::StringLiterals;

namespace platform::qt {
namespace {

class QtTimer : public Timer {
 public:
  explicit QtTimer(std::function<void()> on_fire) : on_fire_(std::move(on_fire)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
  }

  void SetPeriod(int32_t period_ms) override {
    if (period_ms <= 0) {
      period_ms_ = 0;
      timer_.stop();
      return;
    }
    if (period_ms == period_ms_) return;
    period_ms_ = period_ms;
    timer_.start(period_ms_);
  }

  int32_t Period() const override { return period_ms_; }

 private:
  // Qt never delivers a timer inside its own handler, but a window timer must be
  // able to fire again while its handler waits in PumpingDelay. Re-arming before
  // the handler runs registers a fresh timer that is free to fire nested.
  void Fire() {
    timer_.start(period_ms_);
    on_fire_();
  }

  std::function<void()> on_fire_;
  QTimer timer_;
  int32_t period_ms_ = 0;
};

}  // namespace

std::unique_ptr<Timer> QtEventLoop::CreateTimer(std::function<void()> on_fire) {
  return std::make_unique<QtTimer>(std::move(on_fire));
}

void QtEventLoop::PumpingDelay(int32_t ms) {
  if (ms <= 0 || quit_requested_) return;
  const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
  // Only there to end the blocking wait for events when the time is up.
  QTimer wake_up;
  wake_up.setSingleShot(true);
  wake_up.setTimerType(Qt::PreciseTimer);
  wake_up.start(ms);
  while (!deadline.hasExpired() && !quit_requested_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (!wake_up.isActive() && !deadline.hasExpired()) {
      // A nested wait may have consumed our wake-up; arm it again for the rest.
      wake_up.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
  }
}

void QtEventLoop::RequestQuit() {
  if (quit_requested_) return;
  quit_requested_ = true;
  for (const QPointer<QMessageBox>& box : open_boxes_) {
    if (box) box->reject();
  }
  QCoreApplication::exit(0);
}

MessageBoxAnswer QtEventLoop::RunMessageBox(const Text& text, const Text& title,
                                            MessageBoxButtons buttons) {
  QString body = ToQString(text);
  body.replace(u"\r\n"_s, u"\n"_s);
  QMessageBox box(buttons == MessageBoxButtons::kOk ? QMessageBox::Information
                                                    : QMessageBox::Question,
                  ToQString(title), body);
  box.setWindowModality(Qt::ApplicationModal);
  QPushButton* ok = nullptr;
  QPushButton* yes = nullptr;
  QPushButton* no = nullptr;
  if (buttons == MessageBoxButtons::kOk) {
    ok = box.addButton(u"确定"_s, QMessageBox::AcceptRole);
    box.setEscapeButton(ok);
  } else {
    yes = box.addButton(u"是(&Y)"_s, QMessageBox::YesRole);
    no = box.addButton(u"否(&N)"_s, QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
  }
  open_boxes_.append(&box);
  box.exec();
  open_boxes_.removeAll(&box);
  if (buttons == MessageBoxButtons::kOk) return MessageBoxAnswer::kOk;
  return !quit_requested_ && box.clickedButton() == yes ? MessageBoxAnswer::kYes
                                                        : MessageBoxAnswer::kNo;
}

}  // namespace platform::qt
