#include "platform/qt/page_bridge.h"

#include <csignal>
#include <iterator>
#include <utility>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include "platform/qt/blocking_call.h"
#include "platform/qt/bridge_answer.h"
#include "platform/qt/qt_text.h"

Q_LOGGING_CATEGORY(lcBridge, "quorvin.bridge", QtWarningMsg)

namespace platform::qt {
namespace {

constexpr quint32 kWorld = QWebEngineScript::ApplicationWorld;
constexpr std::size_t kReleaseBatch = 256;
// Calls in a row that a live renderer leaves unanswered (each after the full
// bound) before it counts as hung.
constexpr int kUnansweredCallsOfAHungRenderer = 5;

const QString& BridgeSource() {
  static const QString source = [] {
    QFile file(QStringLiteral(":/platform/qt/bridge.js"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }();
  return source;
}

ComObject::Id MakeId(uint32_t generation, uint32_t id) {
  return (static_cast<ComObject::Id>(generation) + 1) << 32 | id;
}
uint32_t GenerationOf(ComObject::Id id) { return static_cast<uint32_t>((id >> 32) - 1); }
uint32_t LocalIdOf(ComObject::Id id) { return static_cast<uint32_t>(id & 0xFFFFFFFFu); }

QString Json(const QJsonValue& value) {
  QJsonArray wrapper{value};
  const QByteArray compact = QJsonDocument(wrapper).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(compact.mid(1, compact.size() - 2));
}

const char kMissing[] = "missing";

// Statements sent without an answer; a document without the bridge skips them.
const char kIfBridge[] = "typeof __pageBridge !== 'undefined' && __pageBridge.";

}  // namespace

std::shared_ptr<PageBridge> PageBridge::Attach(QWebEnginePage* page) {
  std::shared_ptr<PageBridge> bridge(new PageBridge(page));
  QWebEngineScript script;
  script.setName(QStringLiteral("page-bridge"));
  script.setSourceCode(BridgeSource());
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(kWorld);
  script.setRunsOnSubFrames(false);
  page->scripts().insert(script);
  return bridge;
}

PageBridge::PageBridge(QWebEnginePage* page) : page_(page) {
  flush_timer_.setSingleShot(true);
  flush_timer_.setInterval(0);
  QObject::connect(&flush_timer_, &QTimer::timeout, [this] { SendPending(); });
  connections_.push_back(QObject::connect(
      page, &QWebEnginePage::renderProcessTerminated, page, [this](auto, int) {
        renderer_alive_ = false;
        WakeWaitingCall();
      }));
  connections_.push_back(QObject::connect(page, &QWebEnginePage::loadStarted, page,
                                          [this] { renderer_alive_ = true; }));
}

PageBridge::~PageBridge() {
  for (const auto& connection : connections_) QObject::disconnect(connection);
}

std::optional<QVariant> PageBridge::RunOnce(const QString& script, int timeout_ms) {
  if (!page_ || !renderer_alive_) return std::nullopt;
  struct Answer {
    bool arrived = false;
    QVariant value;
  };
  auto answer = std::make_shared<Answer>();
  page_->runJavaScript(script, kWorld, [answer](const QVariant& value) {
    answer->arrived = true;
    answer->value = value;
  });
  if (!WaitForAnswer([&] { return answer->arrived || !renderer_alive_ || !page_; },
                     timeout_ms) ||
      !answer->arrived) {
    qCDebug(lcBridge) << "no answer in time:" << script.left(200);
    if (renderer_alive_ && page_ && ++unanswered_calls_ >= kUnansweredCallsOfAHungRenderer) {
      // A renderer stuck in a script loop keeps every later page of the same
      // site too, so the unattended cycle could never recover. End it: the
      // next load starts a fresh one.
      const qint64 pid = page_->renderProcessPid();
      if (pid > 0) ::kill(static_cast<pid_t>(pid), SIGKILL);
      unanswered_calls_ = 0;
    }
    return std::nullopt;
  }
  unanswered_calls_ = 0;
  return answer->value;
}

std::optional<QVariant> PageBridge::Run(const QString& call, int timeout_ms) {
  const QString script = PendingScript() + QStringLiteral("typeof __pageBridge === 'undefined' ? '") +
                         QLatin1String(kMissing) + QStringLiteral("' : __pageBridge.") + call;
  auto value = RunOnce(script, timeout_ms);
  if (value && value->toString() == QLatin1String(kMissing)) {
    // A document made before the bridge was installed (the first blank page).
    if (!page_) return std::nullopt;
    page_->runJavaScript(BridgeSource(), kWorld);
    value = RunOnce(script, timeout_ms);
    if (value && value->toString() == QLatin1String(kMissing)) return std::nullopt;
  }
  return value;
}

Variant PageBridge::ToVariant(const BridgeValue& value) {
  if (!value.object) return value.plain;
  const QString& token = value.object->document_token;
  auto known = generations_.find(token);
  uint32_t generation;
  if (known == generations_.end()) {
    generation = static_cast<uint32_t>(tokens_.size());
    tokens_.push_back(token);
    generations_.emplace(token, generation);
  } else {
    generation = known->second;
  }
  return ComObject(shared_from_this(), MakeId(generation, value.object->id));
}

ComObject PageBridge::Document(int timeout_ms) {
  const auto answer = Run(QStringLiteral("document()"), timeout_ms);
  if (!answer) return {};
  return ToVariant(DecodeBridgeValue(*answer)).ToObject();
}

std::optional<QString> PageBridge::InvokeArguments(ComObject::Id id, const Text& name,
                                                  InvokeKind kind, const Arguments& arguments) {
  const uint32_t generation = GenerationOf(id);
  if (generation >= tokens_.size()) return std::nullopt;
  QJsonArray encoded_arguments;
  for (const Variant& argument : arguments) {
    BridgeValue value{argument, std::nullopt};
    if (argument.IsObject()) {
      const ComObject object = argument.ToObject();
      if (object.Host() != this) return std::nullopt;
      value = {Variant(), PageObjectRef{tokens_[GenerationOf(object.ObjectId())],
                                        LocalIdOf(object.ObjectId())}};
    }
    encoded_arguments.append(EncodeBridgeValue(value));
  }
  const QString kind_code = kind == InvokeKind::kGet   ? QStringLiteral("g")
                            : kind == InvokeKind::kPut ? QStringLiteral("p")
                                                       : QStringLiteral("c");
  // Built by joining, never by substitution, so no argument text is read as a placeholder.
  return Json(tokens_[generation]) + u',' + QString::number(LocalIdOf(id)) + u',' +
         Json(ToQString(name)) + u',' + Json(kind_code) + u',' + Json(encoded_arguments);
}

InvokeResult PageBridge::Invoke(ComObject::Id id, const Text& name, InvokeKind kind,
                                const Arguments& arguments) {
  const std::optional<QString> invoke_arguments = InvokeArguments(id, name, kind, arguments);
  if (!invoke_arguments) return {};
  const auto answer = Run(QStringLiteral("invoke(") + *invoke_arguments + u')', kCallTimeoutMs);
  if (!answer) return {};
  const std::optional<BridgeValue> value = DecodeInvokeAnswer(*answer);
  if (!value) return {};
  return {true, ToVariant(*value)};
}

ComObject PageBridge::InvokeAhead(ComObject::Id id, const Text& name, InvokeKind kind,
                                  const Arguments& arguments) {
  const std::optional<QString> invoke_arguments = InvokeArguments(id, name, kind, arguments);
  if (!invoke_arguments || !page_ || !renderer_alive_) return {};
  // Rides at the head of the next script sent to the page, as releases do, so
  // the object is under this number before any later call names it.
  uint32_t ahead_id;
  if (free_ahead_ids_.empty()) {
    ahead_id = kFirstAheadId | (next_ahead_++ & ~kFirstAheadId);
  } else {
    ahead_id = free_ahead_ids_.back();
    free_ahead_ids_.pop_back();
  }
  pending_.push_back({QLatin1String(kIfBridge) + QStringLiteral("invokeAhead(") + *invoke_arguments + u',' +
                          QString::number(ahead_id) + QStringLiteral(");"),
                      0, {}});
  ScheduleSend();
  return ComObject(shared_from_this(), MakeId(GenerationOf(id), ahead_id));
}

std::optional<std::vector<std::vector<Text>>> PageBridge::ReadEach(
    ComObject::Id id, const std::vector<Text>& names, const std::vector<Text>& candidates) {
  const uint32_t generation = GenerationOf(id);
  if (generation >= tokens_.size() || names.empty()) return std::nullopt;
  QJsonArray encoded_names;
  for (const Text& name : names) encoded_names.append(ToQString(name));
  QJsonValue encoded_candidates;  // null: every item read in full
  if (!candidates.empty()) {
    QJsonArray list;
    for (const Text& candidate : candidates) list.append(ToQString(candidate));
    encoded_candidates = list;
  }
  const QString head = QStringLiteral("readEach(") + Json(tokens_[generation]) + u',' +
                       QString::number(LocalIdOf(id)) + u',' + Json(encoded_names) + u',' +
                       Json(encoded_candidates) + u',';
  // A long collection comes in parts, each read within the call's bound.
  std::vector<std::vector<Text>> rows;
  for (;;) {
    const auto answer = Run(head + QString::number(rows.size()) + u',' +
                                QString::number(read_each_part_ms_) + u')',
                            kCallTimeoutMs);
    if (!answer) return std::nullopt;
    std::optional<RowsAnswer> part = DecodeRowsAnswer(*answer);
    if (!part) return std::nullopt;
    const std::size_t got = part->rows.size();
    if (rows.empty()) {
      rows = std::move(part->rows);
    } else {
      std::move(part->rows.begin(), part->rows.end(), std::back_inserter(rows));
    }
    if (part->complete) return rows;
    // A part that read nothing, or more than any collection holds, would go on forever.
    if (got == 0 || rows.size() > kMaxRows) return std::nullopt;
  }
}

void PageBridge::Release(ComObject::Id id) {
  const uint32_t generation = GenerationOf(id);
  if (generation >= tokens_.size()) return;
  const uint32_t local_id = LocalIdOf(id);
  if (pending_.empty() || !pending_.back().ahead.isEmpty() ||
      pending_.back().generation != generation) {
    pending_.push_back({QString(), generation, {}});
  }
  pending_.back().releases.push_back(local_id);
  if ((local_id & kFirstAheadId) != 0) free_ahead_ids_.push_back(local_id);
  if (++pending_release_count_ >= kReleaseBatch) {
    SendPending();
  } else {
    ScheduleSend();
  }
}

void PageBridge::ScheduleSend() {
  if (!flush_timer_.isActive()) flush_timer_.start();
}

QString PageBridge::PendingScript() {
  QString script;
  for (const PendingStep& step : pending_) {
    if (!step.ahead.isEmpty()) {
      script += step.ahead;
      continue;
    }
    QJsonArray list;
    for (uint32_t id : step.releases) list.append(static_cast<qint64>(id));
    script += QLatin1String(kIfBridge) + QStringLiteral("release(") + Json(tokens_[step.generation]) + u',' +
              Json(list) + QStringLiteral(");");
  }
  pending_.clear();
  pending_release_count_ = 0;
  return script;
}

void PageBridge::SendPending() {
  const QString script = PendingScript();
  if (!script.isEmpty() && page_ && renderer_alive_) page_->runJavaScript(script, kWorld);
}

}  // namespace platform::qt
