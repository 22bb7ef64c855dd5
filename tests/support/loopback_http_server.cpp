#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test_support {

LoopbackHttpServer::LoopbackHttpServer(std::string response, bool answer)
    : response_(std::move(response)), answer_(answer) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener_, 8);
  socklen_t length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stopping_ = true;
  thread_.join();
  close(listener_);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::string LoopbackHttpServer::Response(const std::string& status, const std::string& body) {
  return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

void LoopbackHttpServer::Serve() {
  // Every wait polls with a short bound so the destructor is never held up.
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, 50) <= 0) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    std::string head;
    char buffer[4096];
    while (!stopping_ && head.find("\r\n\r\n") == std::string::npos) {
      pollfd readable{connection, POLLIN, 0};
      if (poll(&readable, 1, 50) <= 0) continue;
      const ssize_t n = read(connection, buffer, sizeof buffer);
      if (n <= 0) break;
      head.append(buffer, static_cast<std::size_t>(n));
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(head);
    }
    if (answer_) {
      std::size_t sent = 0;
      while (!stopping_ && sent < response_.size()) {
        const ssize_t n = send(connection, response_.data() + sent, response_.size() - sent,
                               MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
      }
    } else {
      while (!stopping_) {
        pollfd idle{connection, POLLIN, 0};
        if (poll(&idle, 1, 50) > 0 && read(connection, buffer, sizeof buffer) <= 0) break;
      }
    }
    close(connection);
  }
}

}  // namespace test_support
