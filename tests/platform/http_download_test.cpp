#include "platform/http_download.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/loopback_http.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

using Clock = std::chrono::steady_clock;

// Polls like the frame loop does, for at most 20 s.
THttpResult Wait(THttpDownload& download) {
  const auto end = Clock::now() + std::chrono::seconds(20);
  while (!download.Finished() && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(download.Finished()) << download.Address();
  return download.Take();
}

TEST(HttpDownloadTest, AnswersRedirectsAndFailures) {
  TLoopbackHttpServer server;
  server.Answer("/doc", {200, "abc\ndef", "", false, 0});
  server.Answer("/missing", {404, "not here", "", false, 0});
  server.Answer("/big", {200, std::string(5000, 'x'), "", false, 0});
  server.Answer("/to-ftp", {302, "", "Location: ftp://127.0.0.1/x\r\n", false, 0});
  // /r0 answers; /rN redirects to /r(N-1).
  server.Answer("/r0", {200, "end of the chain", "", false, 0});
  for (int i = 1; i <= 6; ++i) {
    server.Answer("/r" + std::to_string(i), {302, "", "Location: /r" + std::to_string(i - 1) + "\r\n", false, 0});
  }
  struct DownloadCase {
    std::string address;
    bool ok;
    const char* body;
    size_t body_size;  // when body is null
  };
  const std::string refused = "http://127.0.0.1:" + std::to_string(RefusedLoopbackPort()) + "/";
  const DownloadCase cases[] = {
      {server.Url("/doc"), true, "abc\ndef", 0},
      {server.Url("/r5"), true, "end of the chain", 0},
      {server.Url("/r6"), false, "", 0},  // more than 5 redirects
      {server.Url("/to-ftp"), false, "", 0},
      {server.Url("/missing"), false, "", 0},
      {server.Url("/big"), false, nullptr, 1000},  // cut at the cap, keeping what arrived
      {refused, false, "", 0},
      {"ftp://127.0.0.1/x", false, "", 0},
      {"file:///etc/hostname", false, "", 0},
      {"", false, "", 0},
  };
  for (const DownloadCase& c : cases) {
    THttpLimits limits;
    limits.max_body = 1000;
    THttpDownload download(c.address, limits);
    const THttpResult result = Wait(download);
    EXPECT_EQ(result.ok, c.ok) << c.address << ": " << result.reason;
    EXPECT_EQ(result.reason.empty(), c.ok) << c.address;
    if (c.body) {
      EXPECT_EQ(result.body, c.body) << c.address;
    } else {
      EXPECT_EQ(result.body.size(), c.body_size) << c.address;
    }
  }
  EXPECT_EQ(server.Requests("/r0"), 1);  // the chain of six stopped before its end
}

TEST(HttpDownloadTest, OtherSchemesFailAtOnceWithoutAThread) {
  for (const char* address : {"ftp://x/", "file:///etc/passwd", "gopher://x", "", "HTTP:/x"}) {
    THttpDownload download(address);
    EXPECT_TRUE(download.Finished()) << address;
    EXPECT_FALSE(download.Take().ok) << address;
  }
  EXPECT_TRUE(IsFetchableAddress("HTTPS://example.org/"));
}

TEST(HttpDownloadTest, DestroyingDuringAStalledTransferReturnsPromptly) {
  TLoopbackHttpServer server;
  server.Answer("/stall", {200, std::string(100, 'a'), "", true, 10});
  auto download = std::make_unique<THttpDownload>(server.Url("/stall"));
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (server.Requests("/stall") == 0 && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(download->Finished());
  const auto start = Clock::now();
  download.reset();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST(HttpDownloadTest, TheWholeTransferHasATimeLimit) {
  TLoopbackHttpServer server;
  server.Answer("/stall", {200, std::string(100, 'a'), "", true, 10});
  THttpLimits limits;
  limits.total_timeout = std::chrono::milliseconds(300);
  THttpDownload download(server.Url("/stall"), limits);
  const THttpResult result = Wait(download);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.body, std::string(10, 'a'));
}

// An https server of openssl's own with a certificate made for the test.
class TlsServer {
 public:
  explicit TlsServer(const std::string& folder) {
    cert_ = folder + "/cert.pem";
    const std::string key = folder + "/key.pem";
    if (RunCommand("openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1"
                   " -days 1 -keyout " +
                   key + " -out " + cert_ + " >/dev/null 2>&1") != 0) {
      return;
    }
    port_ = RefusedLoopbackPort();
    pid_file_ = folder + "/server.pid";
    RunCommand("(openssl s_server -quiet -accept 127.0.0.1:" + std::to_string(port_) + " -cert " + cert_ + " -key " +
               key + " -www >/dev/null 2>&1 & echo $! > " + pid_file_ + ")");
    // Ready once it accepts connections.
    for (int i = 0; i < 100 && !Ready(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ~TlsServer() {
    if (!pid_file_.empty()) RunCommand("kill $(cat " + pid_file_ + ") 2>/dev/null");
  }
  bool Ready() const {
    if (port_ == 0) return false;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
  }
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }
  const std::string& Cert() const { return cert_; }

 private:
  std::string cert_;
  std::string pid_file_;
  int port_ = 0;
};

TEST(HttpDownloadTest, HttpsPeersMustBeTrusted) {
  if (std::system("command -v openssl >/dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl";
  TlsServer server(MakeTempDir("tls"));
  if (!server.Ready()) GTEST_SKIP() << "openssl s_server did not start";
  THttpDownload untrusted(server.Url());
  const THttpResult refused = Wait(untrusted);
  EXPECT_FALSE(refused.ok);
  EXPECT_TRUE(refused.body.empty());
  THttpLimits limits;
  limits.ca_file = server.Cert();
  THttpDownload trusted(server.Url(), limits);
  const THttpResult result = Wait(trusted);
  EXPECT_TRUE(result.ok) << result.reason;
  EXPECT_NE(result.body.find("<HTML>"), std::string::npos) << result.body.substr(0, 200);
}

}  // namespace
}  // namespace orvo::test
