#include "tests/support/fake_back_end.h"

namespace test_support {

void Timeline::Record(const std::string& what) {
  const int64_t ms = loop_.Now() - origin_ms_;
  std::string stamp = std::to_string(ms / 1000);
  if (ms % 1000 != 0) stamp += "." + std::to_string(ms % 1000);
  lines_.push_back(stamp + " " + what);
}

std::vector<std::string> Timeline::Only(const std::vector<std::string>& prefixes) const {
  std::vector<std::string> kept;
  for (const std::string& line : lines_) {
    const std::string event = line.substr(line.find(' ') + 1);
    for (const std::string& prefix : prefixes) {
      if (event.rfind(prefix, 0) == 0) {
        kept.push_back(line);
        break;
      }
    }
  }
  return kept;
}

FakeBrowserBox::FakeBrowserBox(FakeWindowTree& windows, Timeline& timeline)
    : windows_(windows),
      timeline_(timeline),
      box_(windows.Add("HtmlViewer")),
      document_window_(windows.Add(platform::kBrowserServerClassName, box_)) {}

FakeDom& FakeBrowserBox::AddPage(const Text& address) {
  auto& page = pages_[address];
  page = std::make_shared<FakeDom>();
  page->OnClick([this](const FakeElement& element) { timeline_.Record("press " + element.Id()); });
  return *page;
}

void FakeBrowserBox::SetUrl(const Text& url) {
  // An empty address leaves the page as it is.
  if (url.empty()) return;
  shown_ = url;
  timeline_.Record("load " + url);
  const auto page = pages_.find(url);
  windows_.GiveDocument(document_window_,
                        page == pages_.end() ? ComObject() : page->second->Document());
}

void FakeCycleView::ShowCountdownPanel(bool visible) {
  panel_shown_ = visible;
  timeline_.Record(visible ? "panel shown" : "panel hidden");
}

void FakeCycleView::SetCountdownText(const Text& text) {
  label_ = text;
  timeline_.Record("label " + text);
}

void FakeCycleView::SelectPage(Page page) { timeline_.Record("page " + std::to_string(page)); }

void RecordingTimer::SetPeriod(int32_t period_ms) {
  const int32_t before = timer_->Period();
  timer_->SetPeriod(period_ms);
  if (timer_->Period() != before) timeline_.Record(name_ + " " + std::to_string(timer_->Period()));
}

}  // namespace test_support
