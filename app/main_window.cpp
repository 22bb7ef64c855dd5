#include "app/main_window.h"

#include <cstring>

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "app/picture_button.h"
#include "app/skin.h"
#include "cycle/settings_file.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_text.h"

using namespace Qt::Literals::StringLiterals;

namespace app {
namespace {

using platform::qt::FromQString;
using platform::qt::ToQString;

constexpr int kSettingsPage = cycle::CycleView::kSettingsPage;  // "初始设置"
constexpr int kBackEndPage = cycle::CycleView::kBackEndPage;    // "登录后台"

QFont PixelFont(int pixel_size, bool bold = false) {
  QFont font(u"WenQuanYi Micro Hei"_s);
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

template <typename Widget>
Widget* Place(Widget* widget, const QString& name, int x, int y, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(x, y, width, height);
  return widget;
}

QLabel* AddLabel(QWidget* parent, const QString& name, QRect geometry, const QString& text,
                 int pixel_size = 12) {
  auto* label = Place(new QLabel(text, parent), name, geometry.x(), geometry.y(),
                      geometry.width(), geometry.height());
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setFont(PixelFont(pixel_size));
  return label;
}

// Frames are styled by role; a plain QFrame selector would also reach the
// labels inside, which are frames too.
void SetFrameStyle(QFrame* frame, const QString& role) {
  frame->setProperty("skin", role);
  frame->setStyleSheet(
      u"QFrame[skin=\"edit\"] { background: white; border: 1px solid #7fb2e5; border-radius: 3px; }"
      u"QFrame[skin=\"form\"] { background: rgba(255,255,255,150); border: 1px solid #9cc6ee; border-radius: 6px; }"
      u"QFrame[skin=\"panel\"] { background: #fffbe6; border: 1px solid #f5c26b; border-radius: 4px; }"_s);
}

QFrame* AddFrame(QWidget* parent, const QString& name, QRect geometry) {
  auto* frame = Place(new QFrame(parent), name, geometry.x(), geometry.y(), geometry.width(),
                      geometry.height());
  frame->setFrameShape(QFrame::NoFrame);
  return frame;
}

// An edit box inside the frame that holds it, the frame drawn as its border.
QLineEdit* AddEditBox(QWidget* parent, const QString& frame_name, QRect frame_geometry,
                      const QString& name, QRect geometry, const QString& initial_text) {
  QFrame* frame = AddFrame(parent, frame_name, frame_geometry);
  SetFrameStyle(frame, u"edit"_s);
  auto* edit = Place(new QLineEdit(initial_text, frame), name, geometry.x(), geometry.y(),
                     geometry.width(), geometry.height());
  edit->setFrame(false);
  edit->setFont(PixelFont(12));
  return edit;
}

PictureButton* AddPictureButton(QWidget* parent, const QString& name, QRect geometry,
                                ButtonFaces faces) {
  return Place(new PictureButton(std::move(faces), parent), name, geometry.x(), geometry.y(),
               geometry.width(), geometry.height());
}

PictureButton* AddCaptionButton(QWidget* parent, const QString& name, QRect geometry) {
  return AddPictureButton(parent, name, geometry, CaptionButtonFaces(name, geometry.size()));
}

QString DescribeSaveFailure(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return u"文件被设为只读，或没有写入该目录的权限"_s;
    case EROFS:
      return u"所在的磁盘是只读的"_s;
    case ENOSPC:
    case EDQUOT:
      return u"磁盘空间不足"_s;
    case EISDIR:
      return u"同名的文件夹占用了 config.ini"_s;
    default:
      return QString::fromLocal8Bit(std::strerror(error));
  }
}

}  // namespace

MainWindow::MainWindow(platform::qt::QtEventLoop& loop, Options options)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      loop_(loop),
      options_(std::move(options)),
      background_(BackgroundPixmap()) {
  setObjectName(u"MainWindow"_s);
  setWindowTitle(u"Quorvin挂机采集助手V2.0"_s);
  setFixedSize(kWindowWidth, kWindowHeight);
  setFont(PixelFont(12));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect centred(QPoint(0, 0), size());
    centred.moveCenter(screen->availableGeometry().center());
    move(centred.topLeft());
  }

  BuildControls();

  countdown_timer_ = loop_.CreateTimer([this] { cycle_->CountdownTick(); });
  interval_timer_ = loop_.CreateTimer([this] { cycle_->StartCollecting(); });
  prompt_timer_ = loop_.CreateTimer([this] { PromptIncompleteSettings(); });
  notice_timer_ = loop_.CreateTimer([this] {
    if (options_.shell != nullptr) {
      OfferNoticeAndUpdate(notice_, *notice_timer_, loop_, *options_.shell);
    } else {
      platform::SetTimerPeriod(*notice_timer_, 0);
    }
  });
  platform::SetTimerPeriod(*notice_timer_, 2000);

  cycle_ = std::make_unique<cycle::CollectionCycle>(
      loop_, *browser_box_, windows_, *this, settings_,
      cycle::CollectionCycle::Timers{*countdown_timer_, *interval_timer_});
  connect(findChild<PictureButton*>(u"开始挂机"_s), &QAbstractButton::clicked, this,
          [this] { cycle_->StartCollecting(); });
  connect(findChild<PictureButton*>(u"停止挂机"_s), &QAbstractButton::clicked, this,
          [this] { cycle_->StopCycle(); });
  connect(findChild<PictureButton*>(u"修改配置"_s), &QAbstractButton::clicked, this,
          [this] { cycle_->EditSettings(); });

  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::ApplicationShortcut);
  connect(escape, &QShortcut::activated, this, &MainWindow::Close);

  OnWindowCreated();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  AddPictureButton(this, u"图形按钮1"_s, {678, 13, 32, 30}, MinimiseButtonFaces({32, 30}));
  AddPictureButton(this, u"图形按钮2"_s, {709, 13, 32, 30}, CloseButtonFaces({32, 30}));
  connect(findChild<PictureButton*>(u"图形按钮1"_s), &QAbstractButton::clicked, this,
          &MainWindow::Minimise);
  connect(findChild<PictureButton*>(u"图形按钮2"_s), &QAbstractButton::clicked, this,
          &MainWindow::Close);

  tabs_ = Place(new QTabWidget(this), u"高级选择夹"_s, 7, 72, 736, 480);
  // The program chooses the page; the headers would only invite switching by hand.
  tabs_->tabBar()->hide();
  tabs_->setStyleSheet(u"QTabWidget::pane { border: 0; background: transparent; }"_s);
  auto* settings_page = new QWidget;
  settings_page->setObjectName(u"初始设置"_s);
  settings_page->setAttribute(Qt::WA_TranslucentBackground);
  auto* back_end_page = new QWidget;
  back_end_page->setObjectName(u"登录后台"_s);
  back_end_page->setAttribute(Qt::WA_TranslucentBackground);
  tabs_->addTab(settings_page, u"初始设置"_s);
  tabs_->addTab(back_end_page, u"登录后台"_s);

  QFrame* form = AddFrame(settings_page, u"外形框1"_s, {25, 34, 688, 416});
  SetFrameStyle(form, u"form"_s);
  QLabel* heading = AddLabel(form, u"透明标签7"_s, {272, 22, 144, 40}, u"自动采集配置信息"_s, 18);
  heading->setFont(PixelFont(18, true));
  heading->setAlignment(Qt::AlignCenter);
  heading->setStyleSheet(u"color: #1b4f8f;"_s);

  AddLabel(form, u"透明标签1"_s, {80, 70, 82, 16}, u"后台登录地址："_s);
  login_url_box_ = AddEditBox(form, u"外形框2"_s, {168, 66, 440, 24}, u"后台登录地址"_s,
                              {2, 2, 434, 20}, {});
  AddLabel(form, u"透明标签2"_s, {80, 112, 82, 16}, u"采集项目地址："_s);
  collect_url_box_ = AddEditBox(form, u"外形框3"_s, {168, 108, 440, 24}, u"频道采集地址"_s,
                                {2, 2, 434, 20}, {});
  AddLabel(form, u"透明标签3"_s, {80, 152, 82, 16}, u"Html生成地址："_s);
  channel_html_url_box_ = AddEditBox(form, u"外形框4"_s, {168, 148, 440, 24},
                                     u"频道生成地址"_s, {2, 2, 434, 20}, {});
  AddLabel(form, u"透明标签4"_s, {80, 192, 82, 16}, u"首页生成地址："_s);
  home_html_url_box_ = AddEditBox(form, u"外形框5"_s, {168, 188, 440, 24}, u"生成首页地址"_s,
                                  {2, 2, 434, 20}, {});
  AddLabel(form, u"透明标签11"_s, {80, 232, 82, 16}, u"每次采集时间："_s);
  round_minutes_box_ = AddEditBox(form, u"外形框6"_s, {168, 228, 26, 24}, u"每次采集时间"_s,
                                  {4, 2, 16, 20}, u"1"_s);
  AddLabel(form, u"透明标签8"_s, {200, 232, 32, 16}, u"分钟"_s);
  AddLabel(form, u"透明标签10"_s, {240, 232, 400, 16},
           u"Quorvin无法检测采集页是否有更新，所以需要来控制每轮采集更新所用时间。"_s, 11)
      ->setStyleSheet(u"color: #4a6785;"_s);
  AddLabel(form, u"透明标签12"_s, {80, 272, 82, 16}, u"采集间隔时间："_s);
  interval_minutes_box_ = AddEditBox(form, u"外形框7"_s, {168, 268, 26, 24},
                                     u"采集间隔时间"_s, {4, 2, 16, 20}, u"10"_s);
  AddLabel(form, u"透明标签9"_s, {200, 272, 32, 16}, u"分钟"_s);
  AddLabel(form, u"透明标签13"_s, {240, 272, 224, 16}, u"采集完成后再次执行采集的间隔时间。"_s,
           11)
      ->setStyleSheet(u"color: #4a6785;"_s);
  AddLabel(form, u"透明标签5"_s, {80, 310, 40, 20}, u"注意："_s)
      ->setStyleSheet(u"color: #d0021b; font-weight: bold;"_s);
  AddLabel(form, u"透明标签6"_s, {122, 310, 286, 20}, u"请正确填写地址信息，否则会导致自动采集出错。"_s)
      ->setStyleSheet(u"color: #d0021b;"_s);
  connect(AddCaptionButton(form, u"保存配置"_s, {312, 350, 87, 34}), &QAbstractButton::clicked,
          this, &MainWindow::SaveSettings);

  browser_box_ = new platform::qt::HtmlViewer(options_.browser_storage, back_end_page);
  Place(browser_box_, u"超文本浏览框"_s, 10, 16, 712, 408);
  AddCaptionButton(back_end_page, u"开始挂机"_s, {10, 436, 89, 37});
  AddCaptionButton(back_end_page, u"停止挂机"_s, {110, 436, 89, 37});
  AddCaptionButton(back_end_page, u"修改配置"_s, {210, 436, 89, 37});
  countdown_panel_ = AddFrame(back_end_page, u"外形框8"_s, {313, 438, 408, 32});
  SetFrameStyle(countdown_panel_, u"panel"_s);
  countdown_label_ = AddLabel(countdown_panel_, u"倒计时标签"_s, {8, 8, 392, 16}, {});
  countdown_label_->setStyleSheet(u"color: #8a5a00;"_s);
  countdown_panel_->hide();
}

void MainWindow::OnWindowCreated() {
  ApplyWindowShape();
  settings_ = cycle::LoadSettings(options_.settings_path);
  FillEditBoxes();
  if (settings_.AnyEmpty()) {
    tabs_->setCurrentIndex(kSettingsPage);
    platform::SetTimerPeriod(*prompt_timer_, 100);
  } else {
    tabs_->setCurrentIndex(kBackEndPage);
    browser_box_->SetUrl(settings_.login_url);
  }
  // Blocks start-up for at most the client's time-out; timers due meanwhile
  // (the prompt among them) fire after it.
  if (options_.http != nullptr && !options_.notice_url.empty()) {
    notice_ = FetchNotice(*options_.http, options_.notice_url);
  }
}

void MainWindow::ApplyWindowShape() { setMask(RegionFromMask(WindowMaskImage())); }

void MainWindow::FillEditBoxes() {
  login_url_box_->setText(ToQString(settings_.login_url));
  collect_url_box_->setText(ToQString(settings_.collect_url));
  channel_html_url_box_->setText(ToQString(settings_.channel_html_url));
  home_html_url_box_->setText(ToQString(settings_.home_html_url));
  round_minutes_box_->setText(ToQString(settings_.round_minutes));
  interval_minutes_box_->setText(ToQString(settings_.interval_minutes));
}

void MainWindow::PromptIncompleteSettings() {
  platform::SetTimerPeriod(*prompt_timer_, 0);
  loop_.ShowMessageBox("请将采集配置填写完整!", std::nullopt, platform::MessageBoxButtons::kOk);
}

void MainWindow::Minimise() {
  if (isVisible()) showMinimized();
}

void MainWindow::Close() {
  // A zero timer, not a posted call: timers are held back while a page access
  // waits, so the close never lands in the middle of one.
  QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::SaveSettings() {
  cycle::Settings typed;
  typed.login_url = FromQString(login_url_box_->text());
  typed.collect_url = FromQString(collect_url_box_->text());
  typed.channel_html_url = FromQString(channel_html_url_box_->text());
  typed.home_html_url = FromQString(home_html_url_box_->text());
  typed.round_minutes = FromQString(round_minutes_box_->text());
  typed.interval_minutes = FromQString(interval_minutes_box_->text());

  const cycle::SaveOutcome outcome = cycle::WriteSettingsFile(options_.settings_path, typed);
  if (outcome.saved) {
    loop_.ShowMessageBox("配置保存成功！", std::nullopt, platform::MessageBoxButtons::kOk);
  } else {
    const QString message = u"配置未能保存：%1。\r\nconfig.ini 保持原样，没有任何改动。"_s.arg(
        DescribeSaveFailure(outcome.error));
    loop_.ShowMessageBox(FromQString(message), std::nullopt, platform::MessageBoxButtons::kOk);
  }
  // What counts from here on is what the file holds, not what the boxes held.
  settings_ = cycle::LoadSettings(options_.settings_path);
  if (!settings_.login_url.empty()) browser_box_->SetUrl(settings_.login_url);
  tabs_->setCurrentIndex(kBackEndPage);
}

void MainWindow::ShowCountdownPanel(bool visible) { countdown_panel_->setVisible(visible); }

void MainWindow::SetCountdownText(const platform::Text& text) {
  countdown_label_->setText(ToQString(text));
}

void MainWindow::SelectPage(Page page) { tabs_->setCurrentIndex(page); }

void MainWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, background_);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  // Only the window's own background drags, as a title bar would.
  if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr) {
    dragging_ = true;
    drag_offset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - drag_offset_);
    event->accept();
    return;
  }
  QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  loop_.RequestQuit();
  event->accept();
}

}  // namespace app
