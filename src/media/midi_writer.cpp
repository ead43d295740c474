#include "media/midi_writer.h"

#include <algorithm>

namespace orvo {

void AppendQuantity(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[5];
  int count = 0;
  bytes[count++] = static_cast<uint8_t>(value & 0x7F);
  while (value >>= 7) bytes[count++] = static_cast<uint8_t>(0x80 | (value & 0x7F));
  while (count > 0) out.push_back(bytes[--count]);
}

void TSmfWriter::BeginTrack() { chunks_.push_back({"MTrk", {}}); }

void TSmfWriter::Raw(uint32_t delta, const std::vector<uint8_t>& bytes) {
  if (chunks_.empty()) BeginTrack();
  std::vector<uint8_t>& body = chunks_.back().body;
  AppendQuantity(body, delta);
  body.insert(body.end(), bytes.begin(), bytes.end());
}

void TSmfWriter::Meta(uint32_t delta, uint8_t type, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> bytes = {0xFF, type};
  AppendQuantity(bytes, static_cast<uint32_t>(body.size()));
  bytes.insert(bytes.end(), body.begin(), body.end());
  Raw(delta, bytes);
}

void TSmfWriter::Tempo(uint32_t delta, uint32_t us) {
  Meta(delta, 0x51, {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}

void TSmfWriter::SysEx(uint32_t delta, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> bytes = {0xF0};
  AppendQuantity(bytes, static_cast<uint32_t>(body.size()));
  bytes.insert(bytes.end(), body.begin(), body.end());
  Raw(delta, bytes);
}

void TSmfWriter::EndTrack(uint32_t delta) { Meta(delta, 0x2F, {}); }

void TSmfWriter::ForeignChunk(const std::string& id, const std::vector<uint8_t>& body) {
  chunks_.push_back({id.substr(0, 4), body});
}

std::string TSmfWriter::Bytes() const {
  auto u32 = [](std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
  };
  auto u16 = [](std::string& s, uint32_t v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
  };
  std::string out = "MThd";
  u32(out, 6);
  u16(out, format_);
  u16(out, static_cast<uint32_t>(
               std::count_if(chunks_.begin(), chunks_.end(), [](const TChunk& c) { return c.id == "MTrk"; })));
  u16(out, division_);
  for (const TChunk& chunk : chunks_) {
    out += chunk.id;
    u32(out, static_cast<uint32_t>(chunk.body.size()));
    out.append(chunk.body.begin(), chunk.body.end());
  }
  return out;
}

std::string ComposeSong(int32_t seconds, int32_t channels) {
  constexpr uint16_t kDivision = 480;
  constexpr uint32_t kTempo = 500000;  // 120 beats per minute: two beats a second
  channels = std::clamp(channels, 1, 16);
  const int32_t bars = std::max(1, seconds / 2);
  // C, A minor, F, G: roots and chord tones.
  static const int kRoots[4] = {48, 45, 41, 43};
  static const int kThirds[4] = {4, 3, 4, 4};
  static const int kTune[16] = {0, 4, 7, 12, 11, 7, 4, 2, 0, 2, 4, 7, 9, 7, 4, 2};
  static const uint8_t kPrograms[16] = {0, 48, 33, 73, 24, 4, 11, 40, 56, 0, 19, 68, 46, 89, 52, 60};
  TSmfWriter writer(1, kDivision);
  writer.BeginTrack();
  writer.Meta(0, 0x03, {'O', 'r', 'v', 'o'});
  writer.Tempo(0, kTempo);
  writer.Meta(0, 0x58, {4, 2, 24, 8});
  writer.EndTrack(static_cast<uint32_t>(bars) * 4 * kDivision);
  for (int32_t c = 0; c < channels; ++c) {
    const uint8_t channel = static_cast<uint8_t>(c);
    const bool drums = channel == 9;
    writer.BeginTrack();
    writer.Raw(0, {static_cast<uint8_t>(0xC0 | channel), kPrograms[channel]});
    writer.Raw(0, {static_cast<uint8_t>(0xB0 | channel), 7, static_cast<uint8_t>(drums ? 90 : 70 + (c * 3) % 30)});
    writer.Raw(0, {static_cast<uint8_t>(0xB0 | channel), 10, static_cast<uint8_t>(16 + (c * 37) % 96)});
    uint32_t pending = 0;
    // Eighth notes: each channel plays a voice of the chord, the bass its
    // root, the tune a line over it, the drums a plain beat.
    for (int32_t bar = 0; bar < bars; ++bar) {
      const int chord = bar % 4;
      for (int step = 0; step < 8; ++step) {
        int note;
        uint8_t velocity = 80;
        if (drums) {
          note = step % 4 == 0 ? 36 : step % 4 == 2 ? 38 : 42;
        } else if (c == 0) {
          note = kRoots[chord] + 24 + kTune[(bar * 8 + step) % 16];
          velocity = 96;
        } else if (c % 4 == 2) {
          note = kRoots[chord] - 12 + (step % 2 ? 7 : 0);
        } else {
          const int voice = c % 3;
          note = kRoots[chord] + 12 + (voice == 0 ? 0 : voice == 1 ? kThirds[chord] : 7) + 12 * ((c / 3) % 2);
          velocity = static_cast<uint8_t>(50 + (step % 2 ? 0 : 12));
        }
        const uint8_t n = static_cast<uint8_t>(std::clamp(note, 0, 127));
        writer.Raw(pending, {static_cast<uint8_t>(0x90 | channel), n, velocity});
        writer.Raw(kDivision / 2 - 10, {static_cast<uint8_t>(0x80 | channel), n, 0});
        pending = 10;
      }
    }
    writer.EndTrack(pending);
  }
  return writer.Bytes();
}

}  // namespace orvo
