// Element content, frames, forms, scripts, pop-ups and option groups on real
// Chromium, with pages served over HTTP on 127.0.0.1 so that frames share
// their parent's origin.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "pageauto/option_groups.h"
#include "pageauto/page_automation.h"
#include "platform/qt/html_viewer.h"
#include "platform/qt/qt_window_tree.h"
#include "tests/browser/qt_test_helpers.h"
#include "tests/support/loopback_http_server.h"

namespace {

using browser_tests::WaitFor;
using pageauto::PageAutomation;
using platform::ComObject;
using platform::Text;
using platform::qt::HtmlViewer;
using test_support::LoopbackHttpServer;

class PageContentBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer_.resize(800, 600);
    viewer_.show();
  }

  void Load(const QString& url) {
    QWebEngineView* view = viewer_.View();
    ASSERT_TRUE(browser_tests::LoadAndWait(view, [&] { view->setUrl(QUrl(url)); }));
    ASSERT_TRUE(automation_.AttachDocument(std::nullopt, viewer_.Handle()));
  }
  void LoadFixture(const char* page) { Load(QString::fromStdString(fixtures_.Url("/") + page)); }

  // Runs a script in the page's own world and gives its answer as text.
  QString PageSays(const QString& script) {
    QString answer;
    bool done = false;
    viewer_.View()->page()->runJavaScript(script, [&](const QVariant& value) {
      answer = value.toString();
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }));
    return answer;
  }

  LoopbackHttpServer fixtures_{LoopbackHttpServer::FilesUnder(TEST_FIXTURES_DIR)};
  platform::qt::QtWindowTree windows_;
  HtmlViewer viewer_{HtmlViewer::Storage::kOffTheRecord};
  PageAutomation automation_{windows_};
};

TEST_F(PageContentBrowserTest, ValuesAndContentReadAndWritten) {
  LoadFixture("content.html");
  EXPECT_EQ(automation_.GetElementValue("user", 0), "张三");
  EXPECT_EQ(automation_.GetElementValue("username", 1), "张三");
  EXPECT_TRUE(automation_.SetElementValue("username", 1, "李四"));
  EXPECT_EQ(PageSays("document.getElementById('user').value"), QStringLiteral("李四"));
  EXPECT_FALSE(automation_.SetElementValue("nobody", 0, "x"));
  EXPECT_EQ(automation_.GetElementValue("nobody", 0), "");

  const ComObject box = automation_.GetElement("box", 0);
  EXPECT_EQ(automation_.GetInnerHtml(box), "<b>粗体</b> 文字");
  EXPECT_EQ(automation_.GetInnerText(box), "粗体 文字");
  EXPECT_EQ(automation_.GetOuterHtml(box), "<div id=\"box\" name=\"box\"><b>粗体</b> 文字</div>");
  EXPECT_TRUE(automation_.SetInnerHtml(box, "<i>斜体</i>"));
  EXPECT_EQ(PageSays("document.getElementById('box').innerHTML"), QStringLiteral("<i>斜体</i>"));
  EXPECT_TRUE(automation_.SetInnerText(box, "<plain>"));
  EXPECT_EQ(PageSays("document.getElementById('box').textContent"), QStringLiteral("<plain>"));
  EXPECT_TRUE(automation_.SetOuterHtml(box, "<span id=\"box2\">新</span>"));
  EXPECT_EQ(PageSays("document.getElementById('box2').textContent"), QStringLiteral("新"));
  const ComObject para = automation_.GetElement("para", 0);
  EXPECT_EQ(automation_.GetOuterText(para), "选中这段文字 select me");
  EXPECT_TRUE(automation_.SetOuterText(para, "替换"));
  // Non-ASCII script text goes as UTF-16: narrow literals are code-page bytes here.
  EXPECT_EQ(PageSays(QStringLiteral(
                "document.getElementById('para') === null && document.body.innerText.includes('替换')")),
            QStringLiteral("true"));

  EXPECT_EQ(automation_.GetInnerHtml(ComObject()), "");
  EXPECT_FALSE(automation_.SetInnerHtml(ComObject(), "x"));
}

TEST_F(PageContentBrowserTest, FocusVisibilityPointTagsAndDocumentMembers) {
  LoadFixture("content.html");
  automation_.FocusElement(automation_.GetElement("user", 0));
  EXPECT_EQ(PageSays("document.activeElement.id"), QStringLiteral("user"));
  EXPECT_TRUE(automation_.ShowElement(automation_.GetElement("secret", 0), true));
  EXPECT_EQ(PageSays("document.getElementById('secret').type"), QStringLiteral("text"));
  EXPECT_TRUE(automation_.ShowElement(automation_.GetElement("clicker", 0), false));
  EXPECT_EQ(PageSays("document.getElementById('clicker').style.display"), QStringLiteral("none"));
  EXPECT_EQ(automation_.ElementAtPoint(320, 320).GetText("id"), "target-area");
  EXPECT_EQ(automation_.GetElementsByTag("select").GetNumber("length"), 2);
  EXPECT_EQ(automation_.ReadDocumentProperty("getElementById", "nobody"), "");
  EXPECT_EQ(automation_.ReadDocumentProperty("queryCommandSupported", "bold"), "true");
}

TEST_F(PageContentBrowserTest, SelectionReadAsTextAndHtmlAndReplaced) {
  LoadFixture("content.html");
  EXPECT_EQ(automation_.GetSelectionText(), "");
  PageSays("var r = document.createRange(); r.selectNodeContents(document.getElementById('box'));"
           "getSelection().removeAllRanges(); getSelection().addRange(r); true");
  EXPECT_EQ(automation_.GetSelectionText(), "粗体 文字");
  EXPECT_EQ(automation_.GetSelectionText(0), "粗体 文字");
  EXPECT_EQ(automation_.GetSelectionText(1), "<b>粗体</b> 文字");
  automation_.ReplaceSelection("<u>换</u>");
  EXPECT_EQ(PageSays("document.getElementById('box').innerHTML"), QStringLiteral("<u>换</u>"));
}

TEST_F(PageContentBrowserTest, ScriptsRunInThePageWorldDialogsNeverWaitAndCanBeSilenced) {
  LoadFixture("content.html");
  automation_.RunScript("document.title = 'by script'");
  EXPECT_EQ(automation_.GetPageContent("title"), "content") << "VBScript has no engine here";
  automation_.RunScript("document.title = 'by script'", Text("JScript"));
  EXPECT_EQ(automation_.GetPageContent("title"), "by script");
  automation_.RunScript("window.fromTool = 42", Text("javascript"));
  EXPECT_EQ(PageSays("String(window.fromTool)"), QStringLiteral("42"));

  // The page's own dialogs never wait for an answer: OK at once, the last
  // message left on show in a box that holds nothing up.
  PageSays(QStringLiteral("askUser(); true"));
  EXPECT_EQ(automation_.GetPageContent("title"), "asked");
  QMessageBox* message = viewer_.PageMessage();
  ASSERT_NE(message, nullptr) << "the page's alert showed nothing";
  EXPECT_TRUE(message->isVisible());
  EXPECT_FALSE(message->isModal());
  EXPECT_EQ(message->windowTitle(), QString::fromUtf16(HtmlViewer::kPageMessageTitle));
  EXPECT_EQ(message->text(), QStringLiteral("来自页面的提示"));
  EXPECT_EQ(PageSays(QStringLiteral("String(confirm('继续？'))")), QStringLiteral("true"));
  EXPECT_TRUE(message->text().startsWith(QStringLiteral("继续？\n")));
  EXPECT_EQ(PageSays(QStringLiteral("prompt('名称', '默认')")), QStringLiteral("默认"));
  EXPECT_EQ(viewer_.PageMessage(), message) << "one box, its text replaced";
  message->close();

  automation_.SuppressDialogs();
  automation_.SuppressDialogs();
  PageSays(QStringLiteral("document.title = 'again'; true"));
  PageSays(QStringLiteral("askUser(); true"));
  EXPECT_EQ(automation_.GetPageContent("title"), "asked");
  QTest::qWait(200);
  EXPECT_FALSE(message->isVisible()) << "a dialog reached the browser box";
}

TEST_F(PageContentBrowserTest, FiringAnEventRunsTheElementsHandler) {
  LoadFixture("content.html");
  EXPECT_TRUE(automation_.FireElementEvent(automation_.GetElement("clicker", 0), "onclick"));
  EXPECT_EQ(automation_.GetPageContent("title"), "fired click");
  EXPECT_FALSE(automation_.FireElementEvent(ComObject(), "onclick"));
}

TEST_F(PageContentBrowserTest, FramesFoundByNameInOtherCaseByIdAndByPosition) {
  LoadFixture("frames.html");
  ASSERT_TRUE(WaitFor([&] { return automation_.GetFrameCount() == 2; }));
  EXPECT_EQ(automation_.GetFrame("topframe", 0).GetText("name"), "TopFrame");
  EXPECT_EQ(automation_.GetFrame("SECOND-ID", 1).GetText("name"), "second");
  EXPECT_EQ(automation_.GetFrame("2", 2).GetText("id"), "second-id");
  EXPECT_TRUE(automation_.GetFrame("3", 2).IsEmpty());
  EXPECT_TRUE(automation_.GetFrame("nothing", 0).IsEmpty());
  const ComObject holder = automation_.GetFrameElement("TopFrame", 0);
  EXPECT_EQ(holder.GetText("tagName"), "IFRAME");
  EXPECT_EQ(holder.GetText("id"), "top-id");

  // A frame's document is a document like any other.
  PageAutomation inner(windows_);
  ASSERT_TRUE(WaitFor([&] {
    return inner.AttachDocument(automation_.GetFrame("second", 0).GetObject("document")) &&
           inner.GetElementValue("user", 0) == "张三";
  }));
}

TEST_F(PageContentBrowserTest, FramesetOfARealPageFoundThroughItsNestedSets) {
  LoopbackHttpServer shared(LoopbackHttpServer::FilesUnder(SHARED_TESTPAGES_DIR));
  Load(QString::fromStdString(shared.Url("/NestedFrames.html")));
  ASSERT_TRUE(WaitFor([&] { return automation_.GetFrameCount() == 3; }));
  EXPECT_EQ(automation_.GetFrame("MAINFRAME", 0).GetText("id"), "foo");
  EXPECT_EQ(automation_.GetFrame("foo", 1).GetText("name"), "mainFrame");
  EXPECT_EQ(automation_.GetFrame("3", 2).GetText("name"), "bottomFrame");
  EXPECT_EQ(automation_.GetFrameElement("foo", 1).GetText("tagName"), "FRAME");
}

TEST_F(PageContentBrowserTest, FormsFoundByExactNameAndSubmittedToTheServer) {
  LoadFixture("content.html");
  EXPECT_EQ(automation_.GetForm("Login", 0).GetText("id"), "login-form");
  EXPECT_TRUE(automation_.GetForm("login", 0).IsEmpty());
  EXPECT_EQ(automation_.GetForm("search-form", 1).GetText("name"), "search");
  EXPECT_EQ(automation_.GetForm("2", 2).GetText("name"), "search");
  EXPECT_FALSE(automation_.SubmitForm("login", 0));
  EXPECT_TRUE(automation_.SubmitForm("Login", 0));
  ASSERT_TRUE(WaitFor([&] {
    for (const auto& request : fixtures_.FullRequests()) {
      if (request.head.rfind("POST /submit ", 0) == 0) return request.body == "who=operator";
    }
    return false;
  }));
}

TEST_F(PageContentBrowserTest, NavigatingAndWritingChangeThePageWhileTheAttachedReferenceStays) {
  LoadFixture("content.html");
  const ComObject attached = automation_.AttachedDocument();
  automation_.WriteDocument("<title>written</title><p id='w'>新内容</p>");
  EXPECT_EQ(automation_.GetPageContent("title"), "written");
  EXPECT_EQ(automation_.GetInnerText(automation_.GetElement("w", 0)), "新内容");
  EXPECT_TRUE(automation_.AttachedDocument().SameObject(attached));

  ASSERT_TRUE(browser_tests::LoadAndWait(
      viewer_.View(), [&] { automation_.NavigateTo(fixtures_.Url("/login.html")); }));
  EXPECT_EQ(viewer_.View()->title(), QStringLiteral("login-fixture"));
  EXPECT_TRUE(automation_.AttachedDocument().SameObject(attached));
}

TEST_F(PageContentBrowserTest, PopupShowsTheColoursAsTheBoxStyleAndHides) {
  LoadFixture("content.html");
  const ComObject popup = automation_.ShowPopup(40, 50, 200, 80, "<b>提示</b>", std::nullopt, 3, 255);
  ASSERT_FALSE(popup.IsEmpty());
  const ComObject body = popup.GetObject("document").GetObject("body");
  EXPECT_EQ(body.GetText("innerHTML"), "<b>提示</b>");
  auto style = [&](const char* property) {
    return PageSays(QStringLiteral("(function () { var all = document.querySelectorAll('div');"
                                   " var box = all[all.length - 1]; return getComputedStyle(box)['%1']; })()")
                        .arg(QLatin1String(property)));
  };
  EXPECT_EQ(style("backgroundColor"), QStringLiteral("rgb(255, 255, 255)"));
  EXPECT_EQ(style("borderTopColor"), QStringLiteral("rgb(255, 0, 0)"));
  EXPECT_EQ(style("borderTopWidth"), QStringLiteral("3px"));
  EXPECT_EQ(style("display"), QStringLiteral("block"));
  EXPECT_EQ(style("left"), QStringLiteral("40px"));
  QTest::qWait(200);
  viewer_.grab().save(QStringLiteral(TEST_OUTPUT_DIR "/popup.png"));
  automation_.HidePopup(popup);
  EXPECT_EQ(style("display"), QStringLiteral("none"));
}

TEST_F(PageContentBrowserTest, SelectListsAndGroupsReadAndSet) {
  LoadFixture("content.html");
  pageauto::SelectList colours = automation_.GetSelectList("colours", 0);
  EXPECT_EQ(colours.GetOptionCount(), 3);
  EXPECT_EQ(colours.GetSelectedIndex(), 1);
  EXPECT_EQ(colours.GetOptionText(1), "红");
  EXPECT_EQ(colours.GetOptionValue(3), "b");
  EXPECT_TRUE(colours.SetSelectedIndex(3));
  EXPECT_EQ(PageSays("document.getElementById('colour-list').value"), QStringLiteral("b"));
  EXPECT_EQ(colours.GetSelectedIndex(), 2);
  EXPECT_TRUE(colours.SetOptionText(1, "赤"));
  EXPECT_TRUE(colours.SetOptionValue(1, "red"));
  EXPECT_EQ(PageSays("document.getElementById('colour-list').options[0].text + '/' +"
                     " document.getElementById('colour-list').options[0].value"),
            QStringLiteral("赤/red"));
  EXPECT_FALSE(colours.SetOptionText(9, "x"));
  EXPECT_EQ(automation_.GetSelectList("SIZE-LIST", 1).GetOptionCount(), 2);
  EXPECT_EQ(automation_.GetSelectList("2", 2).GetOptionValue(2), "m");
  EXPECT_EQ(automation_.GetSelectList("3", 2).GetOptionCount(), 0);

  pageauto::RadioGroup shift = automation_.GetRadioGroup("shift");
  EXPECT_EQ(shift.GetItemCount(), 2);
  EXPECT_TRUE(shift.IsChecked(1));
  shift.Check(2);
  EXPECT_FALSE(shift.IsChecked(1)) << "checking one radio button clears the other";
  EXPECT_EQ(shift.GetItemValue(2), "night");
  pageauto::CheckBoxGroup days = automation_.GetCheckBoxGroup("days");
  pageauto::CheckBoxGroup copy = days;
  copy.Check(1);
  days.Uncheck(2);
  EXPECT_EQ(PageSays("[...document.getElementsByName('days')].map(b => b.checked).join()"),
            QStringLiteral("true,false"));
  EXPECT_TRUE(days.IsChecked(1));
}

TEST_F(PageContentBrowserTest, RealSelectPageByIdInOtherCaseByPositionAndByEmptyName) {
  LoopbackHttpServer shared(LoopbackHttpServer::FilesUnder(SHARED_TESTPAGES_DIR));
  Load(QString::fromStdString(shared.Url("/selectPage.html")));
  pageauto::SelectList cheeses = automation_.GetSelectList("SELECTWITHMULTIPLEEQUALSMULTIPLE", 1);
  EXPECT_EQ(cheeses.GetOptionCount(), 4);
  EXPECT_EQ(cheeses.GetOptionText(1), "Emmental");
  EXPECT_EQ(automation_.GetSelectList("6", 2).GetOptionValue(2), "two") << "options inside a group";
  EXPECT_EQ(automation_.GetSelectList("", 0).GetOptionValue(1), "one")
      << "an empty key takes the first list without a name";
}

}  // namespace
