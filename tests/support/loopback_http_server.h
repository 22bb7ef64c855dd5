// A one-request-at-a-time HTTP server on 127.0.0.1 in a thread of its own:
// it records each request's head and answers with a canned response, or
// holds the connection without answering.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

class LoopbackHttpServer {
 public:
  struct Request {
    std::string head;  // request line and headers
    std::string body;
  };
  // The whole response to send (status line, headers and body).
  using Handler = std::function<std::string(const Request&)>;

  // `response` is sent as it is (status line, headers and body); when
  // `answer` is false the server reads the request and never replies.
  explicit LoopbackHttpServer(std::string response, bool answer = true);
  explicit LoopbackHttpServer(Handler handler);
  // Files under `root` by path, with their type told by the extension;
  // anything else is 404.
  static Handler FilesUnder(std::string root);
  ~LoopbackHttpServer();

  int Port() const { return port_; }
  std::string Url(const std::string& path) const;
  // The heads of the requests received so far.
  std::vector<std::string> Requests() const;
  std::vector<Request> FullRequests() const;

  static std::string Response(const std::string& status, const std::string& body);

 private:
  void Start();
  void Serve();
  void Answer(int connection);

  Handler handler_;
  bool answer_ = true;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<Request> requests_;
  std::thread thread_;
};

}  // namespace test_support
