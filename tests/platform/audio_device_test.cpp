// The SDL sound device on SDL's dummy driver: it pulls sound from its own
// thread once started and never after Stop.
#include "platform/audio_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace orvo {
namespace {

TEST(AudioDevice, PullsFromItsThreadUntilStopped) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::unique_ptr<IAudioDevice> device = OpenSdlAudioDevice();
  if (!device) GTEST_SKIP() << "no SDL audio driver";
  std::atomic<int> pulls{0};
  std::atomic<size_t> largest{0};
  ASSERT_TRUE(device->Start([&](int16_t* out, size_t frames) {
    for (size_t i = 0; i < frames * 2; ++i) out[i] = 0;
    largest = std::max(largest.load(), frames);
    ++pulls;
  }));
  for (int i = 0; i < 100 && pulls == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  device->Stop();
  const int after_stop = pulls;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_GT(after_stop, 0);
  EXPECT_EQ(pulls, after_stop);
  EXPECT_LE(largest.load(), 1024u);
}

}  // namespace
}  // namespace orvo
