#pragma once
// MIDI output devices: FluidSynth with a General MIDI soundfont (rendered by
// our own sound engine), ALSA sequencer ports when the system has them, and
// a recording sink for tests and the kit.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orvo {

// One open MIDI output. Sends are synchronous: the bytes are consumed when
// the call returns, so no buffer outlives it.
class IMidiOut {
 public:
  virtual ~IMidiOut() = default;
  // A channel message of up to three bytes, the status byte lowest.
  virtual void SendShort(uint32_t message) = 0;
  // A system-exclusive or other long message, exactly as stored (F0 ... F7).
  virtual void SendLong(const uint8_t* data, size_t size) = 0;
  // Every sounding note off and the controllers back to their defaults.
  virtual void Reset() = 0;
};

// The number of bytes a channel message with this status byte carries.
size_t ShortMessageLength(uint8_t status);

// A General MIDI synthesizer whose sound our engine pulls.
class IMidiSynth {
 public:
  virtual ~IMidiSynth() = default;
  // Adds frames of 44100 Hz stereo sound into acc (interleaved left-right).
  virtual void MixInto(int32_t* acc, size_t frames) = 0;
  // An output that plays on this synthesizer.
  virtual std::unique_ptr<IMidiOut> OpenOutput() = 0;
};

// The soundfont to load: $ORVO_SOUNDFONT, else Debian's TimGM6mb.
std::string DefaultSoundfontPath();
// FluidSynth at 44100 Hz with the soundfont; null (and one line on stderr)
// when the soundfont is missing or does not load.
std::unique_ptr<IMidiSynth> OpenFluidSynth(const std::string& soundfont);

// A port of the ALSA sequencer that takes MIDI ("client:port name").
struct TMidiPortInfo {
  std::string name;
  int32_t client = 0;
  int32_t port = 0;
};
// The writable ports of other sequencer clients; empty without ALSA.
std::vector<TMidiPortInfo> ListAlsaMidiPorts();
// An output connected to a port; null when it cannot be opened.
std::unique_ptr<IMidiOut> OpenAlsaMidiOut(const TMidiPortInfo& port);

// One message as a recording sink received it.
struct TMidiRecord {
  uint32_t clock = 0;          // the recorder's clock at the send
  std::vector<uint8_t> bytes;  // the message bytes
  bool reset = false;          // a Reset (no bytes)
};

// Keeps every message with the time of a clock; safe to read from another
// thread while a sequencer sends.
class TMidiRecorder {
 public:
  explicit TMidiRecorder(std::function<uint32_t()> clock) : clock_(std::move(clock)) {}
  // An output that records here; several may exist.
  std::unique_ptr<IMidiOut> OpenOutput();
  std::vector<TMidiRecord> Records() const;
  void Clear();
  // Called with each record as it arrives (after it is kept).
  void SetListener(std::function<void(const TMidiRecord&)> listener);

 private:
  friend class TRecordingMidiOut;
  void Add(TMidiRecord record);

  std::function<uint32_t()> clock_;
  mutable std::mutex mutex_;
  std::vector<TMidiRecord> records_;
  std::function<void(const TMidiRecord&)> listener_;
};

// Upper-case hex pairs separated by one space ("B0 07 64").
std::string MidiHex(const std::vector<uint8_t>& bytes);

}  // namespace orvo
