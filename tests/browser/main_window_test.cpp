// The main window on real widgets with a real browser box: its controls, the
// three ways start-up can go, saving through the widgets, outline and closing.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QDir>
#include <QFrame>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include "app/picture_button.h"
#include "app/skin.h"
#include "cycle/settings_file.h"
#include "platform/curl_http_client.h"
#include "tests/support/loopback_http_server.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_text.h"
#include "tests/browser/qt_test_helpers.h"

namespace {

using browser_tests::MessageBoxAnswerer;
using browser_tests::WaitFor;
using platform::qt::HtmlViewer;
using platform::qt::QtEventLoop;

const QString kLoginUrl = QStringLiteral("file://" TEST_FIXTURES_DIR "/login.html");

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  std::string SettingsPath() const { return dir_.filePath(QStringLiteral("config.ini")).toStdString(); }

  std::unique_ptr<app::MainWindow> Open() {
    auto window = std::make_unique<app::MainWindow>(
        loop_, app::MainWindow::Options{SettingsPath(), HtmlViewer::Storage::kOffTheRecord, {}});
    window->show();
    return window;
  }

  static std::string CompleteSettings() {
    return platform::qt::FromQString(kLoginUrl) +
           "\r\nhttp://127.0.0.1:9/collect\r\nhttp://127.0.0.1:9/channel\r\nhttp://127.0.0.1:9/"
           "home\r\n1\r\n10";
  }

  template <typename T = QWidget>
  static T* Child(const QWidget& window, const char16_t* name) {
    return window.findChild<T*>(QString::fromUtf16(name));
  }

  static int CurrentPage(const app::MainWindow& window) {
    return Child<QTabWidget>(window, u"高级选择夹")->currentIndex();
  }

  QTemporaryDir dir_;
  QtEventLoop loop_;
};

struct ControlRow {
  const char16_t* name;
  const char16_t* parent;
  QRect geometry;
  const char* kind;
  const char16_t* text;  // labels only
};

TEST_F(MainWindowTest, EveryControlSitsInItsParentAtItsPlaceAndSize) {
  const ControlRow rows[] = {
      {u"图形按钮1", u"MainWindow", {678, 13, 32, 30}, "app::PictureButton", nullptr},
      {u"图形按钮2", u"MainWindow", {709, 13, 32, 30}, "app::PictureButton", nullptr},
      {u"高级选择夹", u"MainWindow", {7, 72, 736, 480}, "QTabWidget", nullptr},
      {u"外形框1", u"初始设置", {25, 34, 688, 416}, "QFrame", nullptr},
      {u"透明标签7", u"外形框1", {272, 22, 144, 40}, "QLabel", u"自动采集配置信息"},
      {u"透明标签1", u"外形框1", {80, 70, 82, 16}, "QLabel", u"后台登录地址："},
      {u"外形框2", u"外形框1", {168, 66, 440, 24}, "QFrame", nullptr},
      {u"后台登录地址", u"外形框2", {2, 2, 434, 20}, "QLineEdit", nullptr},
      {u"透明标签2", u"外形框1", {80, 112, 82, 16}, "QLabel", u"采集项目地址："},
      {u"外形框3", u"外形框1", {168, 108, 440, 24}, "QFrame", nullptr},
      {u"频道采集地址", u"外形框3", {2, 2, 434, 20}, "QLineEdit", nullptr},
      {u"透明标签3", u"外形框1", {80, 152, 82, 16}, "QLabel", u"Html生成地址："},
      {u"外形框4", u"外形框1", {168, 148, 440, 24}, "QFrame", nullptr},
      {u"频道生成地址", u"外形框4", {2, 2, 434, 20}, "QLineEdit", nullptr},
      {u"透明标签4", u"外形框1", {80, 192, 82, 16}, "QLabel", u"首页生成地址："},
      {u"外形框5", u"外形框1", {168, 188, 440, 24}, "QFrame", nullptr},
      {u"生成首页地址", u"外形框5", {2, 2, 434, 20}, "QLineEdit", nullptr},
      {u"透明标签11", u"外形框1", {80, 232, 82, 16}, "QLabel", u"每次采集时间："},
      {u"外形框6", u"外形框1", {168, 228, 26, 24}, "QFrame", nullptr},
      {u"每次采集时间", u"外形框6", {4, 2, 16, 20}, "QLineEdit", nullptr},
      {u"透明标签8", u"外形框1", {200, 232, 32, 16}, "QLabel", u"分钟"},
      {u"透明标签10", u"外形框1", {240, 232, 400, 16}, "QLabel",
       u"Quorvin无法检测采集页是否有更新，所以需要来控制每轮采集更新所用时间。"},
      {u"透明标签12", u"外形框1", {80, 272, 82, 16}, "QLabel", u"采集间隔时间："},
      {u"外形框7", u"外形框1", {168, 268, 26, 24}, "QFrame", nullptr},
      {u"采集间隔时间", u"外形框7", {4, 2, 16, 20}, "QLineEdit", nullptr},
      {u"透明标签9", u"外形框1", {200, 272, 32, 16}, "QLabel", u"分钟"},
      {u"透明标签13", u"外形框1", {240, 272, 224, 16}, "QLabel", u"采集完成后再次执行采集的间隔时间。"},
      {u"透明标签5", u"外形框1", {80, 310, 40, 20}, "QLabel", u"注意："},
      {u"透明标签6", u"外形框1", {122, 310, 286, 20}, "QLabel",
       u"请正确填写地址信息，否则会导致自动采集出错。"},
      {u"保存配置", u"外形框1", {312, 350, 87, 34}, "app::PictureButton", nullptr},
      {u"超文本浏览框", u"登录后台", {10, 16, 712, 408}, "platform::qt::HtmlViewer", nullptr},
      {u"开始挂机", u"登录后台", {10, 436, 89, 37}, "app::PictureButton", nullptr},
      {u"停止挂机", u"登录后台", {110, 436, 89, 37}, "app::PictureButton", nullptr},
      {u"修改配置", u"登录后台", {210, 436, 89, 37}, "app::PictureButton", nullptr},
      {u"外形框8", u"登录后台", {313, 438, 408, 32}, "QFrame", nullptr},
      {u"倒计时标签", u"外形框8", {8, 8, 392, 16}, "QLabel", u""},
  };
  WriteBytes(SettingsPath(), CompleteSettings());
  auto window = Open();
  for (const ControlRow& row : rows) {
    const QString name = QString::fromUtf16(row.name);
    SCOPED_TRACE(name.toStdString());
    QWidget* control = Child(*window, row.name);
    ASSERT_NE(control, nullptr);
    ASSERT_NE(control->parentWidget(), nullptr);
    EXPECT_EQ(control->parentWidget()->objectName(), QString::fromUtf16(row.parent));
    EXPECT_EQ(control->geometry(), row.geometry);
    EXPECT_STREQ(control->metaObject()->className(), row.kind);
    if (row.text != nullptr) {
      EXPECT_EQ(static_cast<QLabel*>(control)->text(), QString::fromUtf16(row.text));
    }
  }
  for (const char16_t* button : {u"图形按钮1", u"保存配置", u"开始挂机"}) {
    EXPECT_EQ(Child(*window, button)->cursor().shape(), Qt::PointingHandCursor);
  }
  EXPECT_FALSE(Child(*window, u"外形框8")->isVisibleTo(window.get()));
  auto* tabs = Child<QTabWidget>(*window, u"高级选择夹");
  // Without page headers the pages fill the tab control, so controls on them sit
  // where the layout puts them in window terms too.
  EXPECT_EQ(Child(*window, u"开始挂机")->mapTo(window.get(), QPoint(0, 0)), QPoint(17, 508));
  ASSERT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("初始设置"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("登录后台"));
}

TEST_F(MainWindowTest, WindowIsFramelessFixedCentredAndTitledWithOnlyTheNoticeTimerRunning) {
  WriteBytes(SettingsPath(), CompleteSettings());
  auto window = Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorvin挂机采集助手V2.0"));
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(window->isWindow());
  EXPECT_EQ(window->size(), QSize(750, 560));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  const QRect screen = window->screen()->availableGeometry();
  EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 1);
  EXPECT_EQ(window->CountdownTimer().Period(), 0);
  EXPECT_EQ(window->IntervalTimer().Period(), 0);
  EXPECT_EQ(window->PromptTimer().Period(), 0);
  EXPECT_EQ(window->NoticeTimer().Period(), 2000);
}

TEST_F(MainWindowTest, AllSixSettingsFilledShowsTheBackEndWithTheLoginPageLoadingAndNoPrompt) {
  WriteBytes(SettingsPath(), CompleteSettings());
  MessageBoxAnswerer answerer(QStringLiteral("确定"));
  auto window = Open();
  EXPECT_EQ(CurrentPage(*window), 1);
  EXPECT_EQ(Child<QLineEdit>(*window, u"每次采集时间")->text(), QStringLiteral("1"));
  EXPECT_EQ(Child<QLineEdit>(*window, u"采集间隔时间")->text(), QStringLiteral("10"));
  EXPECT_EQ(Child<QLineEdit>(*window, u"后台登录地址")->text(), kLoginUrl);
  QWebEngineView* view = window->BrowserBox()->View();
  ASSERT_TRUE(WaitFor([&] { return view->title() == QStringLiteral("login-fixture"); }));
  EXPECT_EQ(view->url(), QUrl(kLoginUrl));
  QTest::qWait(400);
  EXPECT_TRUE(answerer.Seen().isEmpty());
}

TEST_F(MainWindowTest, OneEmptySettingShowsTheSettingsPageAndPromptsOnce) {
  WriteBytes(SettingsPath(), "http://a/login\r\nhttp://a/collect\r\nhttp://a/channel\r\n\r\n3\r\n15");
  MessageBoxAnswerer answerer(QStringLiteral("确定"));
  auto window = Open();
  EXPECT_EQ(CurrentPage(*window), 0);
  EXPECT_EQ(Child<QLineEdit>(*window, u"后台登录地址")->text(), QStringLiteral("http://a/login"));
  EXPECT_EQ(Child<QLineEdit>(*window, u"频道采集地址")->text(), QStringLiteral("http://a/collect"));
  EXPECT_EQ(Child<QLineEdit>(*window, u"频道生成地址")->text(), QStringLiteral("http://a/channel"));
  EXPECT_EQ(Child<QLineEdit>(*window, u"生成首页地址")->text(), QString());
  EXPECT_EQ(Child<QLineEdit>(*window, u"每次采集时间")->text(), QStringLiteral("3"));
  EXPECT_EQ(Child<QLineEdit>(*window, u"采集间隔时间")->text(), QStringLiteral("15"));
  EXPECT_TRUE(window->BrowserBox()->View()->url().isEmpty());
  ASSERT_TRUE(WaitFor([&] { return !answerer.Seen().isEmpty(); }));
  QTest::qWait(500);
  ASSERT_EQ(answerer.Seen().size(), 1);
  EXPECT_EQ(answerer.Seen()[0].text, QStringLiteral("请将采集配置填写完整!"));
  EXPECT_EQ(answerer.Seen()[0].title, QStringLiteral("信息："));
  EXPECT_EQ(window->PromptTimer().Period(), 0);
}

TEST_F(MainWindowTest, NoSettingsFileEmptiesEveryBoxAndPrompts) {
  MessageBoxAnswerer answerer(QStringLiteral("确定"));
  auto window = Open();
  EXPECT_EQ(CurrentPage(*window), 0);
  for (const char16_t* box : {u"后台登录地址", u"频道采集地址", u"频道生成地址", u"生成首页地址",
                              u"每次采集时间", u"采集间隔时间"}) {
    EXPECT_EQ(Child<QLineEdit>(*window, box)->text(), QString()) << QString::fromUtf16(box).toStdString();
  }
  ASSERT_TRUE(WaitFor([&] { return !answerer.Seen().isEmpty(); }));
  EXPECT_EQ(answerer.Seen()[0].text, QStringLiteral("请将采集配置填写完整!"));
}

TEST_F(MainWindowTest, SavingThroughTheWidgetsWritesTheExactBytesReloadsAndShowsTheBackEnd) {
  MessageBoxAnswerer answerer(QStringLiteral("确定"));
  auto window = Open();
  ASSERT_TRUE(WaitFor([&] { return !answerer.Seen().isEmpty(); }));  // the start-up prompt
  const std::pair<const char16_t*, QString> typed[] = {
      {u"后台登录地址", kLoginUrl},         {u"频道采集地址", QStringLiteral("b")},
      {u"频道生成地址", QString()},         {u"生成首页地址", QStringLiteral("首页")},
      {u"每次采集时间", QStringLiteral("1")}, {u"采集间隔时间", QStringLiteral("10")},
  };
  // Committed through the input method, as typed Chinese arrives.
  for (const auto& [box, text] : typed) {
    QInputMethodEvent input;
    input.setCommitString(text);
    QApplication::sendEvent(Child<QLineEdit>(*window, box), &input);
  }

  QTest::mouseClick(Child(*window, u"保存配置"), Qt::LeftButton);

  ASSERT_TRUE(WaitFor([&] { return answerer.Seen().size() == 2; }));
  EXPECT_EQ(answerer.Seen()[1].text, QStringLiteral("配置保存成功！"));
  EXPECT_EQ(answerer.Seen()[1].title, QStringLiteral("信息："));
  const std::string expected = platform::qt::FromQString(kLoginUrl) + "\r\nb\r\n\r\n" +
                               std::string("首页") + "\r\n1\r\n10";
  EXPECT_EQ(ReadBytes(SettingsPath()), expected);
  EXPECT_EQ(window->CurrentSettings().home_html_url, std::string("首页"));
  EXPECT_EQ(CurrentPage(*window), 1);
  ASSERT_TRUE(WaitFor([&] { return window->BrowserBox()->View()->title() == QStringLiteral("login-fixture"); }));
}

TEST_F(MainWindowTest, SavingWithAnEmptyLoginAddressLeavesTheBrowserBoxWhereItWas) {
  WriteBytes(SettingsPath(), CompleteSettings());
  MessageBoxAnswerer answerer(QStringLiteral("确定"));
  auto window = Open();
  QWebEngineView* view = window->BrowserBox()->View();
  ASSERT_TRUE(WaitFor([&] { return view->title() == QStringLiteral("login-fixture"); }));
  Child<QLineEdit>(*window, u"后台登录地址")->clear();
  QTest::mouseClick(Child(*window, u"保存配置"), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !answerer.Seen().isEmpty(); }));
  EXPECT_EQ(window->CurrentSettings().login_url, "");
  EXPECT_EQ(view->url(), QUrl(kLoginUrl));
  EXPECT_EQ(CurrentPage(*window), 1);
}

TEST_F(MainWindowTest, ReadOnlySettingsFileIsLeftAsItWasAndTheOperatorIsToldWhy) {
  WriteBytes(SettingsPath(), CompleteSettings());
  ASSERT_EQ(chmod(SettingsPath().c_str(), 0444), 0);
  MessageBoxAnswerer answerer(QStringLiteral("确定"));
  auto window = Open();
  Child<QLineEdit>(*window, u"频道采集地址")->setText(QStringLiteral("changed"));
  QTest::mouseClick(Child(*window, u"保存配置"), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !answerer.Seen().isEmpty(); }));
  EXPECT_TRUE(answerer.Seen()[0].text.startsWith(QStringLiteral("配置未能保存")))
      << answerer.Seen()[0].text.toStdString();
  EXPECT_EQ(ReadBytes(SettingsPath()), CompleteSettings());
  EXPECT_EQ(window->CurrentSettings().collect_url, "http://127.0.0.1:9/collect");
  EXPECT_EQ(CurrentPage(*window), 1);
}

TEST(WindowShapeTest, OutlineKeepsTheInnerRectangleWithClippedCorners) {
  const QRegion region = app::RegionFromMask(app::WindowMaskImage());
  struct Point {
    int x, y;
    bool inside;
  };
  const Point points[] = {
      {0, 0, false},     {1, 1, false},     {2, 2, false},     {3, 2, false},
      {4, 2, true},      {745, 2, true},    {746, 2, false},   {3, 3, true},
      {2, 3, false},     {746, 3, true},    {747, 3, false},   {2, 4, true},
      {747, 4, true},    {748, 4, false},   {2, 555, true},    {747, 555, true},
      {2, 556, false},   {3, 556, true},    {746, 556, true},  {747, 556, false},
      {3, 557, false},   {4, 557, true},    {745, 557, true},  {746, 557, false},
      {375, 0, false},   {375, 1, false},   {375, 558, false}, {375, 559, false},
      {375, 280, true},  {0, 280, false},   {1, 280, false},   {748, 280, false},
      {749, 280, false},
  };
  for (const Point& p : points) {
    EXPECT_EQ(region.contains(QPoint(p.x, p.y)), p.inside) << p.x << "," << p.y;
  }
}

TEST_F(MainWindowTest, WindowRegionIsTheOutline) {
  WriteBytes(SettingsPath(), CompleteSettings());
  auto window = Open();
  EXPECT_EQ(window->mask(), app::RegionFromMask(app::WindowMaskImage()));
  EXPECT_FALSE(window->mask().contains(QPoint(0, 0)));
}

TEST_F(MainWindowTest, DraggingTheBackgroundMovesTheWindowButDraggingAControlDoesNot) {
  WriteBytes(SettingsPath(), CompleteSettings());
  auto window = Open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  const QPoint start = window->pos();
  QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(300, 40));
  QMouseEvent move(QEvent::MouseMove, QPointF(340, 70), window->mapToGlobal(QPointF(340, 70)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &move);
  QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(340, 70));
  EXPECT_EQ(window->pos(), start + QPoint(40, 30));

  const QPoint after = window->pos();
  QWidget* tabs = Child(*window, u"高级选择夹");
  QTest::mousePress(tabs, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(tabs, QPoint(60, 60));
  QTest::mouseRelease(tabs, Qt::LeftButton, {}, QPoint(60, 60));
  EXPECT_EQ(window->pos(), after);
}

TEST_F(MainWindowTest, MinimiseButtonMinimises) {
  WriteBytes(SettingsPath(), CompleteSettings());
  auto window = Open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QTest::mouseClick(Child(*window, u"图形按钮1"), Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return window->isMinimized(); }, 3000));
}

TEST_F(MainWindowTest, CloseButtonAndEscEndTheProgramEvenWhileAHandlerWaits) {
  for (const char* how : {"button", "escape"}) {
    SCOPED_TRACE(how);
    QtEventLoop loop;
    WriteBytes(SettingsPath(), CompleteSettings());
    app::MainWindow window(loop, {SettingsPath(), HtmlViewer::Storage::kOffTheRecord, {}});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    bool wait_returned = false;
    QTimer::singleShot(0, [&] {
      loop.PumpingDelay(600000);
      wait_returned = true;
    });
    QTimer::singleShot(100, [&] {
      if (std::string(how) == "button") {
        QTest::mouseClick(Child(window, u"图形按钮2"), Qt::LeftButton);
      } else {
        QTest::keyClick(&window, Qt::Key_Escape);
      }
    });
    ASSERT_TRUE(WaitFor([&] { return wait_returned; }, 20000));
    EXPECT_TRUE(loop.QuitRequested());
    EXPECT_FALSE(window.isVisible());
  }
}

}  // namespace

namespace {

class RecordingShell : public platform::Shell {
 public:
  void ShellOpen(const platform::Text& target) override { opened.push_back(target); }
  std::vector<platform::Text> opened;
};

TEST_F(MainWindowTest, NoticeReadAtStartUpOpensItsPageAndOffersTheNewerVersionInARealBox) {
  test_support::LoopbackHttpServer server(test_support::LoopbackHttpServer::Response(
      "200 OK", "x|http://127.0.0.1:9/notice|http://127.0.0.1:9/download|2.1"));
  WriteBytes(SettingsPath(), CompleteSettings());
  platform::CurlHttpClient http;
  RecordingShell shell;
  MessageBoxAnswerer answerer(QStringLiteral("是"));
  app::MainWindow window(loop_, {SettingsPath(), HtmlViewer::Storage::kOffTheRecord,
                                 server.Url(app::kNoticePath), &http, &shell});
  window.show();
  EXPECT_EQ(server.Requests().size(), 1u) << "the notice is read during start-up";
  ASSERT_TRUE(WaitFor([&] { return !answerer.Seen().isEmpty(); }, 15000));
  EXPECT_EQ(answerer.Seen()[0].title, QStringLiteral("更新提示："));
  EXPECT_EQ(answerer.Seen()[0].text, QStringLiteral("发现新版本，是否下载更新？"));
  ASSERT_TRUE(WaitFor([&] { return shell.opened.size() == 2; }, 5000));
  EXPECT_EQ(shell.opened, (std::vector<platform::Text>{"http://127.0.0.1:9/notice",
                                                        "http://127.0.0.1:9/download"}));
  EXPECT_EQ(window.NoticeTimer().Period(), 0);
}

}  // namespace
