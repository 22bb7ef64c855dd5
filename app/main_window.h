// The tool's one window: settings page, back-end page with the browser box,
// the cycle's buttons and countdown panel, and the start-up sequence.
#pragma once

#include <memory>
#include <string>

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include "cycle/collection_cycle.h"
#include "cycle/cycle_view.h"
#include "app/notice.h"
#include "cycle/settings.h"
#include "platform/event_loop.h"
#include "platform/qt/html_viewer.h"
#include "platform/qt/qt_window_tree.h"

class QFrame;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace platform::qt {
class QtEventLoop;
}

namespace app {

class PictureButton;

class MainWindow : public QWidget, public cycle::CycleView {
  Q_OBJECT

 public:
  struct Options {
    std::string settings_path;
    platform::qt::HtmlViewer::Storage browser_storage =
        platform::qt::HtmlViewer::Storage::kPersistent;
    // Where the start-up notice is read; empty reads none. Both services are
    // borrowed and must outlive the window.
    std::string notice_url;
    platform::HttpClient* http = nullptr;
    platform::Shell* shell = nullptr;
  };

  // Builds every control, then runs OnWindowCreated.
  MainWindow(platform::qt::QtEventLoop& loop, Options options);
  ~MainWindow() override;

  void PromptIncompleteSettings();
  void Minimise();
  // Posts the close; the program ends once the current handler has returned.
  void Close();
  void SaveSettings();

  const cycle::Settings& CurrentSettings() const { return settings_; }
  cycle::CollectionCycle& Cycle() const { return *cycle_; }
  const NoticeInfo& Notice() const { return notice_; }
  platform::qt::HtmlViewer* BrowserBox() const { return browser_box_; }
  platform::Timer& CountdownTimer() const { return *countdown_timer_; }
  platform::Timer& IntervalTimer() const { return *interval_timer_; }
  platform::Timer& PromptTimer() const { return *prompt_timer_; }
  platform::Timer& NoticeTimer() const { return *notice_timer_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void OnWindowCreated();
  void ApplyWindowShape();
  void FillEditBoxes();

  void ShowCountdownPanel(bool visible) override;
  void SetCountdownText(const platform::Text& text) override;
  void SelectPage(Page page) override;

  platform::qt::QtEventLoop& loop_;
  Options options_;
  cycle::Settings settings_;
  NoticeInfo notice_;
  QPixmap background_;

  QTabWidget* tabs_ = nullptr;
  QLineEdit* login_url_box_ = nullptr;
  QLineEdit* collect_url_box_ = nullptr;
  QLineEdit* channel_html_url_box_ = nullptr;
  QLineEdit* home_html_url_box_ = nullptr;
  QLineEdit* round_minutes_box_ = nullptr;
  QLineEdit* interval_minutes_box_ = nullptr;
  platform::qt::HtmlViewer* browser_box_ = nullptr;
  QFrame* countdown_panel_ = nullptr;
  QLabel* countdown_label_ = nullptr;

  std::unique_ptr<platform::Timer> countdown_timer_;  // 时钟1
  std::unique_ptr<platform::Timer> interval_timer_;   // 时钟2
  std::unique_ptr<platform::Timer> prompt_timer_;     // 时钟3
  std::unique_ptr<platform::Timer> notice_timer_;     // 时钟5

  platform::qt::QtWindowTree windows_;
  std::unique_ptr<cycle::CollectionCycle> cycle_;

  bool dragging_ = false;
  QPoint drag_offset_;
};

}  // namespace app
