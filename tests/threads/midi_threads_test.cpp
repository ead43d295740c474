// The sequencer's timer thread against the main thread's start, stop, close
// and queries. Built with ThreadSanitizer as a program of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "media/midi_player.h"
#include "media/midi_timer.h"

namespace orvo {
namespace {

uint32_t SteadyMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

class TRecorderDevices : public IMidiDevices {
 public:
  explicit TRecorderDevices(TMidiRecorder& recorder) : recorder_(recorder) {}
  std::vector<std::string> Names() const override { return {"recorder"}; }
  std::unique_ptr<IMidiOut> Open(int32_t) override { return recorder_.OpenOutput(); }

 private:
  TMidiRecorder& recorder_;
};

// A song of dense notes on every channel: something to send on every tick.
std::vector<uint8_t> DenseSong() {
  std::vector<uint8_t> b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 48, 'M', 'T', 'r', 'k', 0, 0, 0, 0};
  for (int i = 0; i < 400; ++i) {
    const uint8_t channel = static_cast<uint8_t>(i % 16);
    for (uint8_t byte : {uint8_t{1}, static_cast<uint8_t>(0x90 | channel), uint8_t{60}, uint8_t{90}, uint8_t{0},
                         static_cast<uint8_t>(0xB0 | channel), uint8_t{7}, static_cast<uint8_t>(i % 128)}) {
      b.push_back(byte);
    }
  }
  const uint32_t length = static_cast<uint32_t>(b.size() - 22);
  for (int i = 0; i < 4; ++i) b[18 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (24 - 8 * i));
  return b;
}

TEST(MidiThreads, NoTickStartsWhileHeld) {
  std::atomic<bool> held{false};
  std::atomic<int> ticks{0}, ticks_while_held{0};
  TMMTimer timer(
      TTimerDrive::Thread,
      [&] {
        if (held.load()) ticks_while_held.fetch_add(1);
        ticks.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
      },
      1);
  timer.EnableTimer(true);
  for (int round = 0; round < 40; ++round) {
    timer.HoldTick();
    held.store(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    held.store(false);
    timer.ReleaseTick();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  timer.EnableTimer(false);
  EXPECT_GT(ticks.load(), 0);
  EXPECT_EQ(ticks_while_held.load(), 0);
}

TEST(MidiThreads, StartStopAndCloseWhileTicking) {
  TMidiRecorder recorder(SteadyMs);
  TRecorderDevices devices(recorder);
  const std::vector<uint8_t> song = DenseSong();
  TMidiPlayV sequencer(devices, TTimerDrive::Thread,
                       {SteadyMs, [](int32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }});
  std::atomic<bool> done{false};
  // Another reader of the queries, as the main thread and a save would be.
  std::thread reader([&] {
    while (!done.load()) {
      (void)sequencer.SongPosition();
      (void)sequencer.SongEnded();
      (void)sequencer.SongPlaying();
      (void)recorder.Records().size();
      std::this_thread::yield();
    }
  });
  for (int round = 0; round < 30; ++round) {
    sequencer.LoadSong(song.data(), song.size());
    sequencer.SetRepeat(round % 2 == 0);
    ASSERT_TRUE(sequencer.OpenOutput(-1));
    sequencer.SendGmReset();
    sequencer.PlayFrom(round * 37 % 300);
    sequencer.SetControllerPercent(7, round * 3 % 101);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (round % 3 == 0) sequencer.PlayFrom(5);
    sequencer.StopSong();
    if (round % 2) sequencer.CloseOutput();
  }
  done.store(true);
  reader.join();
  EXPECT_FALSE(recorder.Records().empty());
}

}  // namespace
}  // namespace orvo
