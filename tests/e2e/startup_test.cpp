// The real executable, started as a user starts it, on the private display that
// with-xvfb.sh provides, against a back end served on 127.0.0.1 by the test.
#include <functional>
#include <ostream>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// Readable failure messages for QString values (QStringList prints through it).
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

constexpr int kWindowBoundMs = 30000;
constexpr int kRequestBoundMs = 30000;
constexpr int kExitBoundMs = 15000;
constexpr int kCommandBoundMs = 20000;
// Lets the page draw for the screenshot, and gives a request for a wrong address
// or an unwanted prompt the time to show.
constexpr int kPaintSettleMs = 1500;

const QString kToolTitle = u"Quorvin挂机采集助手V2.0"_s;

// Runs the event loop until `done` holds; false once `bound_ms` has passed.
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

struct CommandResult {
  int exit_code = -1;  // -1: did not start, crashed or overran its bound
  QString output;
};

// The event loop keeps running meanwhile, so the page server keeps answering.
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

// XTEST keys go to the focused window; no window manager runs here to focus it.
bool PressKey(const QString& window, const QString& key) {
  return Run(u"xdotool"_s, {u"windowfocus"_s, u"--sync"_s, window, u"key"_s, key}).exit_code == 0;
}

bool SaveScreenshot(const QString& name) {
  const QString path = QDir(QStringLiteral(TEST_OUTPUT_DIR)).filePath(name);
  return Run(u"import"_s, {u"-window"_s, u"root"_s, path}).exit_code == 0;
}

// Answers every request with one small page over HTTP/1.0 and remembers the
// paths asked for, in order.
class PageServer : public QObject {
 public:
  PageServer() {
    connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
    server_.listen(QHostAddress::LocalHost, 0);
  }

  bool Listening() const { return server_.isListening(); }
  QString Url(const QString& path) const {
    return u"http://127.0.0.1:%1%2"_s.arg(server_.serverPort()).arg(path);
  }
  const QStringList& RequestedPaths() const { return requested_paths_; }

 private:
  void Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QObject::destroyed, this, [this, socket] { pending_.remove(socket); });
    }
  }

  void Read(QTcpSocket* socket) {
    QByteArray& request = pending_[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n")) return;
    requested_paths_ << QString::fromLatin1(request.split(' ').value(1));
    static const QByteArray kPage =
        "<!DOCTYPE html><html><head><title>back end</title></head>"
        "<body><form><input name=\"user\"><input type=\"password\" name=\"pass\"></form></body></html>";
    socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                  QByteArray::number(kPage.size()) + "\r\nConnection: close\r\n\r\n" + kPage);
    socket->disconnectFromHost();
    request.clear();
  }

  QTcpServer server_;
  QHash<QTcpSocket*, QByteArray> pending_;
  QStringList requested_paths_;
};

// A copy of the real executable in a folder of its own, since the tool reads
// config.ini beside its resolved path. Its Chromium profile stays in that
// folder too, so runs never share state.
class ToolInstall {
 public:
  ToolInstall() {
    executable_ = QDir(folder_.path()).filePath(u"quorvin-assistant"_s);
    copied_ = QFile::copy(QStringLiteral(TOOL_EXECUTABLE), executable_);
  }

  ~ToolInstall() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

  bool Ready() const { return folder_.isValid() && copied_; }

  bool WriteSettings(const QStringList& lines) {
    QFile file(QDir(folder_.path()).filePath(u"config.ini"_s));
    return file.open(QIODevice::WriteOnly) &&
           file.write(lines.join(u"\r\n"_s).toLatin1()) >= 0 && file.flush();
  }

  bool Start() {
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

  qint64 Pid() const { return process_.processId(); }

  // The main window's id once it is mapped; empty if it never is.
  QString AwaitMainWindow() {
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

  // Any other mapped top-level window of the tool; empty if none appears.
  QString AwaitOtherWindow(const QString& main_window) {
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

  bool AwaitWindowGone(const QString& window) {
    return Await([&] { return !VisibleWindowsOf(Pid()).contains(window); }, kWindowBoundMs);
  }

  // The exit code, or -1 when it crashed or did not end within the bound.
  int AwaitExit() {
    if (!Await([&] { return process_.state() == QProcess::NotRunning; }, kExitBoundMs)) return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
  }

  // What the tool printed, for the failure message.
  QString Output() { return QString::fromLocal8Bit(process_.readAll()).right(4000); }

 private:
  QTemporaryDir folder_;
  QString executable_;
  bool copied_ = false;
  QProcess process_;
};

TEST(Startup, CompleteSettingsLoadTheLoginAddressAndEscapeEndsWithZero) {
  PageServer back_end;
  ASSERT_TRUE(back_end.Listening());
  ToolInstall tool;
  ASSERT_TRUE(tool.Ready());
  // Each address a different path, so the one loaded shows which line was read.
  ASSERT_TRUE(tool.WriteSettings({back_end.Url(u"/admin/login.php"_s),
                                  back_end.Url(u"/admin/collect.php"_s),
                                  back_end.Url(u"/admin/channel.php"_s),
                                  back_end.Url(u"/admin/home.php"_s), u"1"_s, u"10"_s}));
  ASSERT_TRUE(tool.Start());

  const QString window = tool.AwaitMainWindow();
  ASSERT_FALSE(window.isEmpty()) << "no window mapped\n" << tool.Output().toStdString();
  EXPECT_EQ(WindowSize(window), u"750x560"_s);

  ASSERT_TRUE(Await([&] { return !back_end.RequestedPaths().isEmpty(); }, kRequestBoundMs))
      << "the login address was never requested\n" << tool.Output().toStdString();
  Pause(kPaintSettleMs);
  EXPECT_EQ(back_end.RequestedPaths().first(), u"/admin/login.php"_s);
  for (const QString& other : {u"/admin/collect.php"_s, u"/admin/channel.php"_s,
                               u"/admin/home.php"_s}) {
    EXPECT_FALSE(back_end.RequestedPaths().contains(other)) << other.toStdString();
  }
  // Complete settings need no prompt.
  EXPECT_EQ(VisibleWindowsOf(tool.Pid()), QStringList{window});
  EXPECT_TRUE(SaveScreenshot(u"e2e-startup.png"_s));

  ASSERT_TRUE(PressKey(window, u"Escape"_s));
  EXPECT_EQ(tool.AwaitExit(), 0) << tool.Output().toStdString();
}

TEST(Startup, MissingSettingsPromptThenEscapeEndsWithZero) {
  ToolInstall tool;
  ASSERT_TRUE(tool.Ready());
  ASSERT_TRUE(tool.Start());

  const QString window = tool.AwaitMainWindow();
  ASSERT_FALSE(window.isEmpty()) << "no window mapped\n" << tool.Output().toStdString();

  const QString prompt = tool.AwaitOtherWindow(window);
  ASSERT_FALSE(prompt.isEmpty()) << "no prompt appeared\n" << tool.Output().toStdString();
  EXPECT_EQ(WindowName(prompt), u"信息："_s);
  EXPECT_TRUE(SaveScreenshot(u"e2e-prompt.png"_s));

  ASSERT_TRUE(PressKey(prompt, u"Return"_s));
  ASSERT_TRUE(tool.AwaitWindowGone(prompt));
  // Answering the prompt leaves the tool running.
  EXPECT_TRUE(VisibleWindowsOf(tool.Pid()).contains(window));

  ASSERT_TRUE(PressKey(window, u"Escape"_s));
  EXPECT_EQ(tool.AwaitExit(), 0) << tool.Output().toStdString();
}

}  // namespace

int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
