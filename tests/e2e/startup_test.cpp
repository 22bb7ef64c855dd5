// The real executable, started as a user starts it, on the private display that
// with-xvfb.sh provides, against the sample back end served on 127.0.0.1.
#include <QStringList>
#include <gtest/gtest.h>

#include "tests/e2e/e2e_helpers.h"
#include "tests/e2e/sample_back_end/back_end.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace e2e;

QStringList RecordedEvents(const sample_back_end::BackEnd& back_end) {
  QStringList events;
  for (const sample_back_end::Event& event : back_end.Recording()) events << event.what;
  return events;
}

TEST(Startup, CompleteSettingsLoadTheLoginAddressAndEscapeEndsWithZero) {
  sample_back_end::BackEnd back_end;
  ASSERT_TRUE(back_end.Listen());
  ToolInstall tool;
  ASSERT_TRUE(tool.Ready());
  // Each address a different page, so the one loaded shows which line was read.
  ASSERT_TRUE(tool.WriteSettings({back_end.Url(u"/login"_s), back_end.Url(u"/collect"_s),
                                  back_end.Url(u"/generate/channels"_s),
                                  back_end.Url(u"/generate/home"_s), u"1"_s, u"10"_s}));
  ASSERT_TRUE(tool.Start());

  const QString window = tool.AwaitMainWindow();
  ASSERT_FALSE(window.isEmpty()) << "no window mapped\n" << tool.Output().toStdString();
  EXPECT_EQ(WindowSize(window), u"750x560"_s);

  ASSERT_TRUE(Await([&] { return !back_end.Recording().isEmpty(); }, kRequestBoundMs))
      << "the login address was never requested\n"
      << tool.Output().toStdString();
  Pause(kPaintSettleMs);
  // Nothing but the login page: no other address, and no session asked for yet.
  EXPECT_EQ(RecordedEvents(back_end), QStringList{u"load login"_s});
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
