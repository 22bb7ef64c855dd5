// The unattended cycle of the real executable against the sample back end: the
// operator logs in and presses 开始挂机 with the mouse, and the back end's
// recording shows what the tool loaded and pressed, and when.
#include <algorithm>
#include <functional>
#include <iostream>

#include <QPoint>
#include <gtest/gtest.h>

#include <csignal>

#include <QDir>
#include <QFile>

#include "tests/e2e/e2e_helpers.h"
#include "tests/e2e/sample_back_end/back_end.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace e2e;
using sample_back_end::BackEnd;
using sample_back_end::Event;

// Window coordinates of what the operator clicks; the browser box's page
// starts at kPageOrigin, and the login form sits at fixed page coordinates.
constexpr QPoint kPageOrigin{17, 88};
constexpr QPoint kUserBox = kPageOrigin + QPoint(120, 73);
constexpr QPoint kPasswordBox = kPageOrigin + QPoint(120, 113);
constexpr QPoint kLoginButton = kPageOrigin + QPoint(60, 154);
constexpr QPoint kStartButton{61, 526};          // 开始挂机
constexpr QPoint kEditSettingsButton{261, 526};  // 修改配置
constexpr QPoint kMinimiseButton{694, 28};       // 图形按钮1
constexpr QPoint kCloseButton{725, 28};          // 图形按钮2

// How far a recorded step may lie from its due time.
constexpr int kToleranceMs = 2000;
// How long past its due time a step is waited for before the test gives up.
constexpr int kSlackMs = 10000;
constexpr int kQuickExitMs = 5000;
constexpr int kQuietMs = 5000;
// Requests the tool sent before it ended may still be read just after.
constexpr int kInFlightMs = 500;
constexpr int kLogInAttempts = 3;
constexpr int kLogInBoundMs = 10000;

bool IsProgress(const Event& event) { return event.what.startsWith(u"progress "_s); }

// A back end, the tool installed beside a config.ini pointing at it, and the
// operator's part: log in, press the picture buttons.
class Session {
 public:
  // `collect_path` and `channels_path` may carry the back end's query options.
  Session(const QString& round_minutes, const QString& interval_minutes,
          const QString& collect_path = u"/collect"_s,
          const QString& channels_path = u"/generate/channels"_s) {
    listening_ = back_end_.Listen();
    settings_written_ = tool_.WriteSettings(
        {back_end_.Url(u"/login"_s), back_end_.Url(collect_path), back_end_.Url(channels_path),
         back_end_.Url(u"/generate/home"_s), round_minutes, interval_minutes});
  }

  BackEnd& back_end() { return back_end_; }
  ToolInstall& tool() { return tool_; }
  const QString& window() const { return window_; }
  qint64 Now() const { return back_end_.Now(); }

  // Starts the tool and logs in through the login form in the browser box.
  testing::AssertionResult LogIn() {
    if (!listening_ || !tool_.Ready() || !settings_written_ || !tool_.Start()) {
      return testing::AssertionFailure() << "could not set up the back end and the tool";
    }
    window_ = tool_.AwaitMainWindow();
    if (window_.isEmpty()) return testing::AssertionFailure() << "no window" << Describe();
    if (AwaitEvent(u"load login"_s, 0, kRequestBoundMs) < 0) {
      return testing::AssertionFailure() << "the login page never loaded" << Describe();
    }
    Pause(kPaintSettleMs);
    // A page still settling may miss a click; the operator simply tries again.
    for (int attempt = 0; attempt < kLogInAttempts; ++attempt) {
      const qint64 typed_at = Now();
      if (!Click(window_, kUserBox) || !PressKey(window_, u"ctrl+a"_s) ||
          !TypeText(window_, QLatin1String(BackEnd::kUser)) || !Click(window_, kPasswordBox) ||
          !PressKey(window_, u"ctrl+a"_s) ||
          !TypeText(window_, QLatin1String(BackEnd::kPassword)) || !Click(window_, kLoginButton)) {
        return testing::AssertionFailure() << "xdotool failed";
      }
      if (AwaitEvent(u"load admin"_s, typed_at, kLogInBoundMs) >= 0) {
        return testing::AssertionSuccess();
      }
    }
    SaveScreenshot(u"e2e-login-failed.png"_s);
    return testing::AssertionFailure() << "the log-in did not reach the admin page" << Describe();
  }

  // Presses 开始挂机; the back end's time just before the press.
  qint64 PressStart() {
    const qint64 pressed_at = Now();
    EXPECT_TRUE(Click(window_, kStartButton));
    return pressed_at;
  }

  // The time of the first `what` recorded at or after `from_ms`, waiting up
  // to `bound_ms` for it; -1 if it never comes.
  qint64 AwaitEvent(const QString& what, qint64 from_ms, int bound_ms) {
    qint64 found = -1;
    Await(
        [&] {
          for (const Event& event : back_end_.Recording()) {
            if (event.ms >= from_ms && event.what == what) {
              found = event.ms;
              return true;
            }
          }
          return false;
        },
        bound_ms);
    return found;
  }

  // Loads and presses from `from_ms` on, without the collection steps.
  QList<Event> Actions(qint64 from_ms) const {
    QList<Event> actions;
    for (const Event& event : back_end_.Recording()) {
      if (event.ms >= from_ms && !IsProgress(event)) actions << event;
    }
    return actions;
  }

  QList<Event> Progress(qint64 from_ms, qint64 to_ms) const {
    QList<Event> progress;
    for (const Event& event : back_end_.Recording()) {
      if (event.ms >= from_ms && event.ms < to_ms && IsProgress(event)) progress << event;
    }
    return progress;
  }

  // The recording and what the tool printed, for a failure message.
  std::string Describe() {
    return "\nrecording:\n" +
           sample_back_end::FormatRecording(back_end_.Recording()).toStdString() +
           "tool output:\n" + tool_.Output().toStdString();
  }

 private:
  BackEnd back_end_;
  ToolInstall tool_;
  QString window_;
  bool listening_ = false;
  bool settings_written_ = false;
};

// Over the next 20 s, once a step has settled, the collection page's
// one-second timer keeps its pace, and the page is never told it is hidden.
void ExpectCollectingAtFullSpeed(Session& session) {
  Pause(2000);
  const qint64 from_ms = session.Now();
  Pause(20000);
  const qint64 to_ms = session.Now();
  const QList<Event> progress = session.Progress(from_ms, to_ms);
  const qint64 seconds = (to_ms - from_ms) / 1000;
  EXPECT_GE(progress.size(), seconds - 2) << session.Describe();
  EXPECT_LE(progress.size(), seconds + 1) << session.Describe();
  qint64 previous = from_ms;
  qint64 longest_gap = 0;
  QStringList not_visible;
  for (const Event& event : progress) {
    longest_gap = std::max(longest_gap, event.ms - previous);
    previous = event.ms;
    if (!event.what.endsWith(u" visible"_s)) not_visible << event.what;
  }
  EXPECT_LT(longest_gap, 2000) << session.Describe();
  EXPECT_EQ(not_visible, QStringList());
}

// A step of a schedule: what the back end records, due this long after the
// step before it.
struct Step {
  QString what;
  int after_previous_ms;
};

// Waits for each step in turn among what `recorded` returns, and checks it is
// the step expected and came on time; `after_each` runs after each, with its
// index.
void ExpectSchedule(Session& session, qint64 from_ms, const QList<Step>& steps,
                    const std::function<QList<Event>()>& recorded,
                    const std::function<void(qsizetype)>& after_each = {}) {
  qint64 previous_ms = from_ms;
  for (qsizetype i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    ASSERT_TRUE(Await([&] { return recorded().size() > i; }, step.after_previous_ms + kSlackMs))
        << "waiting for " << step.what.toStdString() << session.Describe();
    const Event event = recorded()[i];
    ASSERT_EQ(event.what, step.what) << session.Describe();
    EXPECT_NEAR(event.ms - previous_ms, step.after_previous_ms, kToleranceMs)
        << step.what.toStdString() << session.Describe();
    std::cout << "+" << event.ms - from_ms << " ms  " << event.what.toStdString() << '\n';
    previous_ms = event.ms;
    if (after_each) after_each(i);
  }
}

TEST(Cycle, OneWholeCycleAndTheStartOfTheNextKeepTheirSchedule) {
  Session session(u"1"_s, u"1"_s);
  ASSERT_TRUE(session.LogIn());
  const qint64 pressed_at = session.PressStart();

  // Each step after the one before it: the 5 s page wait, the 60 s collecting
  // phase, the channel page's second then first button 5 s and 25 s after its
  // load, the home address 20 s later, and the next cycle one interval after.
  const QList<Step> steps = {
      {u"load collect"_s, 0},
      {u"press collect:start"_s, 5000},
      {u"press collect:stop"_s, 60000},
      {u"load channels"_s, 0},
      {u"press channels:make-all"_s, 5000},
      {u"press channels:update"_s, 20000},
      {u"load home"_s, 20000},
      {u"load collect"_s, 60000},
      {u"press collect:start"_s, 5000},
  };
  ASSERT_NO_FATAL_FAILURE(ExpectSchedule(
      session, pressed_at, steps, [&] { return session.Actions(pressed_at); },
      [&](qsizetype i) {
        if (i == 1) {
          Pause(5000);
          EXPECT_TRUE(SaveScreenshot(u"e2e-cycle-countdown.png"_s));
        } else if (steps[i].what == u"load home"_s) {
          Pause(kPaintSettleMs);
          EXPECT_TRUE(SaveScreenshot(u"e2e-cycle-end.png"_s));
        }
      }));
  // The page collected only between its two presses.
  const QList<Event> actions = session.Actions(pressed_at);
  EXPECT_TRUE(session.Progress(actions[2].ms + kInFlightMs, actions[7].ms).isEmpty())
      << session.Describe();
  EXPECT_FALSE(session.Progress(actions[1].ms, actions[2].ms).isEmpty()) << session.Describe();
}

// Closing the window while the cycle waits ends the program at once with 0,
// and nothing more reaches the back end.
struct CloseCase {
  const char* name;
  const char* round_minutes;
  const char* close_after;  // the recorded event the close follows
  bool with_close_button;   // else Esc
};

void PrintTo(const CloseCase& which, std::ostream* out) { *out << which.name; }

class CloseDuringCycle : public testing::TestWithParam<CloseCase> {};

TEST_P(CloseDuringCycle, EndsWithZeroAndNothingFollows) {
  const CloseCase& which = GetParam();
  Session session(QString::fromLatin1(which.round_minutes), u"1"_s);
  ASSERT_TRUE(session.LogIn());
  const qint64 pressed_at = session.PressStart();
  const qint64 due_at =
      session.AwaitEvent(QString::fromLatin1(which.close_after), pressed_at, 30000);
  ASSERT_GE(due_at, 0) << session.Describe();
  Pause(2000);

  const qint64 closed_at = session.Now();
  if (which.with_close_button) {
    ASSERT_TRUE(Click(session.window(), kCloseButton));
  } else {
    ASSERT_TRUE(PressKey(session.window(), u"Escape"_s));
  }
  ASSERT_EQ(session.tool().AwaitExit(kQuickExitMs), 0) << session.Describe();
  const qint64 ended_at = session.Now();
  std::cout << "ended " << ended_at - closed_at << " ms after the close\n";

  Pause(kQuietMs);
  for (const Event& event : session.back_end().Recording()) {
    EXPECT_LE(event.ms, ended_at + kInFlightMs)
        << "after the end: " << event.what.toStdString() << session.Describe();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cycle, CloseDuringCycle,
    testing::Values(CloseCase{"InThePageLoadWait", "1", "load collect", false},
                    CloseCase{"InTheCountdown", "1", "press collect:start", false},
                    // 0 minutes of collecting goes straight on to generating.
                    CloseCase{"InAGenerationWait", "0", "press channels:make-all", true}),
    [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST(Cycle, MinimisedWindowKeepsTheCollectionPageRunning) {
  // Without a window manager a minimised window stays mapped, and the test
  // would show nothing.
  WindowManager window_manager;
  ASSERT_TRUE(window_manager.Ready());
  Session session(u"1"_s, u"1"_s);
  ASSERT_TRUE(session.LogIn());
  const qint64 pressed_at = session.PressStart();
  ASSERT_GE(session.AwaitEvent(u"press collect:start"_s, pressed_at, 15000), 0)
      << session.Describe();
  ASSERT_TRUE(Click(session.window(), kMinimiseButton));
  ASSERT_TRUE(
      Await([&] { return !VisibleWindowsOf(session.tool().Pid()).contains(session.window()); },
            kWindowBoundMs))
      << "the window was not minimised";
  ExpectCollectingAtFullSpeed(session);
}

TEST(Cycle, SettingsPageShownKeepsTheNextCycleRunning) {
  Session session(u"1"_s, u"1"_s);
  ASSERT_TRUE(session.LogIn());
  const qint64 pressed_at = session.PressStart();
  const qint64 home_at = session.AwaitEvent(u"load home"_s, pressed_at, 110000 + kSlackMs);
  ASSERT_GE(home_at, 0) << session.Describe();

  // 修改配置, answered 是 from the keyboard: the settings page shows, and the
  // interval armed at the end of the cycle brings the next one behind it.
  ASSERT_TRUE(Click(session.window(), kEditSettingsButton));
  const QString question = session.tool().AwaitOtherWindow(session.window());
  ASSERT_FALSE(question.isEmpty()) << session.Describe();
  EXPECT_EQ(WindowName(question), u"提醒"_s);
  ASSERT_TRUE(PressKey(question, u"alt+y"_s));
  ASSERT_GE(session.AwaitEvent(u"load login"_s, home_at, kRequestBoundMs), 0) << session.Describe();
  Pause(kPaintSettleMs);
  EXPECT_TRUE(SaveScreenshot(u"e2e-settings-page.png"_s));

  ASSERT_GE(session.AwaitEvent(u"press collect:start"_s, home_at, 65000 + kSlackMs), 0)
      << session.Describe();
  ExpectCollectingAtFullSpeed(session);
}

TEST(Cycle, BackEndDownDuringACycleThenBackTheNextCycleRuns) {
  // 0 minutes of collecting: the generation phase follows at once.
  Session session(u"0"_s, u"1"_s);
  ASSERT_TRUE(session.LogIn());
  const qint64 pressed_at = session.PressStart();
  const qint64 channels_at = session.AwaitEvent(u"load channels"_s, pressed_at, 20000);
  ASSERT_GE(channels_at, 0) << session.Describe();

  // Down for both generation presses and the home address.
  session.back_end().GoDown();
  Pause(static_cast<int>(channels_at + 50000 - session.Now()));
  EXPECT_TRUE(SaveScreenshot(u"e2e-back-end-down.png"_s));
  const qint64 back_at = session.Now();
  ASSERT_TRUE(session.back_end().ComeBack());

  // The interval was armed on time all the same, 45 s after the channel load.
  const qint64 next_at = session.AwaitEvent(u"load collect"_s, back_at, 60000 + kSlackMs);
  ASSERT_GE(next_at, 0) << session.Describe();
  EXPECT_NEAR(next_at - channels_at, 105000, kToleranceMs) << session.Describe();
  ASSERT_GE(session.AwaitEvent(u"press channels:make-all"_s, next_at, 11000 + kSlackMs), 0)
      << session.Describe();

  QStringList recorded;
  for (const Event& event : session.Actions(back_at)) recorded << event.what;
  EXPECT_EQ(recorded,
            (QStringList{u"load collect"_s, u"press collect:start"_s, u"press collect:stop"_s,
                         u"load channels"_s, u"press channels:make-all"_s}))
      << session.Describe();
}

// The renderer processes below the tool: those forked by one of its zygote
// processes (they keep the zygote's command line).
QList<qint64> RenderersOf(qint64 tool_pid) {
  QList<qint64> renderers;
  const auto parent_of = [](qint64 pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return qint64{-1};
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : qint64{-1};
  };
  for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
    bool numeric = false;
    const qint64 pid = entry.toLongLong(&numeric);
    if (!numeric) continue;
    const auto is_zygote = [](qint64 process) {
      QFile command_line(u"/proc/%1/cmdline"_s.arg(process));
      return command_line.open(QIODevice::ReadOnly) &&
             command_line.readAll().contains("--type=zygote");
    };
    if (!is_zygote(pid) || !is_zygote(parent_of(pid))) continue;
    for (qint64 up = parent_of(pid); up > 1; up = parent_of(up)) {
      if (up == tool_pid) {
        renderers << pid;
        break;
      }
    }
  }
  return renderers;
}

// Where in the cycle every renderer is killed, and what must follow from then
// on, in exactly this order.
struct CrashCase {
  const char* name;
  const char* after;  // the event the kill waits for, 1.5 s on
  QStringList then;
  int within_ms;
};

void PrintTo(const CrashCase& which, std::ostream* out) { *out << which.name; }

class RendererCrashDuringCycle : public testing::TestWithParam<CrashCase> {};

TEST_P(RendererCrashDuringCycle, TheCycleCarriesOn) {
  const CrashCase& which = GetParam();
  // 0 minutes of collecting: the generation phase follows at once.
  Session session(u"0"_s, u"1"_s);
  ASSERT_TRUE(session.LogIn());
  const qint64 pressed_at = session.PressStart();
  ASSERT_GE(session.AwaitEvent(QString::fromLatin1(which.after), pressed_at, 70000), 0)
      << session.Describe();
  Pause(1500);

  const QList<qint64> renderers = RenderersOf(session.tool().Pid());
  ASSERT_FALSE(renderers.isEmpty()) << session.Describe();
  const qint64 crashed_at = session.Now();
  for (qint64 pid : renderers) ::kill(static_cast<pid_t>(pid), SIGKILL);

  ASSERT_GE(session.AwaitEvent(which.then.last(), crashed_at, which.within_ms + kSlackMs), 0)
      << session.Describe();
  QStringList recorded;
  for (const Event& event : session.Actions(crashed_at)) recorded << event.what;
  EXPECT_EQ(recorded, which.then) << session.Describe();
}

INSTANTIATE_TEST_SUITE_P(
    Cycle, RendererCrashDuringCycle,
    testing::Values(
        // In the wait before 开始采集: the page the press needs is gone, and
        // the round goes on without it.
        CrashCase{"InTheWaitBeforeThePress",
                  "load collect",
                  {u"load channels"_s, u"press channels:make-all"_s, u"press channels:update"_s,
                   u"load home"_s},
                  60000},
        // Idle between rounds, the home address shown: the next round loads
        // and presses as ever.
        CrashCase{"IdleBetweenRounds",
                  "load home",
                  {u"load collect"_s, u"press collect:start"_s, u"press collect:stop"_s,
                   u"load channels"_s},
                  66000}),
    [](const testing::TestParamInfo<CrashCase>& info) { return std::string(info.param.name); });

// Whether `expected` were recorded in this order, other events allowed between.
bool RecordedInOrder(const QList<Event>& actions, const QStringList& expected) {
  qsizetype next = 0;
  for (const Event& event : actions) {
    if (next < expected.size() && event.what == expected[next]) ++next;
  }
  return next == expected.size();
}

void PrintActions(const QList<Event>& actions, qint64 from_ms) {
  for (const Event& event : actions) {
    std::cout << "+" << event.ms - from_ms << " ms  " << event.what.toStdString() << '\n';
  }
}

// A page that opens an alert as it loads, while the cycle runs: the alert is
// shown without waiting for anyone, and the cycle's later steps and its next
// round still reach the back end.
struct AlertCase {
  const char* name;
  const char* collect_path;
  const char* channels_path;
  const char* alert;  // as the back end records it
  QStringList then;   // in this order after the alert, other events allowed between
  int next_round_ms;  // when the last of `then` is due, after 开始挂机
};

void PrintTo(const AlertCase& which, std::ostream* out) { *out << which.name; }

class PageAlertDuringCycle : public testing::TestWithParam<AlertCase> {};

TEST_P(PageAlertDuringCycle, LaterStepsAndTheNextRoundStillRun) {
  const AlertCase& which = GetParam();
  // 0 minutes of collecting: the generation phase follows at once.
  Session session(u"0"_s, u"1"_s, QString::fromLatin1(which.collect_path),
                  QString::fromLatin1(which.channels_path));
  ASSERT_TRUE(session.LogIn());
  const qint64 pressed_at = session.PressStart();
  const qint64 alerted_at = session.AwaitEvent(QString::fromLatin1(which.alert), pressed_at, 20000);
  ASSERT_GE(alerted_at, 0) << "the page never opened its alert" << session.Describe();
  Pause(3000);
  EXPECT_TRUE(SaveScreenshot(u"e2e-alert-%1.png"_s.arg(QLatin1String(which.name))));
  // The operator still reads what the page said, in a box that holds nothing up.
  QStringList shown;
  for (const QString& window : VisibleWindowsOf(session.tool().Pid())) shown << WindowName(window);
  EXPECT_TRUE(shown.contains(u"网页消息"_s)) << shown.join(u" | "_s).toStdString();

  // Slack on top of the schedule, as in every test here.
  const bool all_ran = Await(
      [&] { return RecordedInOrder(session.Actions(alerted_at), which.then); },
      static_cast<int>(pressed_at + which.next_round_ms + 2 * kSlackMs - session.Now()));
  PrintActions(session.Actions(pressed_at), pressed_at);
  QStringList windows;
  for (const QString& window : VisibleWindowsOf(session.tool().Pid())) {
    windows << WindowName(window);
  }
  EXPECT_TRUE(all_ran) << "expected in order after the alert: "
                       << which.then.join(u", "_s).toStdString()
                       << "\nwindows of the tool: " << windows.join(u" | "_s).toStdString()
                       << session.Describe();
  if (!all_ran) SaveScreenshot(u"e2e-alert-%1-stuck.png"_s.arg(QLatin1String(which.name)));
}

// With 0 minutes of collecting the collection page loads on the press, the
// channel page 6 s later, the home address 45 s after that and the next round
// one minute on, with its press of 开始采集 5 s later.
INSTANTIATE_TEST_SUITE_P(
    Cycle, PageAlertDuringCycle,
    testing::Values(
        AlertCase{"CollectionPage",
                  "/collect?alert=1",
                  "/generate/channels",
                  "alert collect",
                  {u"load channels"_s, u"press channels:make-all"_s, u"press channels:update"_s,
                   u"load home"_s, u"load collect"_s},
                  111000},
        // The next round's collection page has no alert, and is pressed.
        AlertCase{"ChannelPage",
                  "/collect",
                  "/generate/channels?alert=1",
                  "alert channels",
                  {u"load home"_s, u"load collect"_s, u"press collect:start"_s},
                  116000}),
    [](const testing::TestParamInfo<AlertCase>& info) { return std::string(info.param.name); });

TEST(Cycle, SlowBackEndEveryLoadStaysOnScheduleIntoTheNextRound) {
  // 0 minutes of collecting: the generation phase follows at once.
  Session session(u"0"_s, u"1"_s);
  ASSERT_TRUE(session.LogIn());
  session.back_end().SetPageDelay(10000);
  const qint64 pressed_at = session.PressStart();

  // The tool's waits do not stretch while pages are in flight, and no call
  // into a page hangs on one: each load is asked for on time. The collection
  // page is given up for the channel page before it comes.
  const QList<Step> steps = {
      {u"load collect"_s, 0},
      {u"load channels"_s, 6000},  // the page wait and the first countdown tick
      {u"answer channels"_s, 10000},
      {u"load home"_s, 35000},
      {u"answer home"_s, 10000},
      {u"load collect"_s, 50000},
  };
  ExpectSchedule(session, pressed_at, steps, [&] {
    QList<Event> loads_and_answers;
    for (const Event& event : session.Actions(pressed_at)) {
      if (event.what.startsWith(u"load "_s) || event.what.startsWith(u"answer "_s)) {
        loads_and_answers << event;
      }
    }
    return loads_and_answers;
  });
}

}  // namespace
