// The SMF reader and the sequencer over its list: any bytes give a song
// (maybe empty) whose events lie within the file, sorted, at times that
// never go back; playing, chasing and repeating it ends.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/midi_file.h"
#include "media/midi_player.h"

namespace {

// Checks what would go to a device: channel messages of one to three bytes
// and long messages that came from the file.
class TCheckingOut : public orvo::IMidiOut {
 public:
  void SendShort(uint32_t message) override {
    if (!(message & 0x80)) __builtin_trap();
  }
  void SendLong(const uint8_t* data, size_t size) override {
    if (size == 0 || !data) __builtin_trap();
  }
  void Reset() override {}
};

class TNullDevices : public orvo::IMidiDevices {
 public:
  std::vector<std::string> Names() const override { return {"null"}; }
  std::unique_ptr<orvo::IMidiOut> Open(int32_t) override { return std::make_unique<TCheckingOut>(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvo;
  TMidiSong song = ReadMidiSong(data, size);
  size_t bytes = 0;
  const TMidiMsgEvent* previous = nullptr;
  for (const TMidiMsgEvent& e : song.events) {
    bytes += e.data.size();
    if (e.time < 0 || e.tick < 0) __builtin_trap();
    // The inserted controller-7 events sit at 0 just before the first note.
    if (e.track == kInsertedTrack) continue;
    if (previous && (e.time < previous->time || e.tick < previous->tick)) __builtin_trap();
    previous = &e;
  }
  // Every stored byte came from the file (the 16 inserted events aside).
  if (bytes > size + 48) __builtin_trap();

  uint32_t clock = 0;
  TNullDevices devices;
  TMidiPlayV sequencer(devices, TTimerDrive::Manual,
                       {[&clock] { return clock; }, [&clock](int32_t ms) { clock += static_cast<uint32_t>(ms); }});
  const int32_t length = song.length;
  sequencer.LoadSong(std::move(song));
  sequencer.SetRepeat(size % 2 == 0);
  sequencer.OpenOutput(-1);
  sequencer.PlayFrom(length / 2);
  for (int tick = 0; tick < 300; ++tick) {
    clock += 1000;
    sequencer.Tick();
  }
  sequencer.PlayFrom(0);
  sequencer.StopSong();
  return 0;
}
