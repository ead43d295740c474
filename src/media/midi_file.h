#pragma once
// The Standard MIDI File reader of the sequencer: every track merged into one
// list sorted by tick, each event with its time in milliseconds.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvo {

// Event kinds.
enum : uint8_t { mkChannel = 0, mkSysEx = 1, mkMeta = 2 };

// Event types: what the sequencer needs to tell apart.
enum : uint8_t {
  mtOther = 0,
  mtNoteOn = 1,
  mtNoteOff = 2,
  mtKeyPressure = 3,
  mtControl = 4,
  mtProgram = 5,
  mtChannelPressure = 6,
  mtPitchBend = 7,
  mtGsReset = 8,
  mtTempo = 9,
  mtSequenceNumber = 10,  // 11..17: the seven text events
  mtEndOfTrack = 18,
  mtMeta52 = 19,
  mtTimeSignature = 20,
  mtKeySignature = 21,
};

// Inserted events (the controller-7 defaults) carry this track.
constexpr int32_t kInsertedTrack = -1;

struct TMidiMsgEvent {
  int32_t tick = 0;
  int32_t time = 0;  // ms
  int32_t delta = 0;
  int32_t sequence = 0;
  uint8_t kind = mkChannel;
  uint8_t type = mtOther;
  int32_t track = 0;
  // Channel message: status and data bytes; system exclusive: the status
  // byte and the stored bytes; meta event: FF, the meta type, the stored bytes.
  std::vector<uint8_t> data;
};

struct TMidiSong {
  std::vector<TMidiMsgEvent> events;
  int32_t division = 0;
  int32_t length = 0;  // ms, the time of the last event before insertion
  // The file had no controller-7 event and 16 were inserted.
  bool inserted_volume = false;
};

// Reads a whole file; bytes that are no song give a song without events.
// Never throws: malformed tracks end where the fault is.
TMidiSong ReadMidiSong(const uint8_t* data, size_t size);

// The type of an event from its data bytes.
uint8_t MidiEventType(uint8_t kind, const std::vector<uint8_t>& data);

}  // namespace orvo
