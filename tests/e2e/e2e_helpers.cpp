#include "tests/e2e/e2e_helpers.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace e2e {

const QString kToolTitle = u"Quorvin挂机采集助手V2.0"_s;

bool Await(const std::function<bool()>& done, int bound_ms) {
  const QDeadlineTimer deadline(bound_ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void Pause(int ms) {
  Await([] { return false; }, ms);
}

CommandResult Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!Await([&] { return process.state() == QProcess::NotRunning; }, kCommandBoundMs)) {
    process.kill();
    process.waitForFinished(2000);
    return {};
  }
  if (process.error() == QProcess::FailedToStart || process.exitStatus() != QProcess::NormalExit) {
    return {};
  }
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

QStringList VisibleWindowsOf(qint64 pid) {
  const CommandResult found =
      Run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(pid)});
  return found.output.split(u'\n', Qt::SkipEmptyParts);
}

QString WindowName(const QString& window) {
  return Run(u"xdotool"_s, {u"getwindowname"_s, window}).output;
}

QString WindowSize(const QString& window) {
  const CommandResult geometry = Run(u"xdotool"_s, {u"getwindowgeometry"_s, window});
  const qsizetype at = geometry.output.indexOf(u"Geometry: "_s);
  return at < 0 ? QString() : geometry.output.mid(at + 10).section(u'\n', 0, 0).trimmed();
}

bool PressKey(const QString& window, const QString& key) {
  return Run(u"xdotool"_s, {u"windowfocus"_s, u"--sync"_s, window, u"key"_s, key}).exit_code == 0;
}

bool TypeText(const QString& window, const QString& text) {
  // A short delay between keys, so that none is lost on a busy machine.
  return Run(u"xdotool"_s,
             {u"windowfocus"_s, u"--sync"_s, window, u"type"_s, u"--delay"_s, u"50"_s, text})
             .exit_code == 0;
}

bool Click(const QString& window, QPoint at) {
  return Run(u"xdotool"_s, {u"mousemove"_s, u"--sync"_s, u"--window"_s, window,
                            QString::number(at.x()), QString::number(at.y()), u"click"_s, u"1"_s})
             .exit_code == 0;
}

bool SaveScreenshot(const QString& name) {
  const QString path = QDir(QStringLiteral(TEST_OUTPUT_DIR)).filePath(name);
  return Run(u"import"_s, {u"-window"_s, u"root"_s, path}).exit_code == 0;
}

WindowManager::WindowManager() {
  process_.start(u"openbox"_s, {u"--sm-disable"_s});
  if (!process_.waitForStarted(kCommandBoundMs)) return;
  // A window manager announces itself on the root window once it has taken over.
  ready_ = Await(
      [&] {
        return Run(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s})
            .output.contains(u"window id"_s);
      },
      kWindowBoundMs);
}

WindowManager::~WindowManager() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

ToolInstall::ToolInstall() {
  executable_ = QDir(folder_.path()).filePath(u"quorvin-assistant"_s);
  copied_ = QFile::copy(QStringLiteral(TOOL_EXECUTABLE), executable_);
}

ToolInstall::~ToolInstall() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

bool ToolInstall::WriteSettings(const QStringList& lines) {
  QFile file(QDir(folder_.path()).filePath(u"config.ini"_s));
  return file.open(QIODevice::WriteOnly) && file.write(lines.join(u"\r\n"_s).toLatin1()) >= 0 &&
         file.flush();
}

bool ToolInstall::Start() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  const QDir home(folder_.path());
  environment.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
  environment.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
  environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
  process_.setProcessEnvironment(environment);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(executable_, {});
  return process_.waitForStarted(kCommandBoundMs);
}

QString ToolInstall::AwaitMainWindow() {
  QString found;
  Await(
      [&] {
        for (const QString& window : VisibleWindowsOf(Pid())) {
          if (WindowName(window) == kToolTitle) found = window;
        }
        return !found.isEmpty() || process_.state() == QProcess::NotRunning;
      },
      kWindowBoundMs);
  return found;
}

QString ToolInstall::AwaitOtherWindow(const QString& main_window) {
  QString found;
  Await(
      [&] {
        for (const QString& window : VisibleWindowsOf(Pid())) {
          if (window != main_window) found = window;
        }
        return !found.isEmpty() || process_.state() == QProcess::NotRunning;
      },
      kWindowBoundMs);
  return found;
}

bool ToolInstall::AwaitWindowGone(const QString& window) {
  return Await([&] { return !VisibleWindowsOf(Pid()).contains(window); }, kWindowBoundMs);
}

int ToolInstall::AwaitExit(int bound_ms) {
  if (!Await([&] { return process_.state() == QProcess::NotRunning; }, bound_ms)) return -1;
  return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString ToolInstall::Output() { return QString::fromLocal8Bit(process_.readAll()).right(4000); }

}  // namespace e2e
