// Helpers for tests on real widgets: answering modal message boxes and waiting
// for conditions, each with a bound.
#pragma once

#include <algorithm>
#include <functional>
#include <ostream>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWebEngineView>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace browser_tests {

struct SeenMessageBox {
  QString title;
  QString text;
  QStringList buttons;
};

// Watches for modal message boxes and answers each with the button whose text
// starts with `answer` (e.g. "确定", "是", "否"), after `open_for_ms`.
class MessageBoxAnswerer : public QObject {
 public:
  explicit MessageBoxAnswerer(QString answer, int open_for_ms = 0)
      : answer_(std::move(answer)), open_for_ms_(open_for_ms) {
    poll_.setInterval(10);
    QObject::connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
    poll_.start();
  }

  const QList<SeenMessageBox>& Seen() const { return seen_; }

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box == current_) return;
    current_ = box;
    SeenMessageBox seen{box->windowTitle(), box->text(), {}};
    for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
    seen_ << seen;
    QTimer::singleShot(open_for_ms_, box, [box, answer = answer_] {
      for (QAbstractButton* button : box->buttons()) {
        if (button->text().startsWith(answer)) {
          button->click();
          return;
        }
      }
    });
  }

  QString answer_;
  int open_for_ms_;
  QTimer poll_;
  QMessageBox* current_ = nullptr;
  QList<SeenMessageBox> seen_;
};

// Processes events until `done` holds or `timeout_ms` passes; returns `done()`.
// Blocks on the event queue between looks, with a tick so that a condition no
// event announces is seen too: a loop that polls would take a core from the
// renderer on a small machine, and slow what a bench measures.
inline bool WaitFor(const std::function<bool()>& done, int timeout_ms = 10000) {
  const QDeadlineTimer deadline(timeout_ms);
  QTimer tick;
  tick.start(std::clamp(timeout_ms, 1, 20));
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents();
  }
  return done();
}

// Starts a load with `start` and waits for `view` to finish it; false when it
// did not within `timeout_ms`.
inline bool LoadAndWait(QWebEngineView* view, const std::function<void()>& start,
                        int timeout_ms = 20000) {
  bool finished = false;
  const auto connection =
      QObject::connect(view, &QWebEngineView::loadFinished, [&](bool) { finished = true; });
  start();
  const bool ok = WaitFor([&] { return finished; }, timeout_ms);
  QObject::disconnect(connection);
  return ok;
}

}  // namespace browser_tests
