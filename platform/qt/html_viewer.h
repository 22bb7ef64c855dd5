// The browser box: a Chromium view whose document window answers to the
// class name browser-automation code looks for.
#pragma once

#include <memory>

#include <QWidget>

#include "platform/browser_box.h"

class QWebEngineProfile;
class QWebEngineView;

namespace platform::qt {

class PageBridge;

class HtmlViewer : public QWidget, public BrowserBox {
  Q_OBJECT

 public:
  // Persistent keeps the operator's log-in across restarts; tests use
  // off-the-record profiles so that they can run side by side.
  enum class Storage { kPersistent, kOffTheRecord };

  explicit HtmlViewer(Storage storage, QWidget* parent = nullptr);
  ~HtmlViewer() override;

  void SetUrl(const Text& url) override;
  WindowHandle Handle() const override;

  QWebEngineView* View() const { return view_; }
  // Late-bound access to the document shown.
  const std::shared_ptr<PageBridge>& Bridge() const { return bridge_; }

 private:
  QWebEngineProfile* profile_ = nullptr;
  QWebEngineView* view_ = nullptr;
  std::shared_ptr<PageBridge> bridge_;
};

}  // namespace platform::qt
