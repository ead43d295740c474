#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the tests of the fetch object:
// fixed answers per path, answers that stall until released, and a count
// of the requests each path received.
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvo::test {

struct TLoopbackAnswer {
  int status = 200;
  std::string body;
  // Extra header lines, each ending in "\r\n" (a Location for redirects).
  std::string headers;
  // Sends the headers and the first stall_after bytes of the body, then
  // waits until Release or the server's end before sending the rest.
  bool stall = false;
  size_t stall_after = 0;
};

class TLoopbackHttpServer {
 public:
  TLoopbackHttpServer();
  ~TLoopbackHttpServer();
  TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
  TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

  void Answer(const std::string& path, TLoopbackAnswer answer);
  // "http://127.0.0.1:PORT" + path.
  std::string Url(const std::string& path) const;
  int Port() const { return port_; }
  int Requests(const std::string& path) const;
  // Lets stalled answers finish.
  void Release();

 private:
  void Accept();
  void Serve(int socket);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex lock_;
  std::condition_variable released_;
  bool release_ = false;
  std::map<std::string, TLoopbackAnswer> answers_;
  std::map<std::string, int> requests_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};

// A port on 127.0.0.1 that nothing listens on (connections are refused).
int RefusedLoopbackPort();

}  // namespace orvo::test
