// Pixel-font files: what the encoder writes is what the manager reads back,
// and every kind of damage is refused before anything is kept.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "font_fixture.h"

namespace orvo {
namespace {

using test::FontHeader;
using test::GlyphSource;
using test::WriteFont;

void PutU32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}

std::string SampleFont() {
  return EncodePixelFont(FontHeader("Pix", 16),
                         {GlyphSource(0x41, 5, 3, 1, 11, 7, 1), GlyphSource(0x82A0, 2, 2, -1, 9, 3, 100),
                          GlyphSource(0x20, 0, 0, 0, 0, 4)});
}

TEST(PixelFont, RecordsAndBottomUpPaddedRowsReadBack) {
  std::string bytes = SampleFont();
  TPixelFontManager manager;
  TPixelFontSection* section = manager.AddFontFile(WriteFont(bytes));
  ASSERT_NE(section, nullptr);
  const TPixelFontHeader& header = section->Header();
  EXPECT_EQ(header.face, "Pix");
  EXPECT_EQ(header.size, 16);
  EXPECT_EQ(header.count, 3);
  EXPECT_EQ(header.ascent, 12);
  EXPECT_EQ(header.underline_size, 2);
  EXPECT_EQ(header.strike_position, 5);
  EXPECT_EQ(header.strike_size, 1);
  EXPECT_TRUE(header.listed);
  EXPECT_EQ(section->Name(), "Pix_16_0_0");

  // The first bitmap is stored bottom row first, each row padded to 8 bytes.
  int64_t start = section->BitmapStart();
  EXPECT_EQ(std::string(bytes, static_cast<size_t>(start), 8), std::string("\x0b\x0c\x0d\x0e\x0f\0\0\0", 8));
  EXPECT_EQ(std::string(bytes, static_cast<size_t>(start) + 16, 8), std::string("\x01\x02\x03\x04\x05\0\0\0", 8));

  struct TCase {
    uint16_t code;
    TPixelGlyphRecord record;
  };
  const TCase cases[] = {
      {0x41, {5, 3, 1, 11, 7, 0, 0}},
      {0x82A0, {2, 2, -1, 9, 3, 0, 24}},
      {0x20, {0, 0, 0, 0, 4, 0, 0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.code);
    TDIBX coverage;
    const TPixelFontSection* found = nullptr;
    TPixelGlyphRecord record;
    ASSERT_TRUE(manager.ReadPixelGlyph("Pix", 16, 0, c.code, coverage, found, record));
    EXPECT_EQ(found, section);
    EXPECT_EQ(record.width, c.record.width);
    EXPECT_EQ(record.height, c.record.height);
    EXPECT_EQ(record.origin_x, c.record.origin_x);
    EXPECT_EQ(record.origin_y, c.record.origin_y);
    EXPECT_EQ(record.advance_x, c.record.advance_x);
    EXPECT_EQ(record.offset, c.record.offset);
    ASSERT_EQ(coverage.Width(), c.record.width);
    ASSERT_EQ(coverage.Height(), c.record.height);
    uint32_t first = c.code == 0x41 ? 1 : 100;
    for (int32_t y = 0; y < coverage.Height(); ++y) {
      for (int32_t x = 0; x < coverage.Width(); ++x)
        EXPECT_EQ(coverage.GetPixel(x, y), first + static_cast<uint32_t>(y * coverage.Width() + x));
    }
  }
  TDIBX coverage;
  const TPixelFontSection* found = nullptr;
  TPixelGlyphRecord record;
  EXPECT_FALSE(manager.ReadPixelGlyph("Pix", 16, 0, 0x42, coverage, found, record));
  EXPECT_FALSE(manager.ReadPixelGlyph("Pix", 17, 0, 0x41, coverage, found, record));
  EXPECT_FALSE(manager.ReadPixelGlyph("Pix", 16, gsBold, 0x41, coverage, found, record));
  // Underline and strike-out are drawn, not stored: they find the same font.
  EXPECT_TRUE(manager.ReadPixelGlyph("Pix", 16, gsUnderline | gsStrikeOut, 0x41, coverage, found, record));
}

TEST(PixelFont, CodeListedTwiceAndSharedBitmaps) {
  std::string bytes = EncodePixelFont(FontHeader("Twice", 12),
                                      {GlyphSource(0x41, 2, 1, 0, 8, 3, 1), GlyphSource(0x42, 3, 2, 0, 8, 4, 50),
                                       GlyphSource(0x41, 4, 1, 0, 8, 5, 7), GlyphSource(0xE040, 3, 2, 1, 8, 4, 50)});
  TPixelFontManager manager;
  TPixelFontSection* section = manager.AddFontFile(WriteFont(bytes));
  ASSERT_NE(section, nullptr);
  // The later entry of a code wins the table; both stay in the index.
  EXPECT_EQ(section->GlyphNumber(0x41), 2);
  EXPECT_EQ(section->Find(0x41)->width, 4);
  EXPECT_EQ(section->Codes(), (std::vector<uint16_t>{0x41, 0x42, 0x41, 0xE040}));
  // Identical bitmaps are stored once and read the same through both records.
  EXPECT_EQ(section->Find(0x42)->offset, section->Find(0xE040)->offset);
  TDIBX a, b;
  ASSERT_TRUE(section->ReadBitmap(*section->Find(0x42), a));
  ASSERT_TRUE(section->ReadBitmap(*section->Find(0xE040), b));
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(a.GetPixel(x, y), b.GetPixel(x, y));
  }
}

TEST(PixelFont, RepeatedFilesAndFacesAreRefused) {
  TPixelFontManager manager;
  std::string first = WriteFont(EncodePixelFont(FontHeader("Face", 16), {GlyphSource(0x41, 1, 1, 0, 8, 2)}));
  ASSERT_NE(manager.AddFontFile(first), nullptr);
  struct TCase {
    const char* name;
    std::string path;
    bool accepted;
  };
  const TCase cases[] = {
      {"same file again", first, false},
      {"same face, size and weight", WriteFont(EncodePixelFont(FontHeader("Face", 16), {})), false},
      {"face in other case", WriteFont(EncodePixelFont(FontHeader("FACE", 16), {})), false},
      {"style bits beyond bold and italic", WriteFont(EncodePixelFont(FontHeader("Face", 16, 12), {})), false},
      {"bold", WriteFont(EncodePixelFont(FontHeader("Face", 16, 1), {})), true},
      {"italic", WriteFont(EncodePixelFont(FontHeader("Face", 16, 2), {})), true},
      {"other size", WriteFont(EncodePixelFont(FontHeader("Face", 17), {})), true},
  };
  size_t expected = 1;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TPixelFontSection* section = manager.AddFontFile(c.path);
    EXPECT_EQ(section != nullptr, c.accepted);
    if (c.accepted) ++expected;
    EXPECT_EQ(manager.SectionCount(), expected);
  }
  EXPECT_EQ(manager.Section(expected), nullptr);
}

TEST(PixelFont, DamagedFilesRaiseTheGameNameAndKeepNothing) {
  const std::string good = SampleFont();
  const uint32_t index_bytes = static_cast<uint8_t>(good[18]) | (static_cast<uint8_t>(good[19]) << 8);
  struct TCase {
    const char* name;
    std::function<void(std::string&)> damage;
  };
  const TCase cases[] = {
      {"empty file", [](std::string& b) { b.clear(); }},
      {"under 322 bytes", [](std::string& b) { b.resize(321); }},
      {"wrong magic", [](std::string& b) { b[4] = 'x'; }},
      {"index past the end", [](std::string& b) { PutU32(b, 18, static_cast<uint32_t>(b.size())); }},
      {"index ends early", [](std::string& b) { PutU32(b, 102, 4); }},
      {"index goes on", [](std::string& b) { PutU32(b, 102, 2); }},
      {"count negative", [](std::string& b) { PutU32(b, 102, 0xFFFFFFFF); }},
      {"count over 65535", [](std::string& b) { PutU32(b, 102, 65536); }},
      {"no index for the count", [](std::string& b) { PutU32(b, 18, 0); }},
      {"index not zlib", [index_bytes](std::string& b) { b[322 + index_bytes / 2] ^= 0x55; }},
      {"face without its zero byte", [](std::string& b) { std::memset(&b[26], 'F', 64); }},
      {"bitmap past the end", [](std::string& b) { b.pop_back(); }},
  };
  const std::string game_name = test::Sjis("フォント\\pix.oft");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.damage(bytes);
    TPixelFontManager manager;
    try {
      manager.AddFontFile(WriteFont(bytes), game_name);
      ADD_FAILURE() << "accepted";
    } catch (const EPixelFontError& error) {
      EXPECT_EQ(error.Message(), game_name + "\r\n" + test::Sjis("フォントファイルが破壊されています"));
    }
    EXPECT_EQ(manager.SectionCount(), 0u);
  }
}

}  // namespace
}  // namespace orvo
