// What a press costs through the late-bound bridge, against the floor of the
// same search done by one script call inside the page.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QDeadlineTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "pageauto/page_automation.h"
#include "platform/qt/chromium_setup.h"
#include "platform/qt/html_viewer.h"
#include "platform/qt/qt_window_tree.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::qt::HtmlViewer;

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  const QDeadlineTimer deadline(timeout_ms);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return done();
}

// N inputs: mostly text boxes, a button every tenth, the target button last.
QString GeneratedPage(int inputs) {
  QString html = QStringLiteral(
      "<!DOCTYPE html><meta charset='utf-8'><title>0</title><body>"
      "<script>var presses = 0;</script>");
  for (int i = 0; i < inputs - 1; ++i) {
    html += i % 10 == 9 ? QStringLiteral("<input type='button' value='其他%1'>").arg(i)
                        : QStringLiteral("<input type='text' value='t%1'>").arg(i);
  }
  html += QStringLiteral(
      "<input type='button' value='开始采集' onclick='document.title = ++presses'></body>");
  return html;
}

// BENCH_SIZES="10 100" narrows the run while tuning.
std::vector<int> BenchSizes() {
  std::vector<int> sizes;
  if (const char* given = std::getenv("BENCH_SIZES")) {
    for (const QString& size : QString::fromLatin1(given).split(u' ', Qt::SkipEmptyParts)) {
      sizes.push_back(size.toInt());
    }
  }
  if (sizes.empty()) sizes = {10, 100, 1000, 10000};
  return sizes;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char* argv[]) {
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  platform::qt::PrepareChromium();
  QApplication application(argc, argv);
  HtmlViewer viewer(HtmlViewer::Storage::kOffTheRecord);
  viewer.resize(800, 600);
  viewer.show();
  platform::qt::QtWindowTree windows;
  QWebEnginePage* page = viewer.View()->page();

  bool first = true;
  for (int inputs : BenchSizes()) {
    bool loaded = false;
    auto connection =
        QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool) { loaded = true; });
    viewer.View()->setHtml(GeneratedPage(inputs));
    if (!WaitFor([&] { return loaded; }, 60000)) {
      std::fprintf(stderr, "page of %d inputs did not load\n", inputs);
      return 1;
    }
    QObject::disconnect(connection);

    pageauto::PageAutomation automation(windows);
    if (!automation.AttachDocument(std::nullopt, viewer.Handle())) {
      std::fprintf(stderr, "could not attach\n");
      return 1;
    }

    if (first) {
      std::vector<double> reads;
      for (int i = 0; i < 300; ++i) {
        const auto start = Clock::now();
        automation.AttachedDocument().GetText("title");
        reads.push_back(Milliseconds(Clock::now() - start) * 1000);
      }
      std::printf("latebound_roundtrip_us=%.0f us\n", Median(reads));
      first = false;
    }

    const int repeats = inputs >= 10000 ? 3 : inputs >= 1000 ? 5 : 15;
    std::vector<double> clicks;
    for (int i = 0; i < repeats; ++i) {
      const auto start = Clock::now();
      const bool pressed = automation.ClickButton("开始采集", pageauto::PageAutomation::kByText);
      clicks.push_back(Milliseconds(Clock::now() - start));
      if (!pressed) {
        std::fprintf(stderr, "the target was not pressed\n");
        return 1;
      }
    }
    std::printf("click_button_by_caption_ms_%d=%.2f ms\n", inputs, Median(clicks));

    // The floor: the same search and press in one script call, answer included.
    const QString walk = QStringLiteral(
        "(function () { var all = document.getElementsByTagName('input');"
        " for (var i = 0; i < all.length; i++) { var t = all[i].type.toLowerCase();"
        "  if ((t == 'submit' || t == 'button' || t == 'reset' || t == 'image') &&"
        "      all[i].value.toLowerCase().indexOf('开始采集') >= 0) { all[i].click(); return true; } }"
        " return false; })()");
    std::vector<double> floors;
    for (int i = 0; i < repeats; ++i) {
      bool answered = false;
      const auto start = Clock::now();
      page->runJavaScript(walk, QWebEngineScript::ApplicationWorld,
                          [&](const QVariant&) { answered = true; });
      WaitFor([&] { return answered; }, 10000);
      floors.push_back(Milliseconds(Clock::now() - start));
    }
    std::printf("inpage_walk_ms_%d=%.2f ms\n", inputs, Median(floors));
  }
  return 0;
}
