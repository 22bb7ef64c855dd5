#include "platform/curl_http_client.h"

#include <curl/curl.h>

#include <memory>

namespace platform {
namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct Body {
  Text bytes;
  std::size_t limit;
  bool too_large = false;
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* context) {
  auto* body = static_cast<Body*>(context);
  const std::size_t length = size * count;
  if (body->bytes.size() + length > body->limit) {
    // Returning less than was handed over makes libcurl stop reading.
    body->too_large = true;
    return 0;
  }
  body->bytes.append(data, length);
  return length;
}

// libcurl's global set-up, once per program, before any handle is made.
void InitialiseOnce() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

}  // namespace

CurlHttpClient::CurlHttpClient() : CurlHttpClient(Limits{}) {}

CurlHttpClient::CurlHttpClient(Limits limits) : limits_(limits) { InitialiseOnce(); }

Text CurlHttpClient::Get(const std::string& url) {
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) return {};
  curl_slist* raw_headers = nullptr;
  for (const char* header : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"}) {
    raw_headers = curl_slist_append(raw_headers, header);
  }
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(raw_headers,
                                                                      curl_slist_free_all);
  Body body{{}, limits_.max_body_bytes};
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limits_.connect_timeout_ms);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limits_.total_timeout_ms);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  const CURLcode result = curl_easy_perform(handle);
  if (result != CURLE_OK || body.too_large) return {};
  return body.bytes;
}

}  // namespace platform
