#include "platform/qt/html_viewer.h"

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

}  // namespace

HtmlViewer::HtmlViewer(Storage storage, QWidget* parent) : QWidget(parent) {
  profile_ = storage == Storage::kPersistent
                 ? new QWebEngineProfile(QStringLiteral("browser-box"), this)
                 : new QWebEngineProfile(this);
  view_ = new AlwaysShownView(this);
  view_->setPage(new QWebEnginePage(profile_, view_));
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

WindowHandle HtmlViewer::Handle() const {
  return HandleOfWidget(const_cast<HtmlViewer*>(this));
}

}  // namespace platform::qt
