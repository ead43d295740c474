#pragma once
// The MIDI sequencer: one loaded song, sent to one output from the timer
// every 10 ms, from any position, repeating, with controllers scaled by a
// percentage (the music volume is controller 7).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/midi_file.h"
#include "media/midi_timer.h"
#include "platform/midi_out.h"

namespace orvo {

// The outputs a sequencer can open.
class IMidiDevices {
 public:
  virtual ~IMidiDevices() = default;
  // The device names in device order (the mapper is not among them).
  virtual std::vector<std::string> Names() const = 0;
  // Opens device id (-1: the mapper); null when it cannot be opened.
  virtual std::unique_ptr<IMidiOut> Open(int32_t id) = 0;
};

// The sequencer's view of time: a millisecond wall clock and a pause that
// sleeps in real time or moves a virtual clock.
struct TMidiTime {
  std::function<uint32_t()> clock;
  std::function<void(int32_t ms)> pause;
};

class TMidiPlayV {
 public:
  TMidiPlayV(IMidiDevices& devices, TTimerDrive drive, TMidiTime time);
  ~TMidiPlayV();
  TMidiPlayV(const TMidiPlayV&) = delete;
  TMidiPlayV& operator=(const TMidiPlayV&) = delete;

  // Stops and replaces the song with the file's.
  void LoadSong(const uint8_t* data, size_t size);
  void LoadSong(TMidiSong song);
  // Opens device id (-1: the mapper); true when open.
  bool OpenOutput(int32_t id);
  void CloseOutput();
  bool OutputOpen() const;
  // The General MIDI system-on message.
  void SendGmReset();
  // Plays from a position (ms), sending what comes before it except notes.
  void PlayFrom(int32_t ms);
  // Scales controller c on every channel by percent; sent at once while playing.
  void SetControllerPercent(int32_t controller, int32_t percent);
  void StopSong();

  bool SongPlaying() const;
  bool SongEnded() const;
  int32_t SongPosition() const;
  int32_t SongLength() const;
  bool Repeat() const;
  void SetRepeat(bool repeat);
  // The last value the song set for a controller (before scaling).
  int32_t ControllerValue(int32_t channel, int32_t controller) const;
  size_t EventCount() const;
  // One tick now, for a manually driven timer.
  void Tick() { timer_->Tick(); }
  TMMTimer& Timer() { return *timer_; }

 private:
  void OnTick();
  // The helpers below run under mutex_.
  void SendEvent(const TMidiMsgEvent& event);
  void SendControl(uint8_t channel, uint8_t controller);
  void AllNotesOff();
  void Chase(size_t target);

  IMidiDevices& devices_;
  TMidiTime time_;
  mutable std::mutex mutex_;
  std::vector<TMidiMsgEvent> events_;
  int32_t division_ = 0;
  int32_t length_ = 0;
  size_t index_ = 0;
  int32_t position_ = 0;
  uint32_t last_tick_ = 0;
  bool repeat_ = false;
  std::unique_ptr<IMidiOut> output_;
  std::array<std::array<int32_t, 128>, 16> values_{};
  std::array<std::array<int32_t, 128>, 16> percents_{};
  // Last: its thread stops before anything it touches goes.
  std::unique_ptr<TMMTimer> timer_;
};

}  // namespace orvo
