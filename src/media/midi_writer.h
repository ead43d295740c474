#pragma once
// Writes Standard MIDI Files: fixtures of tests, the demo's music and the
// benchmark's song. Bytes go in as given, so running status and malformed
// tracks can be written on purpose.
#include <cstdint>
#include <string>
#include <vector>

namespace orvo {

class TSmfWriter {
 public:
  TSmfWriter(uint16_t format, uint16_t division) : format_(format), division_(division) {}

  // Starts a track; later events go into it.
  void BeginTrack();
  // A delta time and then the bytes exactly as given.
  void Raw(uint32_t delta, const std::vector<uint8_t>& bytes);
  void Meta(uint32_t delta, uint8_t type, const std::vector<uint8_t>& body);
  void Tempo(uint32_t delta, uint32_t microseconds_per_quarter);
  // F0, the length of body, body (which should end with F7).
  void SysEx(uint32_t delta, const std::vector<uint8_t>& body);
  void EndTrack(uint32_t delta = 0);
  // A chunk of another kind after the tracks written so far.
  void ForeignChunk(const std::string& id, const std::vector<uint8_t>& body);

  // The file: header (track count = MTrk chunks) and chunks in order.
  std::string Bytes() const;

 private:
  struct TChunk {
    std::string id;
    std::vector<uint8_t> body;
  };
  uint16_t format_;
  uint16_t division_;
  std::vector<TChunk> chunks_;
};

// A variable-length quantity.
void AppendQuantity(std::vector<uint8_t>& out, uint32_t value);

// A generated format-1 song of about seconds length: a tempo track and one
// track per channel (up to 16; channel 10 drums), chords, bass and a tune.
std::string ComposeSong(int32_t seconds, int32_t channels);

}  // namespace orvo
