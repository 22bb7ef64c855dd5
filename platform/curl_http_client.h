// The HTTP client over libcurl: an HTTP/1.0 GET that any cache must pass by,
// proxies from the environment, bounded in time and in size.
#pragma once

#include <cstddef>

#include "platform/http_client.h"

namespace platform {

class CurlHttpClient : public HttpClient {
 public:
  struct Limits {
    long connect_timeout_ms = 5000;
    long total_timeout_ms = 10000;
    std::size_t max_body_bytes = 64 * 1024;
  };

  CurlHttpClient();
  explicit CurlHttpClient(Limits limits);

  Text Get(const std::string& url) override;

 private:
  Limits limits_;
};

}  // namespace platform
