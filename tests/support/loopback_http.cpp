#include "support/loopback_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace orvo::test {

namespace {

int BindLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

const char* StatusText(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    default:
      return "Status";
  }
}

}  // namespace

TLoopbackHttpServer::TLoopbackHttpServer() {
  listener_ = BindLoopback(port_);
  if (listener_ >= 0 && ::listen(listener_, 16) == 0) acceptor_ = std::thread([this] { Accept(); });
}

TLoopbackHttpServer::~TLoopbackHttpServer() {
  stop_ = true;
  Release();
  if (acceptor_.joinable()) acceptor_.join();
  for (std::thread& connection : connections_) connection.join();
  if (listener_ >= 0) ::close(listener_);
}

void TLoopbackHttpServer::Answer(const std::string& path, TLoopbackAnswer answer) {
  std::lock_guard<std::mutex> guard(lock_);
  answers_[path] = std::move(answer);
}

std::string TLoopbackHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int TLoopbackHttpServer::Requests(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  auto found = requests_.find(path);
  return found == requests_.end() ? 0 : found->second;
}

void TLoopbackHttpServer::Release() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    release_ = true;
  }
  released_.notify_all();
}

void TLoopbackHttpServer::Accept() {
  while (!stop_) {
    pollfd poll_fd{listener_, POLLIN, 0};
    if (::poll(&poll_fd, 1, 20) <= 0) continue;
    const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    // Only the acceptor touches the list until the destructor joins it.
    connections_.emplace_back([this, socket] { Serve(socket); });
  }
}

void TLoopbackHttpServer::Serve(int socket) {
  std::string request;
  char buffer[4096];
  while (!stop_ && request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    pollfd poll_fd{socket, POLLIN, 0};
    if (::poll(&poll_fd, 1, 20) <= 0) continue;
    const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  // "GET /path HTTP/1.1"
  const size_t start = request.find(' ');
  const size_t end = start == std::string::npos ? start : request.find(' ', start + 1);
  const std::string path = end == std::string::npos ? std::string() : request.substr(start + 1, end - start - 1);
  TLoopbackAnswer answer;
  {
    std::lock_guard<std::mutex> guard(lock_);
    ++requests_[path];
    auto found = answers_.find(path);
    if (found != answers_.end()) {
      answer = found->second;
    } else {
      answer.status = 404;
      answer.body = "missing";
    }
  }
  std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + StatusText(answer.status) + "\r\n";
  head += "Content-Length: " + std::to_string(answer.body.size()) + "\r\nConnection: close\r\n";
  head += answer.headers + "\r\n";
  const size_t first = answer.stall ? std::min(answer.stall_after, answer.body.size()) : answer.body.size();
  if (SendAll(socket, head.data(), head.size()) && SendAll(socket, answer.body.data(), first) && answer.stall) {
    std::unique_lock<std::mutex> guard(lock_);
    released_.wait(guard, [this] { return release_ || stop_; });
    guard.unlock();
    SendAll(socket, answer.body.data() + first, answer.body.size() - first);
  }
  ::shutdown(socket, SHUT_WR);
  ::close(socket);
}

int RefusedLoopbackPort() {
  int port = 0;
  const int fd = BindLoopback(port);
  if (fd >= 0) ::close(fd);
  return port;
}

}  // namespace orvo::test
