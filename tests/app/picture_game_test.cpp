// A whole game that shows plain PNG and bitmap pictures: built from source,
// played headless, and judged by the pixels of a screenshot, from the loose
// folder and from game.dat.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"
#include "data/zlib_codec.h"
#include "support/png_file.h"
#include "support/test_support.h"
#include "surface/picture_io.h"

namespace orvo {
namespace {

std::string Player() { return test::BuildDir() + "/bin/orvoplayer"; }
std::string Kit() { return test::BuildDir() + "/bin/orvokit"; }

struct TRgba {
  uint8_t r, g, b, a;
};

// 8 x 8 pictures whose left half is one colour and right half another.
std::vector<TRgba> Halves(TRgba left, TRgba right) {
  std::vector<TRgba> pixels;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pixels.push_back(x < 4 ? left : right);
  return pixels;
}

void Append32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

void AppendChunk(std::string& png, const char* type, const std::string& data) {
  Append32(png, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  Append32(png, Crc32(body));
}

enum class TPngKind { Rgb, Rgba };

// An 8-bit PNG of 8 x 8 pixels; key (R, G, B) adds a tRNS colour key.
std::string Png(const std::vector<TRgba>& pixels, TPngKind kind, const TRgba* key = nullptr) {
  const bool alpha = kind == TPngKind::Rgba;
  std::string header;
  Append32(header, 8);
  Append32(header, 8);
  header += std::string{8, static_cast<char>(alpha ? 6 : 2), 0, 0, 0};
  std::string raw;
  for (int y = 0; y < 8; ++y) {
    raw += '\0';
    for (int x = 0; x < 8; ++x) {
      const TRgba& p = pixels[static_cast<size_t>(y * 8 + x)];
      raw += {static_cast<char>(p.r), static_cast<char>(p.g), static_cast<char>(p.b)};
      if (alpha) raw += static_cast<char>(p.a);
    }
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  AppendChunk(png, "IHDR", header);
  if (key)
    AppendChunk(png, "tRNS",
                std::string{0, static_cast<char>(key->r), 0, static_cast<char>(key->g), 0, static_cast<char>(key->b)});
  std::vector<uint8_t> packed = DeflateBytes(raw);
  AppendChunk(png, "IDAT", std::string(packed.begin(), packed.end()));
  AppendChunk(png, "IEND", "");
  return png;
}

// A bottom-up Windows bitmap of 8 x 8 pixels, 24 or 32 bits (alpha in the fourth byte).
std::string Bmp(const std::vector<TRgba>& pixels, int bits) {
  const uint32_t row = bits == 32 ? 32 : 24, size = 54 + row * 8;
  std::string bmp(54, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  auto put32 = [&bmp](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bmp[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  };
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, 8);
  put32(22, 8);
  bmp[26] = 1;
  bmp[28] = static_cast<char>(bits);
  for (int y = 7; y >= 0; --y) {
    for (int x = 0; x < 8; ++x) {
      const TRgba& p = pixels[static_cast<size_t>(y * 8 + x)];
      bmp += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r)};
      if (bits == 32) bmp += static_cast<char>(p.a);
    }
  }
  return bmp;
}

constexpr TRgba kGrey{0x80, 0x80, 0x80, 255};
constexpr TRgba kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255};
constexpr TRgba kYellow{255, 255, 0, 255}, kCyan{0, 255, 255, 255}, kMagenta{255, 0, 255, 255};
constexpr TRgba kWhite{255, 255, 255, 255};
constexpr TRgba kClear{255, 255, 255, 0};

struct TPlaced {
  const char* file;  // the source the page names
  int left, top;     // where the page puts it
  TRgba left_half;   // what the screenshot shows at (left + 1, top + 1)
  TRgba right_half;  // ... and at (left + 6, top + 6)
};

// The game: a grey box under five pictures, and the fixtures the pictures come from.
void WriteGame(const std::string& source, const std::vector<TPlaced>& placed) {
  test::WriteFile(source + "/settings.ini", "[project]\ntitle = P\nwidth = 64\nheight = 48\nstart_page = start.osb\n");
  test::WriteFile(source + "/alpha.png", Png(Halves(kRed, kClear), TPngKind::Rgba));
  test::WriteFile(source + "/keyed.png", Png(Halves(kBlue, kGreen), TPngKind::Rgb, &kGreen));
  test::WriteFile(source + "/opaque.png", Png(Halves(kYellow, kWhite), TPngKind::Rgb));
  ASSERT_EQ(test::RunCommand("mkdir " + source + "/pics"), 0);
  test::WriteFile(source + "/pics/alpha.bmp", Bmp(Halves(kCyan, kClear), 32));
  test::WriteFile(source + "/pics/opaque.dib", Bmp(Halves(kMagenta, kWhite), 24));
  std::string page = "box PR_NAME=\"ground\", PR_WIDTH=64, PR_HEIGHT=48, PR_COLOR=$808080\n";
  for (size_t i = 0; i < placed.size(); ++i) {
    page += "image PR_NAME=\"p" + std::to_string(i) + "\", PR_SOURCE=\"" + placed[i].file +
            "\", PR_LEFT=" + std::to_string(placed[i].left) + ", PR_TOP=" + std::to_string(placed[i].top) + "\n";
  }
  page += "wait 200\n";
  test::WriteFile(source + "/start.src", page);
}

TDIBSurface ReadShot(const std::string& path) { return test::ReadPngFile(path); }

TRgba PixelAt(const TDIBSurface& picture, int x, int y) {
  const uint8_t* p = picture.ScanLine(y) + static_cast<size_t>(x) * 3;
  return TRgba{p[2], p[1], p[0], 255};
}

std::string Show(TRgba c) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

TEST(PictureGame, PngAndBitmapSourcesShowWithTheirMasksAndKeysFromFolderAndArchive) {
  const std::vector<TPlaced> placed = {
      {"alpha.png", 2, 2, kRed, kGrey},                // alpha 0 lets the ground through
      {"keyed.png", 14, 2, kBlue, kGrey},              // the tRNS colour is transparent
      {"opaque.png", 26, 2, kYellow, kWhite},          // no key, no alpha: every pixel
      {"PICS\\Alpha.BMP", 2, 20, kCyan, kGrey},        // the fourth byte is the mask
      {"pics\\opaque.dib", 14, 20, kMagenta, kWhite},  // 24 bits: opaque
  };
  const std::string source = test::MakeTempDir("picture-game");
  ASSERT_NO_FATAL_FAILURE(WriteGame(source, placed));
  for (const char* form : {"", "--archive"}) {
    SCOPED_TRACE(*form ? form : "loose folder");
    std::string out = test::MakeTempDir("picture-game-out"), output;
    ASSERT_EQ(test::RunCommand(Kit() + " build " + source + " -o " + out + " " + form, &output), 0) << output;
    if (*form) {
      ASSERT_EQ(test::RunCommand("test ! -e " + out + "/alpha.png"), 0) << "the archive alone holds them";
    }
    const std::string shot = out + "/shot.png";
    ASSERT_EQ(
        test::RunCommand(Player() + " " + out + " --headless --fixed-step 15 --frames 5 --shot 3:" + shot, &output), 0)
        << output;
    TDIBSurface picture = ReadShot(shot);
    ASSERT_EQ(picture.Width(), 64);
    for (const TPlaced& p : placed) {
      EXPECT_EQ(Show(PixelAt(picture, p.left + 1, p.top + 1)), Show(p.left_half)) << p.file;
      EXPECT_EQ(Show(PixelAt(picture, p.left + 6, p.top + 6)), Show(p.right_half)) << p.file;
      EXPECT_EQ(Show(PixelAt(picture, p.left + 9, p.top + 4)), Show(kGrey)) << p.file << " is 8 pixels wide";
    }
  }
}

}  // namespace
}  // namespace orvo
