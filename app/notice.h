// The maker's notice: a page to show at start-up and the newest version, with
// the offer to download it when it differs from ours.
#pragma once

#include <string>

#include "platform/event_loop.h"
#include "platform/http_client.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace app {

using platform::Text;

inline constexpr const char* kOwnVersion = "2.0";
inline constexpr const char* kNoticePath = "/zhushou/quorvingg/free.txt";

struct NoticeInfo {
  Text notice_page_url;
  Text download_url;
  Text latest_version;
};

// The notice address on `host`.
std::string NoticeUrl(const std::string& host);

// The body up to its first zero byte, split at "|"; exactly four fields fill
// the notice, any other number leaves it empty.
NoticeInfo ParseNotice(const Text& body);
NoticeInfo FetchNotice(platform::HttpClient& http, const std::string& url);

// The notice arrives unauthenticated over plain HTTP, and the desktop's "open"
// would run a program or open a local file named in it: only web addresses
// without control characters are ever opened.
bool IsWebAddress(const Text& text);

// The first firing of the notice timer: stops it, opens the notice page, waits
// three seconds and offers the download of a different version.
void OfferNoticeAndUpdate(const NoticeInfo& notice, platform::Timer& notice_timer,
                          platform::EventLoop& loop, platform::Shell& shell);

}  // namespace app
