#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/trace.h"
#include "stage/http.h"
#include "stage_fixture.h"
#include "support/loopback_http.h"
#include "support/test_support.h"

namespace orvo::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

TEST(HttpTextTest, EucJpBecomesCp932LinesJoinedBy01) {
  struct TextCase {
    std::string body;
    std::string text;
  };
  const TextCase cases[] = {
      {"abc\ndef",
       "abc\x01"
       "def"},
      {"a\r\nb\rc\n\nd\n",
       "a\x01"
       "b\x01"
       "c\x01\x01"
       "d"},
      {"", ""},
      {"\n", ""},
      {Bytes({0xA4, 0xA2}), Bytes({0x82, 0xA0})},      // あ
      {Bytes({0xB4, 0xC1}), Bytes({0x8A, 0xBF})},      // 漢 (odd first byte)
      {Bytes({0xF4, 0xA1}), Bytes({0xEA, 0x9F})},      // a first byte beyond row 94
      {Bytes({0x8E, 0xB1, 'x'}), Bytes({0xB1, 'x'})},  // half-width katakana
      {Bytes({'a', 0x00, 'b'}), "a b"},
      {Bytes({0x01, 0x7F, 0x80, 0xFF}), Bytes({0x01, 0x7F, 0x80, 0xFF})},
      // A first byte at the very end is dropped, never read past.
      {Bytes({'a', 0xA4}), "a"},
      {Bytes({'a', 0x8E}), "a"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(HttpBodyText(c.body), c.text) << c.body;
}

class HttpObjectTest : public StageTest {
 protected:
  TOrvoHttp* Fetcher(const std::string& name) {
    auto* object = static_cast<TOrvoHttp*>(stage_.CreateByKind(kcHttp));
    object->SetName(name);
    object->SetProperty(PR_ONPLAYEND, TPropValue::Str("done"));
    return object;
  }
  // Frames until no download runs (at most 20 s); each frame must stay short.
  void FramesUntilDone(const TOrvoHttp& object) {
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (object.Downloading() && Clock::now() < end) {
      const auto start = Clock::now();
      Frame();
      EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(object.Downloading());
  }
  std::string Text(const TOrvoHttp& object) { return object.GetProperty(PR_TEXT).AsStr(); }
};

TEST_F(HttpObjectTest, DownloadsPostTheEndAndReadAsText) {
  // "URL" stands for the server's /doc, "!where" for the address that the
  // object "where" received (the same /doc).
  struct ObjectCase {
    const char* source;
    const char* text;
    int requests;  // of /doc
  };
  const ObjectCase cases[] = {
      {"URL",
       "abc\x01"
       "def",
       1},
      {"!where",
       "abc\x01"
       "def",
       1},
      {"!nobody", "", 0},
      {"REFUSED", "", 0},
      {"ftp://127.0.0.1/doc", "", 0},
  };
  for (const ObjectCase& c : cases) {
    TLoopbackHttpServer server;
    server.Answer("/doc", {200, "abc\ndef", "", false, 0});
    server.Answer("/where", {200, server.Url("/doc"), "", false, 0});
    TOrvoHttp* where = Fetcher("where");
    where->SetProperty(PR_SOURCE, TPropValue::Str(server.Url("/where")));
    FramesUntilDone(*where);
    TakeEvents();
    std::string source = c.source;
    if (source == "URL") source = server.Url("/doc");
    if (source == "REFUSED") source = "http://127.0.0.1:" + std::to_string(RefusedLoopbackPort()) + "/";
    TOrvoHttp* object = Fetcher("f");
    object->SetProperty(PR_SOURCE, TPropValue::Str(source));
    EXPECT_EQ(Text(*object), "");
    FramesUntilDone(*object);
    EXPECT_EQ(Text(*object), c.text) << c.source;
    EXPECT_EQ(TakeEvents(), std::vector<std::string>{"43 f"}) << c.source;
    EXPECT_EQ(server.Requests("/doc"), c.requests) << c.source;
    stage_.ResetStage();
  }
}

TEST_F(HttpObjectTest, AFailedDownloadWritesOneTraceLine) {
  const std::string trace = MakeTempDir("http_trace") + "/trace.txt";
  ASSERT_TRUE(Trace().Open(trace));
  TOrvoHttp* object = Fetcher("f");
  object->SetProperty(PR_SOURCE, TPropValue::Str("gopher://x/y"));
  FramesUntilDone(*object);
  Trace().Close();
  EXPECT_EQ(ReadFile(trace), "http: gopher://x/y: only http and https addresses are fetched\n");
  EXPECT_EQ(TakeEvents(), std::vector<std::string>{"43 f"});
}

TEST_F(HttpObjectTest, ASecondSourceDuringADownloadIsIgnored) {
  TLoopbackHttpServer server;
  server.Answer("/slow", {200, "slow body", "", true, 4});
  server.Answer("/fast", {200, "fast", "", false, 0});
  TOrvoHttp* object = Fetcher("f");
  object->SetProperty(PR_SOURCE, TPropValue::Str(server.Url("/slow")));
  // Frames keep running while the server stalls; the text reads empty meanwhile.
  for (int i = 0; i < 20; ++i) {
    const auto start = Clock::now();
    Frame();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(object->Downloading());
  EXPECT_EQ(Text(*object), "");
  object->SetProperty(PR_SOURCE, TPropValue::Str(server.Url("/fast")));
  EXPECT_EQ(object->GetProperty(PR_SOURCE).AsStr(), server.Url("/slow"));
  server.Release();
  FramesUntilDone(*object);
  EXPECT_EQ(Text(*object), "slow body");
  EXPECT_EQ(server.Requests("/fast"), 0);
  EXPECT_EQ(TakeEvents(), std::vector<std::string>{"43 f"});
}

TEST_F(HttpObjectTest, DeletingDuringAStalledDownloadReturnsPromptlyAndPostsNothing) {
  TLoopbackHttpServer server;
  server.Answer("/stall", {200, "never all", "", true, 2});
  TOrvoHttp* object = Fetcher("f");
  object->SetProperty(PR_SOURCE, TPropValue::Str(server.Url("/stall")));
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (server.Requests("/stall") == 0 && Clock::now() < deadline) Frame();
  const auto start = Clock::now();
  stage_.DeleteObject(*object);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  Frame();
  EXPECT_TRUE(TakeEvents().empty());
}

}  // namespace
}  // namespace orvo::test
