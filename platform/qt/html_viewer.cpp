#include "platform/qt/html_viewer.h"

#include <functional>

#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "platform/qt/page_bridge.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window_tree.h"

namespace platform::qt {
namespace {

// The back end's pages drive themselves with script timers, and the tool runs
// them while its window is minimised or shows the other tab page. Chromium
// throttles a hidden page's timers down to once a minute, so the page is never
// told it was hidden.
class AlwaysShownView : public QWebEngineView {
 public:
  using QWebEngineView::QWebEngineView;

 protected:
  void hideEvent(QHideEvent* event) override { QWidget::hideEvent(event); }
};

// A modal dialog would run its own event loop inside whatever the tool was
// doing, and the cycle would wait there until someone came to press OK.
class UnattendedPage : public QWebEnginePage {
 public:
  UnattendedPage(QWebEngineProfile* profile, QObject* parent,
                 std::function<void(const QString&)> show)
      : QWebEnginePage(profile, parent), show_(std::move(show)) {}

 protected:
  void javaScriptAlert(const QUrl&, const QString& message) override { show_(message); }
  bool javaScriptConfirm(const QUrl&, const QString& message) override {
    show_(message + QString::fromUtf16(kAnsweredOk));
    return true;
  }
  bool javaScriptPrompt(const QUrl&, const QString& message, const QString& default_value,
                        QString* result) override {
    show_(message + QString::fromUtf16(kAnsweredOk));
    if (result != nullptr) *result = default_value;
    return true;
  }

 private:
  static constexpr char16_t kAnsweredOk[] = u"\n\n（已自动回答“确定”，采集照常进行。）";
  std::function<void(const QString&)> show_;
};

}  // namespace

HtmlViewer::HtmlViewer(Storage storage, QWidget* parent) : QWidget(parent) {
  profile_ = storage == Storage::kPersistent
                 ? new QWebEngineProfile(QStringLiteral("browser-box"), this)
                 : new QWebEngineProfile(this);
  view_ = new AlwaysShownView(this);
  view_->setPage(new UnattendedPage(profile_, view_,
                                    [this](const QString& text) { ShowPageMessage(text); }));
  SetWindowClassName(view_, kBrowserServerClassName);
  bridge_ = PageBridge::Attach(view_->page());
  SetDocumentProvider(view_, [bridge = std::weak_ptr<PageBridge>(bridge_)](int timeout_ms) {
    auto alive = bridge.lock();
    return alive ? alive->Document(timeout_ms) : ComObject();
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
}

HtmlViewer::~HtmlViewer() {
  // A page must go before its profile, or Chromium keeps the profile alive.
  bridge_.reset();
  delete view_;
  view_ = nullptr;
}

void HtmlViewer::SetUrl(const Text& url) {
  if (url.empty()) return;
  view_->setUrl(QUrl::fromUserInput(ToQString(url)));
}

void HtmlViewer::ShowPageMessage(const QString& text) {
  // One box, its text replaced: a page that alerts every second must not
  // pile up windows over a night.
  if (!page_message_) {
    page_message_ = new QMessageBox(QMessageBox::Information, QString::fromUtf16(kPageMessageTitle),
                                    QString(), QMessageBox::Ok, window());
    page_message_->setWindowModality(Qt::NonModal);
    page_message_->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
  }
  page_message_->setText(text);
  page_message_->show();
  page_message_->raise();
}

WindowHandle HtmlViewer::Handle() const {
  return HandleOfWidget(const_cast<HtmlViewer*>(this));
}

}  // namespace platform::qt
