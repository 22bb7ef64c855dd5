// The browser box: a Chromium view whose document window answers to the
// class name browser-automation code looks for.
#pragma once

#include <memory>

#include <QMessageBox>
#include <QPointer>
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

  // The page's own dialogs (alert, confirm, prompt) never wait for anyone:
  // they are answered OK at once, so an unattended cycle is never held up by
  // one, and their last message stays on show in this box until replaced or
  // closed. Empty until a page has opened one.
  QMessageBox* PageMessage() const { return page_message_; }
  static constexpr char16_t kPageMessageTitle[] = u"网页消息";

 private:
  void ShowPageMessage(const QString& text);

  QPointer<QMessageBox> page_message_;
  QWebEngineProfile* profile_ = nullptr;
  QWebEngineView* view_ = nullptr;
  std::shared_ptr<PageBridge> bridge_;
};

}  // namespace platform::qt
