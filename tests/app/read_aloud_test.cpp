// Read-aloud against a recording speech service: what is said, and when it is cut short.
#include "app/read_aloud.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace orvo {
namespace {

using TRequests = std::vector<std::string>;

TEST(ReadAloud, SpeaksEachPageAndCancelsTheOldOneOnAPageChange) {
  struct TStep {
    enum { Page, On, Off } what;
    std::string text;  // UTF-8, converted to the game's CP932
  };
  struct TCase {
    const char* name;
    std::vector<TStep> steps;
    TRequests expected;
  } cases[] = {
      {"pages in order",
       {{TStep::On, ""}, {TStep::Page, "あいう\r\nえお\r\n"}, {TStep::Page, "かき"}},
       {"say:あいう\nえお", "cancel", "say:かき"}},
      {"off: nothing is said, switching off stops the speech",
       {{TStep::Page, "a"}, {TStep::On, ""}, {TStep::Page, "b"}, {TStep::Off, ""}, {TStep::Page, "c"}},
       {"say:b", "cancel"}},
      {"an empty page silences the last one and the next has nothing to cancel",
       {{TStep::On, ""}, {TStep::Page, "a"}, {TStep::Page, "\r\n"}, {TStep::Page, "b"}},
       {"say:a", "cancel", "say:b"}},
  };
  for (const TCase& c : cases) {
    TRecordingSpeech* speech = nullptr;
    int connections = 0;
    TReadAloud read_aloud([&](std::string&) {
      ++connections;
      auto made = std::make_unique<TRecordingSpeech>();
      speech = made.get();
      return made;
    });
    for (const TStep& step : c.steps) {
      if (step.what == TStep::Page) read_aloud.PageStarted(test::Sjis(step.text));
      if (step.what == TStep::On) read_aloud.SetEnabled(true);
      if (step.what == TStep::Off) read_aloud.SetEnabled(false);
    }
    ASSERT_NE(speech, nullptr) << c.name;
    EXPECT_EQ(speech->requests, c.expected) << c.name;
    EXPECT_EQ(connections, 1) << c.name;
  }
}

TEST(ReadAloud, AMissingServiceSaysSoOnceAndStaysOff) {
  int attempts = 0;
  TReadAloud read_aloud([&](std::string& problem) -> std::unique_ptr<ISpeech> {
    ++attempts;
    problem = "no daemon";
    return nullptr;
  });
  testing::internal::CaptureStderr();
  read_aloud.SetEnabled(true);
  read_aloud.PageStarted("a");
  read_aloud.SetEnabled(true);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "orvoplayer: read-aloud is off: no daemon\n");
  EXPECT_FALSE(read_aloud.Enabled());
  EXPECT_EQ(attempts, 1);
}

}  // namespace
}  // namespace orvo
