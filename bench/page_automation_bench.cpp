// What a press costs through the late-bound bridge, against the floor of the
// same search done by one script call inside the page.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <QApplication>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "pageauto/option_groups.h"
#include "pageauto/page_automation.h"
#include "platform/qt/chromium_setup.h"
#include "platform/qt/html_viewer.h"
#include "platform/qt/qt_window_tree.h"
#include "tests/browser/qt_test_helpers.h"
#include "tests/support/loopback_http_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using browser_tests::WaitFor;
using platform::qt::HtmlViewer;

// N inputs: mostly text boxes, a button every tenth, the target button last.
QString InputsPage(int inputs) {
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

// N select lists, the one named "target" last.
QString SelectsPage(int selects) {
  QString html = QStringLiteral("<!DOCTYPE html><meta charset='utf-8'><body>");
  for (int i = 0; i < selects - 1; ++i) {
    html += QStringLiteral("<select name='list%1'><option>a</option></select>").arg(i);
  }
  return html + QStringLiteral("<select name='Target'><option>t</option></select></body>");
}

// N empty frames of the page's own origin, the one named "target" last.
QString FramesPage(int frames) {
  QString html = QStringLiteral("<!DOCTYPE html><meta charset='utf-8'><body>");
  for (int i = 0; i < frames - 1; ++i) {
    html += QStringLiteral("<iframe name='frame%1' width='2' height='2'></iframe>").arg(i);
  }
  return html + QStringLiteral("<iframe name='Target' width='2' height='2'></iframe></body>");
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

constexpr int kWarmUpRuns = 5;

class Bench {
 public:
  Bench() {
    viewer_.resize(800, 600);
    viewer_.show();
  }

  // Served over HTTP as the back end's pages are: a page given inline (a data
  // address) makes every script call into it cost time in proportion to its
  // source, which no real page pays.
  bool Load(const QString& html) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      html_ = html.toStdString();
    }
    bool loaded = false;
    QWebEnginePage* page = viewer_.View()->page();
    auto connection =
        QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool) { loaded = true; });
    viewer_.View()->load(QUrl(QString::fromStdString(server_.Url("/page" + std::to_string(++loads_)))));
    const bool ok = WaitFor([&] { return loaded; }, 120000);
    QObject::disconnect(connection);
    return ok && automation_.AttachDocument(std::nullopt, viewer_.Handle());
  }

  // Median milliseconds of `operation` through the bridge, which must succeed.
  // The first runs are not counted, here or in the floor: the first touch of
  // a page's frames sets up their script worlds, and the script engine
  // compiles a function fully only once it has run a few times. Both sides
  // are measured warm; the bench prints what the first, cold press costs.
  double Median(int repeats, const std::function<bool(pageauto::PageAutomation&)>& operation) {
    std::vector<double> times;
    for (int i = -kWarmUpRuns; i < repeats; ++i) {
      const auto start = Clock::now();
      const bool found = operation(automation_);
      const double ms = Milliseconds(Clock::now() - start);
      if (i == -kWarmUpRuns) first_run_ms_ = ms;
      if (i >= 0) times.push_back(ms);
      if (!found) {
        std::fprintf(stderr, "the target was not found\n");
        std::exit(1);
      }
    }
    return ::Median(times);
  }

  // Median milliseconds of one script call in the page, answer included: the floor.
  double InPageMedian(int repeats, const QString& script) {
    std::vector<double> times;
    for (int i = -kWarmUpRuns; i < repeats; ++i) {
      bool answered = false;
      const auto start = Clock::now();
      viewer_.View()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                            [&](const QVariant&) { answered = true; });
      WaitFor([&] { return answered; }, 10000);
      if (i >= 0) times.push_back(Milliseconds(Clock::now() - start));
    }
    return ::Median(times);
  }

  // The first run of the last Median: cold, on a page just loaded.
  double FirstRunMs() const { return first_run_ms_; }
  pageauto::PageAutomation& Automation() { return automation_; }

 private:
  std::string Serve() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(html_.size()) + "\r\nCache-Control: no-store\r\n\r\n" + html_;
  }

  std::mutex mutex_;
  std::string html_;
  int loads_ = 0;
  double first_run_ms_ = 0;
  test_support::LoopbackHttpServer server_{[this](const auto&) { return Serve(); }};
  HtmlViewer viewer_{HtmlViewer::Storage::kOffTheRecord};
  platform::qt::QtWindowTree windows_;
  pageauto::PageAutomation automation_{windows_};
};

// Enough runs for a steady median on a machine whose calls vary twofold;
// BENCH_REPEATS sets more, for a profiler to see a walk long enough.
int Repeats(int n) {
  if (const char* given = std::getenv("BENCH_REPEATS")) {
    if (const int repeats = std::atoi(given); repeats > 0) return repeats;
  }
  return n >= 10000 ? 7 : n >= 1000 ? 21 : 41;
}

void Fail(const char* what, int n) {
  std::fprintf(stderr, "%s page of %d did not load\n", what, n);
  std::exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  platform::qt::PrepareChromium();
  QApplication application(argc, argv);
  Bench bench;
  const std::vector<int> sizes = BenchSizes();

  for (int n : sizes) {
    if (!bench.Load(InputsPage(n))) Fail("inputs", n);
    if (n == sizes.front()) {
      std::vector<double> reads;
      for (int i = 0; i < 300; ++i) {
        const auto start = Clock::now();
        bench.Automation().AttachedDocument().GetText("title");
        reads.push_back(Milliseconds(Clock::now() - start) * 1000);
      }
      std::printf("latebound_roundtrip_us=%.0f us\n", Median(reads));
    }
    std::printf("click_button_by_caption_ms_%d=%.2f ms\n", n,
                bench.Median(Repeats(n), [](pageauto::PageAutomation& a) {
                  return a.ClickButton("开始采集", pageauto::PageAutomation::kByText);
                }));
    std::printf("click_button_by_caption_first_ms_%d=%.2f ms\n", n, bench.FirstRunMs());
    std::printf("inpage_walk_ms_%d=%.2f ms\n", n,
                bench.InPageMedian(Repeats(n), QStringLiteral(
                    "(function () { var all = document.getElementsByTagName('input');"
                    " for (var i = 0; i < all.length; i++) { var t = all[i].type.toLowerCase();"
                    "  if ((t == 'submit' || t == 'button' || t == 'reset' || t == 'image') &&"
                    "      all[i].value.toLowerCase().indexOf('开始采集') >= 0) {"
                    "   all[i].click(); return true; } }"
                    " return false; })()")));
  }

  for (int n : sizes) {
    if (n > 1000) continue;
    if (!bench.Load(SelectsPage(n))) Fail("selects", n);
    std::printf("get_select_list_by_name_ms_%d=%.2f ms\n", n,
                bench.Median(Repeats(n), [](pageauto::PageAutomation& a) {
                  return a.GetSelectList("target", 0).GetOptionCount() == 1;
                }));
    std::printf("inpage_select_walk_ms_%d=%.2f ms\n", n,
                bench.InPageMedian(Repeats(n), QStringLiteral(
                    "(function () { var all = document.body.getElementsByTagName('select');"
                    " for (var i = 0; i < all.length; i++)"
                    "  if (all[i].name.toLowerCase() == 'target') return all[i].options.length;"
                    " return 0; })()")));

    if (!bench.Load(FramesPage(n))) Fail("frames", n);
    std::printf("get_frame_by_name_ms_%d=%.2f ms\n", n,
                bench.Median(Repeats(n), [](pageauto::PageAutomation& a) {
                  return !a.GetFrame("target", 0).IsEmpty();
                }));
    std::printf("inpage_frame_walk_ms_%d=%.2f ms\n", n,
                bench.InPageMedian(Repeats(n), QStringLiteral(
                    "(function () { for (var i = 0; i < frames.length; i++)"
                    "  if (frames[i].name.toLowerCase() == 'target') return i;"
                    " return -1; })()")));
  }
  return 0;
}
