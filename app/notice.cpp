#include "app/notice.h"

namespace app {
namespace {

constexpr int32_t kPageToOfferDelayMs = 3000;

void OpenWebAddress(platform::Shell& shell, const Text& address) {
  if (IsWebAddress(address)) shell.ShellOpen(address);
}

bool StartsWithFolded(const Text& text, const Text& prefix) {
  return text.size() >= prefix.size() && platform::FoldLower(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

std::string NoticeUrl(const std::string& host) { return "http://" + host + kNoticePath; }

NoticeInfo ParseNotice(const Text& body) {
  const Text text = body.substr(0, body.find('\0'));
  const std::vector<Text> fields = platform::SplitFields(text, '|');
  if (fields.size() != 4) return {};
  return {fields[1], fields[2], fields[3]};
}

NoticeInfo FetchNotice(platform::HttpClient& http, const std::string& url) {
  return ParseNotice(http.Get(url));
}

bool IsWebAddress(const Text& text) {
  if (!StartsWithFolded(text, "http://") && !StartsWithFolded(text, "https://")) return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
  }
  return true;
}

void OfferNoticeAndUpdate(const NoticeInfo& notice, platform::Timer& notice_timer,
                          platform::EventLoop& loop, platform::Shell& shell) {
  platform::SetTimerPeriod(notice_timer, 0);
  if (!notice.notice_page_url.empty()) OpenWebAddress(shell, notice.notice_page_url);
  loop.PumpingDelay(kPageToOfferDelayMs);
  if (loop.QuitRequested()) return;
  if (notice.latest_version.empty() || notice.latest_version == kOwnVersion) return;
  const platform::MessageBoxAnswer answer =
      loop.ShowMessageBox("发现新版本，是否下载更新？", Text("更新提示："),
                          platform::MessageBoxButtons::kYesNo);
  if (answer == platform::MessageBoxAnswer::kYes) OpenWebAddress(shell, notice.download_url);
}

}  // namespace app
