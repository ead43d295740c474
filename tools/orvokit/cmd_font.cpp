// orvokit font: pixel-font files, the installed faces and glyph drawing, as
// the player sees them. Arguments and output are UTF-8; codes are CP932.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "kit.h"
#include "platform/locale.h"
#include "platform/system_fonts.h"
#include "surface/font_pixel_manager.h"
#include "surface/png_writer.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "font";

// A usage problem (exit 2).
struct TUsage {
  std::string problem;
};

std::string Code(uint16_t code) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", code);
  return text;
}

std::string Hex(const uint8_t* bytes, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 15]);
  }
  return out;
}

std::string ToCp932(const std::string& utf8) {
  std::string out;
  if (!TryUtf8ToCp932(utf8, out)) throw EOrvoError("text has characters without a CP932 code: " + utf8);
  return out;
}

int64_t ParseInteger(const std::string& option, const std::string& text) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > UINT32_MAX)
    throw TUsage{option + " needs a number"};
  return value;
}

std::pair<int32_t, int32_t> ParsePair(const std::string& option, const std::string& text) {
  size_t comma = text.find(',');
  if (comma == std::string::npos) throw TUsage{option + " needs X,Y"};
  return {static_cast<int32_t>(ParseInteger(option, text.substr(0, comma))),
          static_cast<int32_t>(ParseInteger(option, text.substr(comma + 1)))};
}

// The options of every font subcommand; each subcommand takes the ones it knows.
struct TOptions {
  std::vector<std::string> fonts;
  bool default_only = false;
  std::optional<std::string> face;
  std::optional<int32_t> size;
  uint8_t style = 0;
  int32_t mode = kGlyphModeSmooth;
  bool rows = false;
  bool fixed = false;
  bool unlisted = false;
  std::optional<std::string> name;
  std::string output;
  int32_t outline = 0, shadow = 0;
  int32_t colour = 0xFFFFFF, outline_colour = 0x808080, shadow_colour = 0, background = 0;
  int bits = 32;
  bool box = false;
  std::string cell = "advance";
  int32_t at_x = 0, at_y = 0;
  std::optional<std::pair<int32_t, int32_t>> canvas;
  std::optional<TRect> clip;
  std::vector<std::string> words;
};

TOptions ParseOptions(const std::vector<std::string>& args, size_t first, const std::vector<std::string>& allowed) {
  TOptions options;
  auto known = [&](const std::string& option) {
    for (const std::string& a : allowed) {
      if (a == option) return true;
    }
    return false;
  };
  for (size_t i = first; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      options.words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      for (++i; i < args.size(); ++i) options.words.push_back(args[i]);
      break;
    }
    if (!known(arg)) throw TUsage{"unknown option " + arg};
    bool flag = arg == "--default-only" || arg == "--rows" || arg == "--fixed" || arg == "--unlisted" || arg == "--box";
    std::string value;
    if (!flag) {
      if (i + 1 >= args.size()) throw TUsage{arg + " needs a value"};
      value = args[++i];
    }
    if (arg == "--font") {
      options.fonts.push_back(value);
    } else if (arg == "--default-only") {
      options.default_only = true;
    } else if (arg == "--face") {
      options.face = value;
    } else if (arg == "--size") {
      options.size = static_cast<int32_t>(ParseInteger(arg, value));
    } else if (arg == "--style") {
      int64_t style = ParseInteger(arg, value);
      if (style < 0 || style > 255) throw TUsage{"--style must be 0..255"};
      options.style = static_cast<uint8_t>(style);
    } else if (arg == "--mode") {
      if (value != "3" && value != "0") throw TUsage{"--mode must be 3 or 0"};
      options.mode = value == "0" ? kGlyphModeMono : kGlyphModeSmooth;
    } else if (arg == "--rows") {
      options.rows = true;
    } else if (arg == "--fixed") {
      options.fixed = true;
    } else if (arg == "--unlisted") {
      options.unlisted = true;
    } else if (arg == "--name") {
      options.name = value;
    } else if (arg == "-o") {
      options.output = value;
    } else if (arg == "--outline") {
      options.outline = static_cast<int32_t>(ParseInteger(arg, value));
      if (options.outline < 0 || options.outline > 64) throw TUsage{"--outline must be 0..64"};
    } else if (arg == "--shadow") {
      options.shadow = static_cast<int32_t>(ParseInteger(arg, value));
      if (options.shadow < 0 || options.shadow > 64) throw TUsage{"--shadow must be 0..64"};
    } else if (arg == "--color") {
      options.colour = static_cast<int32_t>(ParseInteger(arg, value));
    } else if (arg == "--outline-color") {
      options.outline_colour = static_cast<int32_t>(ParseInteger(arg, value));
    } else if (arg == "--shadow-color") {
      options.shadow_colour = static_cast<int32_t>(ParseInteger(arg, value));
    } else if (arg == "--background") {
      options.background = static_cast<int32_t>(ParseInteger(arg, value));
    } else if (arg == "--bits") {
      if (value != "32" && value != "16" && value != "15") throw TUsage{"--bits must be 32, 16 or 15"};
      options.bits = std::atoi(value.c_str());
    } else if (arg == "--box") {
      options.box = true;
    } else if (arg == "--cell") {
      if (value != "advance" && value != "fixed") {
        int64_t width = ParseInteger(arg, value);
        if (width < 0 || width > kMaxSurfaceSide) throw TUsage{"--cell must be advance, fixed or a width"};
      }
      options.cell = value;
    } else if (arg == "--at") {
      auto [x, y] = ParsePair(arg, value);
      options.at_x = x;
      options.at_y = y;
    } else if (arg == "--canvas") {
      options.canvas = ParsePair(arg, value);
    } else if (arg == "--clip") {
      std::vector<int32_t> parts;
      size_t start = 0;
      while (true) {
        size_t comma = value.find(',', start);
        parts.push_back(static_cast<int32_t>(ParseInteger(arg, value.substr(start, comma - start))));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      if (parts.size() != 4) throw TUsage{"--clip needs L,T,R,B"};
      options.clip = TRect{parts[0], parts[1], parts[2], parts[3]};
    }
  }
  return options;
}

// The glyph manager of a run: the installed faces, then the --font files.
struct TFontSetup {
  std::unique_ptr<ISystemFonts> system = CreateSystemFonts();
  TPixelFontManager pixel_fonts;
  std::unique_ptr<TFontPixelManager> glyphs;

  explicit TFontSetup(const TOptions& options) {
    glyphs = std::make_unique<TFontPixelManager>(
        system.get(), pixel_fonts, UserLanguageIsJapanese() ? TInstalledFilter::JapaneseOnly : TInstalledFilter::All);
    if (options.default_only) glyphs->UseDefaultFontsOnly();
    for (const std::string& file : options.fonts) pixel_fonts.AddFontFile(file);
  }
};

void RequireFaceAndSize(const TOptions& options) {
  if (!options.face) throw TUsage{"missing --face"};
  if (!options.size) throw TUsage{"missing --size"};
}

std::string OneText(const TOptions& options) {
  if (options.words.size() != 1) throw TUsage{"give exactly one TEXT"};
  return ToCp932(options.words[0]);
}

void PrintRows(const TDIBX& coverage) {
  for (int32_t y = 0; y < coverage.Height(); ++y)
    std::printf("row\t%s\n", Hex(coverage.Store().ScanLine(y), static_cast<size_t>(coverage.Width())).c_str());
}

int RunInfo(const std::vector<std::string>& args) {
  TOptions options = ParseOptions(args, 1, {"--rows"});
  if (options.words.size() != 1) throw TUsage{"give exactly one FILE.oft"};
  TPixelFontManager manager;
  TPixelFontSection* section = manager.AddFontFile(options.words[0]);
  if (!section) return 1;
  const TPixelFontHeader& header = section->Header();
  std::printf("face\t%s\nsize\t%d\nstyle\t%d\nascent\t%d\nunderline\t%d\nstrikeout\t%d\t%d\nlisted\t%d\n",
              Cp932ToUtf8(header.face).c_str(), header.size, header.style, header.ascent, header.underline_size,
              header.strike_position, header.strike_size, header.listed ? 1 : 0);
  std::printf("glyphs\t%d\nkey\t%s\n", header.count, Cp932ToUtf8(section->Name()).c_str());
  TDIBX coverage;
  for (uint32_t code = 0; code < 65536; ++code) {
    uint16_t number = section->GlyphNumber(static_cast<uint16_t>(code));
    if (number == 0xFFFF) continue;
    const TPixelGlyphRecord& r = section->Records()[number];
    std::printf("glyph\t%s\t%u\t%u\t%u\t%d\t%d\t%d\t%d\t%u\n", Code(static_cast<uint16_t>(code)).c_str(), number,
                r.IsBlank() ? 0u : r.width, r.IsBlank() ? 0u : r.height, r.origin_x, r.origin_y, r.advance_x,
                r.advance_y, r.offset);
    if (options.rows && !r.IsBlank()) {
      if (!section->ReadBitmap(r, coverage)) throw EOrvoError("cannot read " + options.words[0]);
      PrintRows(coverage);
    }
  }
  return 0;
}

const std::vector<std::string> kFontOptions = {"--font", "--default-only"};

std::vector<std::string> With(std::vector<std::string> more) {
  more.insert(more.end(), kFontOptions.begin(), kFontOptions.end());
  return more;
}

int RunGlyphs(const std::vector<std::string>& args) {
  TOptions options = ParseOptions(args, 1, With({"--face", "--size", "--style", "--mode", "--rows"}));
  RequireFaceAndSize(options);
  std::string text = OneText(options);
  std::string face = ToCp932(*options.face);
  TFontSetup setup(options);
  setup.glyphs->SetGlyphMode(options.mode);
  for (uint16_t code : CodesOfText(text)) {
    auto glyph = setup.glyphs->GetGlyph(code, face, options.style, *options.size);
    TGlyphMetrics m = setup.glyphs->GlyphMetrics(code, face, *options.size, options.style);
    std::printf("%s\t%s\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\n", Code(code).c_str(),
                glyph->Source() == TGlyphSource::PixelFont ? "pixel" : "system", glyph->Coverage().Width(),
                glyph->Coverage().Height(), glyph->Left(), glyph->Top(), glyph->RightPad(), glyph->UnderlineSize(),
                glyph->StrikePos(), glyph->StrikeSize(), m.left, m.width, m.right_pad);
    if (options.rows && !glyph->IsBlank()) PrintRows(glyph->Coverage());
  }
  return 0;
}

uint8_t Widen(uint32_t value, int bits) {
  if (bits == 8) return static_cast<uint8_t>(value);
  uint32_t wide = value << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) wide |= wide >> bits;
  return static_cast<uint8_t>(wide);
}

int RunDraw(const std::vector<std::string>& args) {
  TOptions options = ParseOptions(
      args, 1,
      With({"--face", "--size", "--style", "--mode", "--outline", "--shadow", "--color", "--outline-color",
            "--shadow-color", "--background", "--bits", "--box", "--cell", "--at", "--canvas", "--clip", "-o"}));
  RequireFaceAndSize(options);
  if (options.output.empty()) throw TUsage{"missing -o OUT.png"};
  std::string text = OneText(options);
  std::string face = ToCp932(*options.face);
  int32_t size = *options.size;
  TFontSetup setup(options);
  setup.glyphs->SetGlyphMode(options.mode);
  std::vector<uint16_t> codes = CodesOfText(text);
  std::vector<std::shared_ptr<const TFontPixel>> glyphs;
  for (uint16_t code : codes) glyphs.push_back(setup.glyphs->GetGlyph(code, face, options.style, size));

  int64_t extra = 2 * static_cast<int64_t>(options.outline) + options.shadow;
  int64_t cell_height = size + extra;
  std::vector<int64_t> widths;
  int64_t total = 0;
  for (const auto& glyph : glyphs) {
    int64_t width;
    if (options.cell == "advance") {
      width = glyph->Advance() + extra;
    } else if (options.cell == "fixed") {
      width = size + extra + ((options.style & gsItalic) ? size / 5 : 0);
    } else {
      width = ParseInteger("--cell", options.cell);
    }
    widths.push_back(width);
    total += width;
  }
  int64_t canvas_w = options.canvas ? options.canvas->first : options.at_x + total;
  int64_t canvas_h = options.canvas ? options.canvas->second : options.at_y + cell_height;
  if (canvas_w < 1 || canvas_h < 1 || canvas_w > kMaxSurfaceSide || canvas_h > kMaxSurfaceSide)
    throw EOrvoError("the canvas must be 1..32767 pixels wide and high");
  TDIBX destination, mask;
  destination.SetSize(static_cast<int32_t>(canvas_w), static_cast<int32_t>(canvas_h), options.bits);
  mask.SetSize(static_cast<int32_t>(canvas_w), static_cast<int32_t>(canvas_h), 8);
  destination.Clear(static_cast<uint32_t>(destination.ColorToPixel(options.background)));
  mask.Clear(0);
  TRect clip = options.clip ? *options.clip : destination.GetBounds();
  destination.SetClipRect(clip);
  mask.SetClipRect(clip);
  TGlyphPaint paint;
  paint.outline = options.outline;
  paint.shadow = options.shadow;
  paint.colour = static_cast<uint32_t>(destination.ColorToPixel(options.colour));
  paint.outline_colour = static_cast<uint32_t>(destination.ColorToPixel(options.outline_colour));
  paint.shadow_colour = static_cast<uint32_t>(destination.ColorToPixel(options.shadow_colour));
  paint.box = options.box ? TGlyphBox::Box : TGlyphBox::Blend;
  int64_t x = options.at_x;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    TRect cell{ClampToInt32(x), options.at_y, ClampToInt32(x + widths[i]), ClampToInt32(options.at_y + cell_height)};
    uint8_t edge = (i == 0 ? 1 : 0) | (i + 1 == glyphs.size() ? 2 : 0);
    paint.edge = static_cast<TRunEdge>(edge);
    TRect answer = glyphs[i]->DrawGlyph(destination, mask, cell, paint);
    std::printf("%s\t%d,%d,%d,%d\t%d,%d,%d,%d\n", Code(codes[i]).c_str(), cell.left, cell.top, cell.right, cell.bottom,
                answer.left, answer.top, answer.right, answer.bottom);
    x += widths[i];
  }
  int red_bits = __builtin_popcount(destination.RedMask()), green_bits = __builtin_popcount(destination.GreenMask()),
      blue_bits = __builtin_popcount(destination.BlueMask());
  int red_shift = __builtin_ctz(destination.RedMask()), green_shift = __builtin_ctz(destination.GreenMask());
  std::vector<uint8_t> rgba(static_cast<size_t>(canvas_w * canvas_h) * 4);
  for (int32_t y = 0; y < canvas_h; ++y) {
    for (int32_t px = 0; px < canvas_w; ++px) {
      uint32_t p = destination.GetPixel(px, y);
      uint8_t* out = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(canvas_w) + static_cast<size_t>(px)) * 4];
      out[0] = Widen((p & destination.RedMask()) >> red_shift, red_bits);
      out[1] = Widen((p & destination.GreenMask()) >> green_shift, green_bits);
      out[2] = Widen(p & destination.BlueMask(), blue_bits);
      out[3] = static_cast<uint8_t>(mask.GetPixel(px, y));
    }
  }
  SavePngRgba(options.output, static_cast<int>(canvas_w), static_cast<int>(canvas_h), rgba.data(),
              static_cast<size_t>(canvas_w) * 4);
  return 0;
}

int RunMake(const std::vector<std::string>& args) {
  TOptions options = ParseOptions(args, 1, {"--face", "--size", "--style", "--name", "--unlisted", "-o"});
  RequireFaceAndSize(options);
  if (options.output.empty()) throw TUsage{"missing -o OUT.oft"};
  std::string text = OneText(options);
  std::string face = ToCp932(*options.face);
  int32_t size = *options.size;
  TFontSetup setup(options);
  setup.glyphs->SetGlyphMode(kGlyphModeSmooth);
  TSystemFontMetrics metrics;
  if (!setup.glyphs->SystemMetrics(face, size, options.style, metrics))
    throw EOrvoError("the face cannot be made at this size");
  TPixelFontHeader header;
  header.face = options.name ? ToCp932(*options.name) : face;
  if (header.face.empty() || header.face.size() >= kPixelFontFaceBytes)
    throw EOrvoError("the face name must be 1..63 bytes in CP932");
  header.size = size;
  header.style = options.style & (gsBold | gsItalic);
  header.ascent = metrics.ascent;
  header.underline_size = metrics.underline_size;
  header.strike_position = metrics.strike_position;
  header.strike_size = metrics.strike_size;
  header.listed = !options.unlisted;
  std::vector<TPixelGlyphSource> sources;
  std::map<uint16_t, bool> seen;
  for (uint16_t code : CodesOfText(text)) {
    if (!seen.emplace(code, true).second) continue;
    auto glyph = setup.glyphs->GetGlyph(code, face, options.style, size);
    TPixelGlyphSource source;
    source.code = code;
    source.origin_x = static_cast<int16_t>(glyph->Left());
    source.origin_y = static_cast<int16_t>(metrics.ascent - glyph->Top());
    source.advance_x = static_cast<int16_t>(glyph->Advance());
    if (!glyph->IsBlank()) {
      source.width = static_cast<uint16_t>(glyph->Coverage().Width());
      source.height = static_cast<uint16_t>(glyph->Coverage().Height());
      for (int32_t y = 0; y < glyph->Coverage().Height(); ++y) {
        const uint8_t* row = glyph->Coverage().Store().ScanLine(y);
        source.rows.insert(source.rows.end(), row, row + source.width);
      }
    }
    sources.push_back(std::move(source));
  }
  WriteFileAtomically(options.output, EncodePixelFont(header, sources));
  return 0;
}

int RunList(const std::vector<std::string>& args) {
  TOptions options = ParseOptions(args, 1, With({"--fixed"}));
  if (!options.words.empty()) throw TUsage{"list takes no TEXT"};
  TFontSetup setup(options);
  std::vector<std::string> faces;
  setup.glyphs->ListFonts(faces, options.fixed ? TFontListing::FixedOnly : TFontListing::All);
  for (const std::string& face : faces) std::printf("%s\n", Cp932ToUtf8(face).c_str());
  return 0;
}

int RunWhich(const std::vector<std::string>& args) {
  TOptions options = ParseOptions(args, 1, kFontOptions);
  if (options.words.size() != 1) throw TUsage{"give exactly one FACE"};
  TFontSetup setup(options);
  const TInstalledFont* font = setup.glyphs->FindFont(ToCp932(options.words[0]));
  if (!font) {
    std::fprintf(stderr, "orvokit font: %s is not installed\n", options.words[0].c_str());
    return 1;
  }
  std::printf("%s\t%s\n", Cp932ToUtf8(font->family).c_str(), font->file.c_str());
  return 0;
}

int RunFont(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kName, "missing info, glyphs, draw, make, list or which");
  static const std::map<std::string, int (*)(const std::vector<std::string>&)> kSubcommands = {
      {"info", RunInfo}, {"glyphs", RunGlyphs}, {"draw", RunDraw},
      {"make", RunMake}, {"list", RunList},     {"which", RunWhich}};
  auto found = kSubcommands.find(args[0]);
  if (found == kSubcommands.end()) return UsageError(kName, "unknown subcommand " + args[0]);
  try {
    return found->second(args);
  } catch (const TUsage& usage) {
    return UsageError(kName, args[0] + ": " + usage.problem);
  }
}

const bool kRegistered = RegisterCommand(
    {kName,
     "info FILE.oft [--rows] | glyphs [FONTS] --face F --size N [--style N] [--mode 3|0] [--rows] TEXT | "
     "draw [FONTS] --face F --size N [--style N] [--mode 3|0] [--outline O] [--shadow S] [--color C] "
     "[--outline-color C] [--shadow-color C] [--background C] [--bits 32|16|15] [--box] "
     "[--cell advance|fixed|W] [--at X,Y] [--canvas W,H] [--clip L,T,R,B] -o OUT.png TEXT | "
     "make --face F --size N [--style N] [--name FACE] [--unlisted] -o OUT.oft TEXT | "
     "list [FONTS] [--fixed] | which [FONTS] FACE   (FONTS: --font FILE.oft ... --default-only)",
     "pixel fonts, installed faces and glyph drawing", RunFont});

}  // namespace
}  // namespace orvo::kit
