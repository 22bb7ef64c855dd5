#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace test_support {

LoopbackHttpServer::LoopbackHttpServer(std::string response, bool answer)
    : handler_([response = std::move(response)](const Request&) { return response; }),
      answer_(answer) {
  Start();
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) { Start(); }

LoopbackHttpServer::Handler LoopbackHttpServer::FilesUnder(std::string root) {
  return [root = std::move(root)](const Request& request) {
    const std::size_t start = request.head.find(' ') + 1;
    std::string path = request.head.substr(start, request.head.find(' ', start) - start);
    path = path.substr(0, path.find_first_of("?#"));
    if (path.find("..") != std::string::npos) return Response("403 Forbidden", "");
    std::ifstream file(root + path, std::ios::binary);
    if (!file) return Response("404 Not Found", "");
    const std::string content{std::istreambuf_iterator<char>(file), {}};
    const bool html = path.size() > 5 && path.compare(path.size() - 5, 5, ".html") == 0;
    return "HTTP/1.0 200 OK\r\nContent-Type: " +
           std::string(html ? "text/html; charset=utf-8" : "application/octet-stream") +
           "\r\nContent-Length: " + std::to_string(content.size()) + "\r\n\r\n" + content;
  };
}

void LoopbackHttpServer::Start() {
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
  std::vector<std::string> heads;
  for (const Request& request : requests_) heads.push_back(request.head);
  return heads;
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::FullRequests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::string LoopbackHttpServer::Response(const std::string& status, const std::string& body) {
  return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

void LoopbackHttpServer::Serve() {
  // Every wait polls with a short bound so the destructor is never held up.
  // Connections are served side by side: a browser may open one and send
  // nothing on it for a while.
  std::vector<std::thread> connections;
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, 50) <= 0) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    connections.emplace_back([this, connection] { Answer(connection); });
  }
  for (std::thread& thread : connections) thread.join();
}

void LoopbackHttpServer::Answer(int connection) {
  std::string received;
  char buffer[4096];
  Request request;
  std::size_t wanted = std::string::npos;  // head plus body, once the head is in
  while (!stopping_ && received.size() < wanted) {
    pollfd readable{connection, POLLIN, 0};
    if (poll(&readable, 1, 50) <= 0) continue;
    const ssize_t n = read(connection, buffer, sizeof buffer);
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
    const std::size_t end = received.find("\r\n\r\n");
    if (end != std::string::npos && wanted == std::string::npos) {
      request.head = received.substr(0, end + 2);
      std::size_t length = 0;
      const std::size_t field = request.head.find("\r\nContent-Length: ");
      if (field != std::string::npos) length = std::stoul(request.head.substr(field + 18));
      wanted = end + 4 + length;
    }
  }
  if (received.empty()) {
    close(connection);
    return;
  }
  if (wanted != std::string::npos) {
    request.body = received.substr(std::min(received.size(), request.head.size() + 2));
  } else {
    request.head = received;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  if (answer_) {
    const std::string response = handler_(request);
    std::size_t sent = 0;
    while (!stopping_ && sent < response.size()) {
      const ssize_t n = send(connection, response.data() + sent, response.size() - sent,
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

}  // namespace test_support
