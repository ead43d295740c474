// The SMF reader: the merged list, its times and the faults a hostile or
// broken file must not turn into crashes or endless reads.
#include "media/midi_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "media/midi_writer.h"
#include "platform/midi_out.h"

namespace orvo {
namespace {

// TICK TIME TRACK TYPE HEX per event, as the kit prints them.
std::string Dump(const TMidiSong& song) {
  std::ostringstream out;
  for (const TMidiMsgEvent& e : song.events) {
    out << e.tick << ' ' << e.time << ' ' << e.track << ' ' << int{e.type} << ' ' << MidiHex(e.data) << '\n';
  }
  out << "length " << song.length << '\n';
  return out.str();
}

TMidiSong Read(const std::string& bytes) {
  return ReadMidiSong(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A writer with one track holding a controller-7 event, so no defaults are inserted.
TSmfWriter OneTrack(uint16_t division = 480) {
  TSmfWriter w(0, division);
  w.BeginTrack();
  w.Raw(0, {0xB0, 0x07, 0x64});
  return w;
}

std::string SetLength(std::string bytes, size_t at, uint32_t length) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(length >> (24 - 8 * i));
  return bytes;
}

TEST(MidiFile, ReadsTheMergedListWithItsTimes) {
  struct TCase {
    const char* what;
    std::function<std::string()> file;
    const char* expected;
  };
  const std::vector<TCase> cases = {
      {"not a song", [] { return std::string("RIFF\0\0\0\0", 8); }, "length 0\n"},
      {"a tempo change at tick 960 halves the time per tick after it",
       [] {
         TSmfWriter w = OneTrack();
         w.Raw(960, {0x90, 60, 100});
         w.Tempo(0, 250000);
         w.Raw(480, {0x80, 60, 0});
         w.EndTrack();
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n960 1000 0 1 90 3C 64\n960 1000 0 9 FF 51 03 D0 90\n1440 1250 0 2 80 3C 00\n"
       "1440 1250 0 18 FF 2F\nlength 1250\n"},
      {"each step rounds on its own (k = 5.2083335 at division 96)",
       [] {
         TSmfWriter w = OneTrack(96);
         w.Raw(1, {0x90, 60, 1});
         w.Raw(1, {0x90, 61, 1});
         w.Raw(1, {0x90, 62, 1});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n1 5 0 1 90 3C 01\n2 10 0 1 90 3D 01\n3 15 0 1 90 3E 01\nlength 15\n"},
      {"running status, velocity 0 as note off, a track that starts without status",
       [] {
         TSmfWriter w(1, 480);
         w.BeginTrack();
         w.Raw(0, {0xB0, 0x07, 0x64});
         w.Raw(10, {0x90, 60, 100});
         w.Raw(10, {62, 100});
         w.Raw(10, {60, 0});
         w.EndTrack();
         w.BeginTrack();
         w.Raw(0, {64, 100});  // no running status carried over
         w.EndTrack();
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n10 10 0 1 90 3C 64\n20 20 0 1 90 3E 64\n30 30 0 2 90 3C 00\n30 30 0 18 FF 2F\n"
       "length 30\n"},
      {"format 1: tracks merge by tick, then by reading order",
       [] {
         TSmfWriter w(1, 480);
         w.BeginTrack();
         w.Raw(0, {0xB0, 0x07, 0x64});
         w.Raw(480, {0xC0, 5});
         w.EndTrack();
         w.BeginTrack();
         w.Raw(0, {0xC1, 7});
         w.Raw(480, {0xC1, 8});
         w.EndTrack();
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n0 0 1 5 C1 07\n480 500 0 5 C0 05\n480 500 0 18 FF 2F\n480 500 1 5 C1 08\n"
       "480 500 1 18 FF 2F\nlength 500\n"},
      {"a longer header, a foreign chunk and a track without its end",
       [] {
         TSmfWriter w(1, 480);
         w.BeginTrack();
         w.Raw(0, {0xB0, 0x07, 0x64});
         w.Raw(480, {0xC0, 1});  // no end-of-track: the chunk's end ends it
         w.ForeignChunk("XFIH", {0x00, 0x00});
         w.BeginTrack();
         w.Raw(0, {0xC1, 2});
         std::string bytes = w.Bytes();
         // Header length 8 with two more bytes; the track count stays 2.
         bytes = SetLength(bytes, 4, 8);
         bytes.insert(14, std::string("\xAA\xBB", 2));
         return bytes;
       },
       "0 0 0 4 B0 07 64\n0 0 1 5 C1 02\n480 500 0 5 C0 01\nlength 500\n"},
      {"a track length past the file's end is cut there",
       [] {
         TSmfWriter w = OneTrack();
         w.Raw(480, {0xC0, 1});
         return SetLength(w.Bytes(), 18, 0x7FFFFFFF);
       },
       "0 0 0 4 B0 07 64\n480 500 0 5 C0 01\nlength 500\n"},
      {"a quantity over four bytes ends the track",
       [] {
         TSmfWriter w = OneTrack();
         w.Raw(0, {});
         std::string bytes = w.Bytes();
         bytes.pop_back();
         bytes += std::string("\x81\x81\x81\x81\x01\xC0\x01", 7);
         return SetLength(bytes, 18, static_cast<uint32_t>(bytes.size() - 22));
       },
       "0 0 0 4 B0 07 64\nlength 0\n"},
      {"a meta length past the chunk ends the track",
       [] {
         TSmfWriter w = OneTrack();
         w.Raw(0, {0xFF, 0x01, 0x7F, 'a'});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\nlength 0\n"},
      {"a channel data byte with the top bit ends the track",
       [] {
         TSmfWriter w = OneTrack();
         w.Raw(0, {0x90, 60, 0x90});
         w.Raw(0, {0xC0, 1});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\nlength 0\n"},
      {"a system exclusive 51 is no tempo; a tempo of two bytes is ignored",
       [] {
         TSmfWriter w = OneTrack();
         w.SysEx(0, {0x51, 0x00, 0x00, 0x01, 0xF7});
         w.Meta(0, 0x51, {0x00, 0x01});
         w.Raw(480, {0xC0, 1});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n0 0 0 0 F0 51 00 00 01 F7\n0 0 0 9 FF 51 00 01\n480 500 0 5 C0 01\nlength 500\n"},
      {"the GS reset has its own type",
       [] {
         TSmfWriter w = OneTrack();
         w.SysEx(0, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n0 0 0 8 F0 41 10 42 12 40 00 7F 00 41 F7\nlength 0\n"},
      {"division 0 gives no events",
       [] {
         TSmfWriter w = OneTrack(0);
         w.Raw(10, {0xC0, 1});
         return w.Bytes();
       },
       "length 0\n"},
      {"SMPTE 25 frames of 40 ticks: one tick a millisecond, tempo ignored",
       [] {
         TSmfWriter w = OneTrack(static_cast<uint16_t>(0xE728));
         w.Tempo(0, 250000);
         w.Raw(1234, {0xC0, 1});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n0 0 0 9 FF 51 03 D0 90\n1234 1234 0 5 C0 01\nlength 1234\n"},
      {"SMPTE 29.97 frames of 1 tick",
       [] {
         TSmfWriter w = OneTrack(static_cast<uint16_t>(0xE301));
         w.Raw(3, {0xC0, 1});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n3 100 0 5 C0 01\nlength 100\n"},
      {"an unknown SMPTE code gives no events",
       [] {
         TSmfWriter w = OneTrack(static_cast<uint16_t>(0xEC04));
         w.Raw(3, {0xC0, 1});
         return w.Bytes();
       },
       "length 0\n"},
      {"times stop at 2^31 - 1",
       [] {
         TSmfWriter w = OneTrack(1);
         w.Tempo(0, 0xFFFFFF);
         w.Raw(0x0FFFFFFF, {0xC0, 1});
         return w.Bytes();
       },
       "0 0 0 4 B0 07 64\n0 0 0 9 FF 51 FF FF FF\n268435455 2147483647 0 5 C0 01\nlength 2147483647\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Dump(Read(c.file())), c.expected);
  }
}

TEST(MidiFile, InsertsTheVolumeControllersBeforeTheFirstNoteOnlyWhenNoneExists) {
  TSmfWriter without(0, 480);
  without.BeginTrack();
  without.Raw(0, {0xC0, 1});
  without.Raw(0, {0xA0, 60, 1});
  without.Raw(0, {0x90, 60, 1});
  const TMidiSong inserted = Read(without.Bytes());
  ASSERT_EQ(inserted.events.size(), 19u);
  EXPECT_TRUE(inserted.inserted_volume);
  EXPECT_EQ(inserted.events[0].type, mtProgram);
  for (size_t channel = 0; channel < 16; ++channel) {
    const TMidiMsgEvent& e = inserted.events[1 + channel];
    EXPECT_EQ(e.track, kInsertedTrack);
    EXPECT_EQ(e.data, (std::vector<uint8_t>{static_cast<uint8_t>(0xB0 + channel), 0x07, 0x7F}));
  }
  EXPECT_EQ(inserted.events[17].type, mtKeyPressure);

  // Without any note they go at the end; with a controller 7 anywhere, nowhere.
  TSmfWriter no_notes(0, 480);
  no_notes.BeginTrack();
  no_notes.Raw(0, {0xC0, 1});
  EXPECT_EQ(Read(no_notes.Bytes()).events.back().data, (std::vector<uint8_t>{0xBF, 0x07, 0x7F}));
  TSmfWriter late(0, 480);
  late.BeginTrack();
  late.Raw(0, {0x90, 60, 1});
  late.Raw(100, {0xB3, 0x07, 0x10});
  EXPECT_FALSE(Read(late.Bytes()).inserted_volume);
  EXPECT_EQ(Read(late.Bytes()).events.size(), 2u);
}

}  // namespace
}  // namespace orvo
