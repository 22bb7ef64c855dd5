#include "platform/qt/html_viewer.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window_tree.h"

namespace platform::qt {

HtmlViewer::HtmlViewer(Storage storage, QWidget* parent) : QWidget(parent) {
  profile_ = storage == Storage::kPersistent
                 ? new QWebEngineProfile(QStringLiteral("browser-box"), this)
                 : new QWebEngineProfile(this);
  view_ = new QWebEngineView(this);
  view_->setPage(new QWebEnginePage(profile_, view_));
  SetWindowClassName(view_, kBrowserServerClassName);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
}

HtmlViewer::~HtmlViewer() {
  // A page must go before its profile, or Chromium keeps the profile alive.
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
