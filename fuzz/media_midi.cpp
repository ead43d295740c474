// The SMF reader and the sequencer over its list: any bytes give a song
// (maybe empty) whose events lie within the file, sorted, at times that
// never go back; playing, chasing and repeating it ends.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/midi_file.h"
#include "media/midi_player.h"

namespace {

class TNullDevices : public orvo::IMidiDevices {
 public:
  std::vector<std::string> Names() const override { return {"null"}; }
  std::unique_ptr<orvo::IMidiOut> Open(int32_t) override { return recorder_.OpenOutput(); }
  orvo::TMidiRecorder recorder_{nullptr};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvo;
  TMidiSong song = ReadMidiSong(data, size);
  size_t bytes = 0;
  for (size_t i = 0; i < song.events.size(); ++i) {
    const TMidiMsgEvent& e = song.events[i];
    bytes += e.data.size();
    if (e.time < 0 || e.tick < 0) __builtin_trap();
    if (i > 0 && (e.time < song.events[i - 1].time || e.tick < song.events[i - 1].tick)) __builtin_trap();
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
