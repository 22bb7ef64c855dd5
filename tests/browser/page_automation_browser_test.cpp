// PageAutomation on real Chromium through the browser box: attachment by
// window handle, lookups and presses checked in the page itself.
#include "pageauto/option_groups.h"
#include "pageauto/page_automation.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "platform/qt/html_viewer.h"
#include "platform/qt/page_bridge.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_window_tree.h"
#include "tests/browser/qt_test_helpers.h"

namespace {

using browser_tests::WaitFor;
using pageauto::PageAutomation;
using platform::qt::HtmlViewer;

class PageAutomationBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer_.resize(800, 600);
    viewer_.show();
  }

  void Load(const char* fixture) {
    QWebEngineView* view = viewer_.View();
    ASSERT_TRUE(browser_tests::LoadAndWait(view, [&] {
      view->setUrl(QUrl::fromLocalFile(QStringLiteral(TEST_FIXTURES_DIR "/") + fixture));
    }));
  }

  PageAutomation Attached() {
    PageAutomation automation(windows_);
    EXPECT_TRUE(automation.AttachDocument(std::nullopt, viewer_.Handle()));
    return automation;
  }

  platform::Text Pressed(PageAutomation& automation) { return automation.GetPageContent("title"); }

  platform::qt::QtWindowTree windows_;
  HtmlViewer viewer_{HtmlViewer::Storage::kOffTheRecord};
};

TEST_F(PageAutomationBrowserTest, AttachesThroughTheBrowserBoxWindowAndReadsThePage) {
  Load("buttons.html");
  PageAutomation automation(windows_);
  EXPECT_EQ(automation.FindBrowserServerWindow(viewer_.Handle()),
            platform::qt::HandleOfWidget(viewer_.View()));
  ASSERT_TRUE(automation.AttachDocument(std::nullopt, viewer_.Handle()));
  EXPECT_NE(automation.GetPageContent("outerHTML").find("<input type=\"text\" id=\"box\""),
            std::string::npos);
  EXPECT_NE(automation.GetPageContent("innerText").find("首页 Home"), std::string::npos);
  EXPECT_EQ(automation.GetPageContent("URL").rfind("file://", 0), 0u);
  EXPECT_EQ(automation.GetPageContent("OUTERHTML"), "");
  EXPECT_EQ(automation.GetElement("target", 0).GetText("innerText"), "text");
  EXPECT_EQ(automation.GetElement("plain", 1).GetText("value"), "按钮");
  EXPECT_TRUE(automation.GetElement("nobody", 0).IsEmpty());
  EXPECT_TRUE(automation.GetElement("nobody", 1).IsEmpty());
}

struct PressCase {
  const char* name;
  bool link;
  platform::Text text;
  int32_t kind;
  std::optional<bool> exact;
  bool result;
  const char* pressed;
};

TEST_F(PageAutomationBrowserTest, EachKindPressesTheRightElementInThePage) {
  const PressCase cases[] = {
      {"SecondButtonLikeInputIsThePlainButton", false, "2", 2, {}, true, "plain"},
      {"FirstButtonLikeInputIsTheSubmit", false, "1", 2, {}, true, "submit"},
      {"UpperCaseTypeCountsAsButtonLike", false, "3", 2, {}, true, "upper"},
      {"FullWidthDigitsArePositionsToo", false, "\xA3\xB2", 2, {}, true, "plain"},
      {"PositionPastTheCandidatesPressesNothing", false, "9", 2, {}, false, ""},
      {"CaptionContainingTheTextWinsFirstInDocumentOrder", false, "开始采集", 3, {}, true, "upper"},
      {"ExactCaptionSkipsTheOneThatOnlyContainsIt", false, "开始采集", 3, true, true, "second-start"},
      {"CaptionCaseIsFoldedWithoutExact", false, "START", 3, {}, true, "upper"},
      {"CaptionCaseMattersWithExact", false, "start 开始采集 now", 3, true, false, ""},
      {"ImageInputFoundBySource", false, "start.png", 4, {}, true, "image"},
      {"ByIdPressesEvenATextBox", false, "box", 0, {}, true, "text"},
      {"ByNamePressesTheNamedElement", false, "plain", 1, {}, true, "plain"},
      {"KindFivePressesNothing", false, "1", 5, {}, false, ""},
      {"LinkByTextSkipsTheEmptyLink", true, "", 3, {}, true, "link-home"},
      {"LinkByAddress", true, "home.html", 4, {}, true, "link-home"},
      {"LinkByPosition", true, "1", 2, {}, true, "link-empty"},
      {"ThirdOfTwoLinksIsNothing", true, "3", 2, {}, false, ""},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    Load("buttons.html");
    PageAutomation automation = Attached();
    const bool result = c.link ? automation.ClickLink(c.text, c.kind, c.exact)
                               : automation.ClickButton(c.text, c.kind, c.exact);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Pressed(automation), c.pressed);
  }
}

TEST_F(PageAutomationBrowserTest, ObjectsOfANavigatedAwayDocumentGiveNeutralValues) {
  Load("buttons.html");
  PageAutomation automation = Attached();
  const platform::ComObject element = automation.GetElement("plain", 0);
  ASSERT_EQ(element.GetText("value"), "按钮");
  Load("login.html");
  EXPECT_EQ(element.GetText("value"), "");
  EXPECT_FALSE(element.Put("value", "x"));
  EXPECT_FALSE(automation.ClickButton("1", 2));
  EXPECT_EQ(automation.GetPageContent("title"), "");
  ASSERT_TRUE(automation.AttachDocument(std::nullopt, viewer_.Handle()));
  EXPECT_EQ(automation.GetPageContent("title"), "login-fixture");
}

// Members taken ahead are sent without waiting; the next call that names them
// finds them, and one that gave no object fails like a call on nothing.
TEST_F(PageAutomationBrowserTest, ObjectsTakenAheadAnswerAtOnceOrFailNeutrallyAndAreLetGo) {
  Load("buttons.html");
  PageAutomation automation = Attached();
  const platform::ComObject document = automation.AttachedDocument();
  auto held = [&] {
    QVariant answer;
    bool done = false;
    viewer_.View()->page()->runJavaScript(QStringLiteral("__pageBridge.held()"),
                                          QWebEngineScript::ApplicationWorld,
                                          [&](const QVariant& value) { answer = value; done = true; });
    EXPECT_TRUE(WaitFor([&] { return done; }));
    return answer.toInt();
  };
  ASSERT_EQ(document.GetText("title"), "");
  const int before = held();
  {
    const platform::ComObject body = document.GetObjectAhead("body");
    EXPECT_EQ(body.GetText("tagName"), "BODY");
    const platform::ComObject plain =
        document.CallObjectAhead("getElementsByName", {"plain"}).CallObjectAhead("item", {0.0});
    EXPECT_EQ(plain.GetText("value"), "按钮");
    EXPECT_TRUE(body.Call("contains", {plain}).ToBool()) << "taken ahead, passed as an argument";

    for (const platform::ComObject& nothing :
         {document.CallObjectAhead("getElementById", {"nobody"}), document.GetObjectAhead("title"),
          document.GetObjectAhead("noSuchMember")}) {
      EXPECT_FALSE(nothing.IsEmpty());
      EXPECT_EQ(nothing.GetText("id"), "");
      EXPECT_FALSE(nothing.Put("title", "x"));
      EXPECT_FALSE(nothing.ReadEach({"id"}).has_value());
      EXPECT_TRUE(nothing.GetObjectAhead("parentNode").GetObject("ownerDocument").IsEmpty());
      EXPECT_FALSE(body.Call("contains", {nothing}).ToBool());
    }
    EXPECT_GT(held(), before);
  }
  {
    // A number let go is taken again at once, before its release has gone
    // out: the page must let the old object go before it files the new one.
    std::optional<platform::ComObject> let_go = document.GetObjectAhead("body");
    const platform::ComObject::Id number = let_go->ObjectId();
    let_go.reset();
    const platform::ComObject plains = document.CallObjectAhead("getElementsByName", {"plain"});
    EXPECT_EQ(plains.ObjectId(), number);
    EXPECT_EQ(plains.GetNumber("length"), 1);
  }
  // Releases go out with the next call or on their own soon after.
  EXPECT_TRUE(WaitFor([&] { return held() == before; }, 2000)) << held() << " held";
}

TEST_F(PageAutomationBrowserTest, NoTimerHandlerRunsWhileACallWaitsForThePage) {
  Load("buttons.html");
  PageAutomation automation = Attached();
  platform::qt::QtEventLoop loop;
  bool in_call = false;
  bool ran_inside_call = false;
  int fired = 0;
  auto timer = loop.CreateTimer([&] {
    ++fired;
    if (in_call) ran_inside_call = true;
  });
  // Keep the renderer busy so the next call has to wait, with the timer due meanwhile.
  automation.AttachedDocument().GetObject("parentWindow");
  viewer_.View()->page()->runJavaScript(
      "setTimeout(function () { var end = Date.now() + 400; while (Date.now() < end) {} }, 0);");
  platform::SetTimerPeriod(*timer, 20);
  QTest::qWait(30);
  const int before = fired;
  in_call = true;
  QElapsedTimer clock;
  clock.start();
  const platform::Text title = automation.GetPageContent("title");
  in_call = false;
  EXPECT_EQ(title, "");
  EXPECT_FALSE(ran_inside_call) << "a timer handler ran nested inside a page call";
  platform::SetTimerPeriod(*timer, 0);
  ASSERT_GT(clock.elapsed(), 40) << "the call did not wait, so the test proves nothing";
  EXPECT_EQ(fired, before) ;
}

TEST_F(PageAutomationBrowserTest, CallIntoAKilledRendererFailsAndTheNextPageWorks) {
  Load("buttons.html");
  PageAutomation automation = Attached();
  const qint64 pid = viewer_.View()->page()->renderProcessPid();
  ASSERT_GT(pid, 0);
  bool terminated = false;
  QObject::connect(viewer_.View()->page(), &QWebEnginePage::renderProcessTerminated,
                   [&] { terminated = true; });
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  EXPECT_FALSE(automation.ClickButton("1", 2));
  EXPECT_TRUE(WaitFor([&] { return terminated; }, 5000));
  EXPECT_FALSE(automation.ClickButton("1", 2));
  Load("buttons.html");
  PageAutomation fresh = Attached();
  EXPECT_TRUE(fresh.ClickButton("1", 2));
  EXPECT_EQ(Pressed(fresh), "submit");
}

}  // namespace

namespace {

TEST_F(PageAutomationBrowserTest, PageScriptsThatBreakBuiltInsDoNotReachTheBridge) {
  Load("hostile.html");
  PageAutomation automation = Attached();
  EXPECT_TRUE(automation.ClickButton("开始采集", 3));
  EXPECT_EQ(automation.GetPageContent("title"), "go");
  EXPECT_EQ(automation.GetElement("go", 0).GetText("value"), "开始采集");
}

}  // namespace

namespace {

// Pages written elsewhere for browser-automation tests. A listener of the test
// records each pressed element's name (or id, or text) in the title and keeps
// the press from navigating, so that the page stays to be read.
class SharedTestPageTest : public PageAutomationBrowserTest {
 protected:
  void LoadShared(const char* page) {
    QWebEngineView* view = viewer_.View();
    ASSERT_TRUE(browser_tests::LoadAndWait(view, [&] {
      view->setUrl(QUrl::fromLocalFile(QStringLiteral(SHARED_TESTPAGES_DIR "/") + page));
    }));
    bool installed = false;
    view->page()->runJavaScript(
        QStringLiteral("document.addEventListener('click', function (e) {"
                       "  var t = e.target.closest('a') || e.target;"
                       "  document.title = t.name || t.id || t.textContent;"
                       "  e.preventDefault(); }, true); true"),
        [&](const QVariant&) { installed = true; });
    ASSERT_TRUE(WaitFor([&] { return installed; }));
  }
};

struct SharedPageCase {
  const char* page;
  bool link;
  platform::Text text;
  int32_t kind;
  bool result;
  const char* pressed;
};

TEST_F(SharedTestPageTest, PressesTheElementTheRulesChooseOnRealPages) {
  const SharedPageCase cases[] = {
      {"inputs.html", false, "1", 2, true, "button_input"},
      {"inputs.html", false, "2", 2, true, "image_input"},
      {"inputs.html", false, "3", 2, true, "reset_input"},
      {"inputs.html", false, "4", 2, true, "submit_input"},
      {"inputs.html", false, "5", 2, false, ""},
      {"inputs.html", false, "icon.gif", 4, true, "image_input"},
      {"inputs.html", false, "SUBMIT", 3, true, "submit_input"},
      {"inputs.html", false, "text input", 3, false, ""},
      {"formPage.html", false, "hello", 3, true, "submitButton"},
      {"formPage.html", false, "button.gif", 4, true, "imageButton"},
      {"formPage.html", false, "checky", 0, true, "checky"},
      {"xhtmlTest.html", true, "click me", 3, true, "click me"},
      {"xhtmlTest.html", true, "iframes.html", 4, true, "windowTwo"},
      {"xhtmlTest.html", true, "sameWindow", 1, true, "sameWindow"},
      {"xhtmlTest.html", true, "linkId", 0, true, "linkId"},
  };
  for (const SharedPageCase& c : cases) {
    SCOPED_TRACE(std::string(c.page) + " " + c.text + " kind " + std::to_string(c.kind));
    LoadShared(c.page);
    PageAutomation automation = Attached();
    const platform::Text before = automation.GetPageContent("title");
    const bool result =
        c.link ? automation.ClickLink(c.text, c.kind) : automation.ClickButton(c.text, c.kind);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(automation.GetPageContent("title"), c.result ? platform::Text(c.pressed) : before);
  }
}

}  // namespace

namespace {

// Walks read everything they need in one call into the page where they can
// (in parts when the page is slow to read); item by item they must choose
// exactly the same elements.
TEST_F(PageAutomationBrowserTest, WalksInOneCallChooseWhatItemByItemWalksChoose) {
  Load("generated.html");
  // Presses write the pressed element's id into the title; lists name themselves
  // in their one option.
  auto press = [](bool link, platform::Text text, int32_t kind, std::optional<bool> exact = {}) {
    return [=](PageAutomation& automation) {
      automation.AttachedDocument().Put("title", "");
      const bool pressed = link ? automation.ClickLink(text, kind, exact)
                                : automation.ClickButton(text, kind, exact);
      return pressed ? automation.GetPageContent("title") : platform::Text("nothing");
    };
  };
  const std::vector<std::pair<std::string, std::function<platform::Text(PageAutomation&)>>> lookups = {
      {"ButtonByPosition", press(false, "37", 2)},
      {"ButtonByCaption", press(false, "开始采集 1", 3)},
      {"ButtonByExactCaption", press(false, "v9", 3, true)},
      {"ButtonByCaptionNowhere", press(false, "无此按钮", 3)},
      {"ImageBySource", press(false, "img7", 4)},
      {"LinkByText", press(true, "链接2", 3)},
      {"LinkByEmptyText", press(true, "", 3)},
      {"LinkByAddress", press(true, "#link12", 4)},
      {"LinkByPosition", press(true, "250", 2)},
      {"SelectByName", [](PageAutomation& a) { return a.GetSelectList("LIST2", 0).GetOptionText(1); }},
      {"SelectByPosition", [](PageAutomation& a) { return a.GetSelectList("7", 2).GetOptionText(1); }},
      {"FormByName", [](PageAutomation& a) { return a.GetForm("Form2", 0).GetText("id"); }},
      {"FormByPosition", [](PageAutomation& a) { return a.GetForm("4", 2).GetText("id"); }},
  };
  auto& bridge = *viewer_.Bridge();
  PageAutomation automation = Attached();
  for (const auto& [name, lookup] : lookups) {
    SCOPED_TRACE(name);
    bridge.SetReadEach(true);
    const platform::Text in_one_call = lookup(automation);
    // No time at all: every part is the least the page reads between looks at the clock.
    bridge.SetReadEachPartMs(0);
    const platform::Text in_parts = lookup(automation);
    bridge.SetReadEachPartMs(platform::qt::PageBridge::kReadEachPartMs);
    bridge.SetReadEach(false);
    const platform::Text item_by_item = lookup(automation);
    bridge.SetReadEach(true);
    EXPECT_FALSE(in_one_call.empty());
    EXPECT_EQ(in_one_call, item_by_item);
    EXPECT_EQ(in_parts, item_by_item);
  }
}

}  // namespace
