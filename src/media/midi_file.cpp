#include "media/midi_file.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace orvo {

namespace {

uint32_t Big32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Big16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// A cursor over one track chunk; every read fails instead of passing its end.
class TTrackReader {
 public:
  TTrackReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return at_ >= size_; }
  bool Byte(uint8_t& value) {
    if (at_ >= size_) return false;
    value = data_[at_++];
    return true;
  }
  void PutBack() { --at_; }
  // A variable-length quantity of at most four bytes (28 bits).
  bool Quantity(uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      value = (value << 7) | (b & 0x7Fu);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  bool Bytes(uint32_t count, std::vector<uint8_t>& out) {
    if (count > size_ - at_) return false;
    out.insert(out.end(), data_ + at_, data_ + at_ + count);
    at_ += count;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void ReadTrack(const uint8_t* data, size_t size, int32_t track, int32_t& sequence, std::vector<TMidiMsgEvent>& out) {
  TTrackReader reader(data, size);
  // Running status does not carry over from the previous track.
  uint8_t running = 0;
  int64_t tick = 0;
  while (!reader.AtEnd()) {
    uint32_t delta;
    if (!reader.Quantity(delta)) return;
    tick = std::min<int64_t>(tick + delta, INT32_MAX);
    uint8_t status;
    if (!reader.Byte(status)) return;
    if (status & 0x80) {
      running = status;
    } else {
      if (!running) return;
      reader.PutBack();
      status = running;
    }
    TMidiMsgEvent event;
    event.tick = static_cast<int32_t>(tick);
    event.delta = static_cast<int32_t>(delta);
    event.track = track;
    event.data.push_back(status);
    if (status < 0xF0) {
      event.kind = mkChannel;
      const int count = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      for (int i = 0; i < count; ++i) {
        uint8_t b;
        if (!reader.Byte(b) || b >= 0x80) return;
        event.data.push_back(b);
      }
    } else if (status == 0xFF) {
      event.kind = mkMeta;
      uint8_t meta;
      uint32_t length;
      if (!reader.Byte(meta) || !reader.Quantity(length)) return;
      event.data.push_back(meta);
      if (!reader.Bytes(length, event.data)) return;
    } else {
      event.kind = mkSysEx;
      uint32_t length;
      if (!reader.Quantity(length) || !reader.Bytes(length, event.data)) return;
    }
    event.type = MidiEventType(event.kind, event.data);
    event.sequence = sequence++;
    const bool end = event.type == mtEndOfTrack;
    out.push_back(std::move(event));
    if (end) return;
  }
}

// Milliseconds per tick as single precision, computed in long double; 0 or
// less for a division that gives no timing.
float TickMs(int32_t division, uint32_t tempo) {
  if (division > 0) return static_cast<float>((1.0L / division) * tempo / 1000);
  return 0.0f;
}

float SmpteTickMs(uint16_t division) {
  const int8_t code = static_cast<int8_t>(division >> 8);
  const int ticks = division & 0xFF;
  long double fps;
  switch (code) {
    case -24:
      fps = 24;
      break;
    case -25:
      fps = 25;
      break;
    case -29:
      fps = 30000.0L / 1001;
      break;
    case -30:
      fps = 30;
      break;
    default:
      return 0.0f;
  }
  if (ticks == 0) return 0.0f;
  return static_cast<float>(1000.0L / (fps * ticks));
}

}  // namespace

uint8_t MidiEventType(uint8_t kind, const std::vector<uint8_t>& data) {
  if (data.empty()) return mtOther;
  const uint8_t status = data[0];
  if (kind == mkChannel) {
    switch (status & 0xF0) {
      case 0x80:
        return mtNoteOff;
      case 0x90:
        return data.size() > 2 && data[2] != 0 ? mtNoteOn : mtNoteOff;
      case 0xA0:
        return mtKeyPressure;
      case 0xB0:
        return mtControl;
      case 0xC0:
        return mtProgram;
      case 0xD0:
        return mtChannelPressure;
      case 0xE0:
        return mtPitchBend;
      default:
        return mtOther;
    }
  }
  if (kind == mkMeta) {
    if (data.size() < 2) return mtOther;
    const uint8_t meta = data[1];
    if (meta <= 7) return static_cast<uint8_t>(mtSequenceNumber + meta);
    switch (meta) {
      case 0x2F:
        return mtEndOfTrack;
      case 0x51:
        return mtTempo;
      case 0x52:
        return mtMeta52;
      case 0x58:
        return mtTimeSignature;
      case 0x59:
        return mtKeySignature;
      default:
        return mtOther;
    }
  }
  static const uint8_t kGsReset[11] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  if (data.size() == sizeof kGsReset && std::memcmp(data.data(), kGsReset, sizeof kGsReset) == 0) return mtGsReset;
  return mtOther;
}

TMidiSong ReadMidiSong(const uint8_t* data, size_t size) {
  TMidiSong song;
  if (size < 8 || std::memcmp(data, "MThd", 4) != 0) return song;
  const uint32_t header_length = Big32(data + 4);
  if (header_length < 6 || header_length > size - 8) return song;
  const uint16_t track_count = Big16(data + 10);
  const uint16_t division = Big16(data + 12);
  float k;
  if (division & 0x8000) {
    k = SmpteTickMs(division);
    song.division = static_cast<int16_t>(division);
  } else {
    song.division = division;
    k = TickMs(division, 500000);
  }
  // Without timing every event would sit at an infinite or negative time.
  if (!(k > 0.0f) || !std::isfinite(k)) return song;
  const bool smpte = division & 0x8000;

  size_t at = 8 + size_t{header_length};
  int32_t sequence = 0;
  int32_t tracks = 0;
  while (tracks < track_count && size - at >= 8) {
    const uint8_t* chunk = data + at;
    const size_t length = std::min<size_t>(Big32(chunk + 4), size - at - 8);
    // Chunks of other kinds are no tracks: skipped whole.
    if (std::memcmp(chunk, "MTrk", 4) == 0) ReadTrack(chunk + 8, length, tracks++, sequence, song.events);
    at += 8 + length;
  }

  std::stable_sort(song.events.begin(), song.events.end(), [](const TMidiMsgEvent& a, const TMidiMsgEvent& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.sequence < b.sequence;
  });

  int64_t time = 0;
  int32_t previous = 0;
  bool has_volume = false;
  for (TMidiMsgEvent& event : song.events) {
    const long double step = static_cast<long double>(k) * (int64_t{event.tick} - previous);
    time = std::min<int64_t>(time + static_cast<int64_t>(std::nearbyintl(step)), INT32_MAX);
    previous = event.tick;
    event.time = static_cast<int32_t>(time);
    if (event.type == mtTempo && event.data.size() >= 5 && !smpte) {
      const uint32_t tempo = (uint32_t{event.data[2]} << 16) | (uint32_t{event.data[3]} << 8) | event.data[4];
      k = TickMs(division, tempo);
    }
    if (event.type == mtControl && event.data.size() > 1 && event.data[1] == 7) has_volume = true;
  }
  song.length = song.events.empty() ? 0 : song.events.back().time;

  if (!has_volume) {
    auto first_note = std::find_if(song.events.begin(), song.events.end(), [](const TMidiMsgEvent& e) {
      return e.type == mtNoteOn || e.type == mtNoteOff || e.type == mtKeyPressure;
    });
    std::vector<TMidiMsgEvent> volume(16);
    for (uint8_t channel = 0; channel < 16; ++channel) {
      TMidiMsgEvent& e = volume[channel];
      e.kind = mkChannel;
      e.type = mtControl;
      e.track = kInsertedTrack;
      e.sequence = -1;
      e.data = {static_cast<uint8_t>(0xB0 | channel), 0x07, 0x7F};
    }
    song.events.insert(first_note, std::make_move_iterator(volume.begin()), std::make_move_iterator(volume.end()));
    song.inserted_volume = true;
  }
  return song;
}

}  // namespace orvo
