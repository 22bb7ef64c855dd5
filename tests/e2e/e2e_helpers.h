// What the end-to-end tests share: bounded waits that keep the event loop (and
// so the in-process back end) running, xdotool and ImageMagick through
// QProcess, and a private install of the real executable.
#pragma once

#include <functional>
#include <ostream>

#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Readable failure messages for QString values (QStringList prints through it).
void PrintTo(const QString& text, std::ostream* out);

namespace e2e {

constexpr int kWindowBoundMs = 30000;
constexpr int kRequestBoundMs = 30000;
constexpr int kExitBoundMs = 15000;
constexpr int kCommandBoundMs = 20000;
// Lets the page draw for the screenshot, and gives a request for a wrong address
// or an unwanted prompt the time to show.
constexpr int kPaintSettleMs = 1500;

extern const QString kToolTitle;

// Runs the event loop until `done` holds; false once `bound_ms` has passed.
bool Await(const std::function<bool()>& done, int bound_ms);
void Pause(int ms);

struct CommandResult {
  int exit_code = -1;  // -1: did not start, crashed or overran its bound
  QString output;
};

// The event loop keeps running meanwhile, so the back end keeps answering.
CommandResult Run(const QString& program, const QStringList& arguments);

QStringList VisibleWindowsOf(qint64 pid);
QString WindowName(const QString& window);
QString WindowSize(const QString& window);
// XTEST keys go to the focused window; no window manager runs here to focus it.
bool PressKey(const QString& window, const QString& key);
bool TypeText(const QString& window, const QString& text);
// A left click at `at`, in the window's own coordinates.
bool Click(const QString& window, QPoint at);
// The whole screen, saved under the build folder.
bool SaveScreenshot(const QString& name);

// A window manager on the test's display, for what only one does: minimising a
// window unmaps it. Ended with the object.
class WindowManager {
 public:
  WindowManager();
  ~WindowManager();
  // True once it manages the display.
  bool Ready() const { return ready_; }

 private:
  QProcess process_;
  bool ready_ = false;
};

// A copy of the real executable in a folder of its own, since the tool reads
// config.ini beside its resolved path. Its Chromium profile stays in that
// folder too, so runs never share state.
class ToolInstall {
 public:
  ToolInstall();
  ~ToolInstall();

  bool Ready() const { return folder_.isValid() && copied_; }
  bool WriteSettings(const QStringList& lines);
  bool Start();
  qint64 Pid() const { return process_.processId(); }

  // The main window's id once it is mapped; empty if it never is.
  QString AwaitMainWindow();
  // Any other mapped top-level window of the tool; empty if none appears.
  QString AwaitOtherWindow(const QString& main_window);
  bool AwaitWindowGone(const QString& window);
  // The exit code, or -1 when it crashed or did not end within the bound.
  int AwaitExit(int bound_ms = kExitBoundMs);

  // What the tool printed, for the failure message.
  QString Output();

 private:
  QTemporaryDir folder_;
  QString executable_;
  bool copied_ = false;
  QProcess process_;
};

}  // namespace e2e
