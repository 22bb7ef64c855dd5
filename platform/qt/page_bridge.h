// The C++ side of the in-page bridge: late-bound access to the objects of the
// document a Chromium page shows, one bounded synchronous call per access.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>

#include "platform/com_object.h"
#include "platform/qt/bridge_answer.h"

class QWebEnginePage;

namespace platform::qt {

class PageBridge : public ObjectHost {
 public:
  static constexpr int kCallTimeoutMs = 1000;

  // Installs the bridge script in `page` for every document it loads.
  static std::shared_ptr<PageBridge> Attach(QWebEnginePage* page);
  ~PageBridge() override;

  // The document the page shows now, or empty when it does not answer in time.
  ComObject Document(int timeout_ms = kCallTimeoutMs);

  InvokeResult Invoke(ComObject::Id id, const Text& name, InvokeKind kind,
                      const Arguments& arguments) override;
  // Sent without waiting; the page files the object under a number chosen
  // here, from a range its own numbering never reaches.
  ComObject InvokeAhead(ComObject::Id id, const Text& name, InvokeKind kind,
                        const Arguments& arguments) override;
  void Release(ComObject::Id id) override;
  bool CanReadEach() const override { return read_each_; }
  // Walks then fetch item by item, as on hosts without ReadEach; for comparing
  // the two paths.
  void SetReadEach(bool enabled) { read_each_ = enabled; }
  // How long the page may read for one part of a ReadEach; a long collection
  // comes in several parts, each call answering well inside its bound.
  static constexpr int kReadEachPartMs = 250;
  void SetReadEachPartMs(int ms) { read_each_part_ms_ = ms; }
  std::optional<std::vector<std::vector<Text>>> ReadEach(
      ComObject::Id id, const std::vector<Text>& names,
      const std::vector<Text>& candidates) override;

 private:
  explicit PageBridge(QWebEnginePage* page);

  // Runs `call` (an expression on `__pageBridge`) in the bridge's world and
  // waits for its value. Loads the bridge first where the document has none.
  std::optional<QVariant> Run(const QString& call, int timeout_ms);
  std::optional<QVariant> RunOnce(const QString& script, int timeout_ms);
  // The arguments of the page's invoke for this access, encoded; nothing when
  // the object or an argument belongs to no document of this page.
  std::optional<QString> InvokeArguments(ComObject::Id id, const Text& name, InvokeKind kind,
                                         const Arguments& arguments);
  // A decoded value, its page object (if any) made a reference of ours.
  Variant ToVariant(const BridgeValue& value);
  // Objects taken ahead and releases ride at the head of the next call; a lone
  // one goes out soon on its own.
  QString PendingScript();
  void ScheduleSend();
  void SendPending();

  QPointer<QWebEnginePage> page_;
  bool renderer_alive_ = true;
  bool read_each_ = true;
  int read_each_part_ms_ = kReadEachPartMs;
  int unanswered_calls_ = 0;
  static constexpr uint32_t kFirstAheadId = 0x80000000u;
  uint32_t next_ahead_ = 0;
  std::vector<QString> tokens_;              // document generation -> its bridge token
  std::map<QString, uint32_t> generations_;  // token -> document generation
  // What is not yet sent, in the order it happened: an object taken ahead, or
  // releases in a row of one document. A number let go may be taken again at
  // once, so its release must reach the page before its new use does.
  struct PendingStep {
    QString ahead;  // an invokeAhead call; empty for releases
    uint32_t generation = 0;
    std::vector<uint32_t> releases;
  };
  std::vector<PendingStep> pending_;
  std::size_t pending_release_count_ = 0;
  // Numbers for objects taken ahead that were let go, taken again last first:
  // the same walk repeated then sends the same script, which the page's
  // script engine has compiled already.
  std::vector<uint32_t> free_ahead_ids_;
  std::vector<QMetaObject::Connection> connections_;
  // One timer for all that is pending: a timer per release would pile up
  // while page calls hold timers back, and each added timer costs more.
  QTimer flush_timer_;
};

}  // namespace platform::qt
