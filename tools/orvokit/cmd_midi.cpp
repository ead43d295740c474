// orvokit midi: the event list the sequencer builds from a Standard MIDI
// File, the messages it sends while playing it on a virtual clock, and a
// generated song.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "kit.h"
#include "media/midi_file.h"
#include "media/midi_player.h"
#include "media/midi_writer.h"
#include "platform/midi_out.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "midi";

bool ReadSong(const std::string& path, std::string& bytes) {
  if (ReadWholeFile(path, bytes)) return true;
  std::fprintf(stderr, "orvokit midi: cannot read %s\n", path.c_str());
  return false;
}

int Events(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(kName, "events needs one FILE");
  std::string bytes;
  if (!ReadSong(args[1], bytes)) return 1;
  const TMidiSong song = ReadMidiSong(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  std::string out;
  for (const TMidiMsgEvent& event : song.events) {
    out += std::to_string(event.tick) + '\t' + std::to_string(event.time) + '\t' + std::to_string(event.track) + '\t' +
           std::to_string(event.type) + '\t' + MidiHex(event.data) + '\n';
  }
  out += "length\t" + std::to_string(song.length) + '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

// Every output opens on the recorder.
class TRecorderDevices : public IMidiDevices {
 public:
  explicit TRecorderDevices(TMidiRecorder& recorder) : recorder_(recorder) {}
  std::vector<std::string> Names() const override { return {"recorder"}; }
  std::unique_ptr<IMidiOut> Open(int32_t) override { return recorder_.OpenOutput(); }

 private:
  TMidiRecorder& recorder_;
};

int Play(const std::vector<std::string>& args) {
  if (args.size() < 2) return UsageError(kName, "play needs a FILE");
  long long from = 0, percent = 0, until = -1;
  bool repeat = false, has_percent = false;
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--repeat") {
      repeat = true;
      continue;
    }
    if (i + 1 >= args.size()) return UsageError(kName, option + " needs a value");
    const std::string& value = args[++i];
    if (option == "--from") {
      if (!ParseInteger(value, INT32_MIN, INT32_MAX, from)) return UsageError(kName, "bad --from " + value);
    } else if (option == "--percent") {
      if (!ParseInteger(value, INT32_MIN, INT32_MAX, percent)) return UsageError(kName, "bad --percent " + value);
      has_percent = true;
    } else if (option == "--until") {
      if (!ParseInteger(value, 0, UINT32_MAX, until)) return UsageError(kName, "bad --until " + value);
    } else {
      return UsageError(kName, "unknown option " + option);
    }
  }
  std::string bytes;
  if (!ReadSong(args[1], bytes)) return 1;

  uint32_t clock = 0;
  TMidiRecorder recorder([&clock] { return clock; });
  recorder.SetListener([](const TMidiRecord& record) {
    if (record.reset) return;
    std::printf("%u\t%s\n", record.clock, MidiHex(record.bytes).c_str());
  });
  TRecorderDevices devices(recorder);
  TMidiPlayV sequencer(devices, TTimerDrive::Manual,
                       {[&clock] { return clock; }, [&clock](int32_t ms) { clock += static_cast<uint32_t>(ms); }});
  sequencer.LoadSong(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  sequencer.SetRepeat(repeat);
  sequencer.OpenOutput(-1);
  sequencer.SendGmReset();
  sequencer.PlayFrom(static_cast<int32_t>(from));
  if (has_percent) sequencer.SetControllerPercent(7, static_cast<int32_t>(percent));
  const uint64_t end =
      until >= 0 ? static_cast<uint64_t>(until) : static_cast<uint64_t>(std::max(sequencer.SongLength(), 0)) + 1000;
  while (uint64_t{clock} + 10 <= end) {
    clock += 10;
    sequencer.Tick();
  }
  if (end > clock) clock = static_cast<uint32_t>(end);
  sequencer.StopSong();
  std::fflush(stdout);
  return 0;
}

int Song(const std::vector<std::string>& args) {
  std::string output;
  long long seconds = 16, channels = 4;
  for (size_t i = 1; i < args.size(); ++i) {
    if (i + 1 >= args.size()) return UsageError(kName, args[i] + " needs a value");
    const std::string& option = args[i];
    const std::string& value = args[++i];
    if (option == "-o") {
      output = value;
    } else if (option == "--seconds") {
      if (!ParseInteger(value, 1, 3600, seconds)) return UsageError(kName, "bad --seconds " + value);
    } else if (option == "--channels") {
      if (!ParseInteger(value, 1, 16, channels)) return UsageError(kName, "bad --channels " + value);
    } else {
      return UsageError(kName, "unknown option " + option);
    }
  }
  if (output.empty()) return UsageError(kName, "song needs -o OUT.mid");
  WriteFileAtomically(output, ComposeSong(static_cast<int32_t>(seconds), static_cast<int32_t>(channels)));
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kName);
  try {
    if (args[0] == "events") return Events(args);
    if (args[0] == "play") return Play(args);
    if (args[0] == "song") return Song(args);
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvokit midi: %s\n", failure.what());
    return 1;
  }
  return UsageError(kName, "unknown action " + args[0]);
}

const bool kRegistered = RegisterCommand(
    {kName,
     "events FILE.mid | play FILE.mid [--from MS] [--repeat] [--percent P] [--until MS] | song -o OUT.mid "
     "[--seconds N] [--channels N]",
     "list a MIDI file's sequenced events, print what the sequencer sends, or write a generated song", Run});

}  // namespace
}  // namespace orvo::kit
