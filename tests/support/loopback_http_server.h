// A one-request-at-a-time HTTP server on 127.0.0.1 in a thread of its own:
// it records each request's head and answers with a canned response, or
// holds the connection without answering.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

class LoopbackHttpServer {
 public:
  // `response` is sent as it is (status line, headers and body); when
  // `answer` is false the server reads the request and never replies.
  explicit LoopbackHttpServer(std::string response, bool answer = true);
  ~LoopbackHttpServer();

  int Port() const { return port_; }
  std::string Url(const std::string& path) const;
  // The heads of the requests received so far.
  std::vector<std::string> Requests() const;

  static std::string Response(const std::string& status, const std::string& body);

 private:
  void Serve();

  std::string response_;
  bool answer_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace test_support
