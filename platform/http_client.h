// Reads a whole remote file with one GET request.
#pragma once

#include <string>

#include "platform/text.h"

namespace platform {

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // The response body whatever the status; empty when the request fails or
  // the body is larger than the client takes.
  virtual Text Get(const std::string& url) = 0;
};

}  // namespace platform
