// orvokit text layout|reveal|render: lays a message text out as a message
// window of a given size would, and prints the rows, steps the reveal frame
// by frame, or draws a page into a PNG.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/game_fonts.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/random.h"
#include "base/stream.h"
#include "data/file_manager.h"
#include "data/mount.h"
#include "game_pictures.h"
#include "kit.h"
#include "platform/locale.h"
#include "platform/system_fonts.h"
#include "stage/picture_cache.h"
#include "stage/text_pictures.h"
#include "surface/dib_surface.h"
#include "surface/font_pixel_manager.h"
#include "surface/picture_io.h"
#include "surface/pixel_font.h"
#include "text/glyph_dump.h"
#include "text/kw_word.h"
#include "text/layout_dump.h"
#include "text/markup.h"
#include "text/markup_writer.h"
#include "text/render.h"
#include "text/reveal.h"
#include "text_layout.h"
#include "var_declare.h"
#include "vars/convert.h"
#include "vars/engine.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "text";

struct TUsage {
  std::string problem;
};

struct TLayoutOptions {
  std::string action;
  std::string input;
  bool stream = false;
  bool utf8 = false;
  int32_t text_delay = kDefaultTextDelay;
  std::vector<std::string> variables;
  std::vector<std::string> frozen;
  int32_t width = -1, height = -1;
  int32_t font_size = 12;
  std::string face;  // CP932; empty: the document's
  int32_t line_space = 0, pad_left = 0, pad_right = 0, border = 0, shadow = 0;
  bool no_paging = false;
  std::string key = "mes";
  std::map<std::string, std::pair<int32_t, int32_t>> pictures;  // upper-case name -> size
  std::string game;
  std::vector<std::string> fonts;
  bool measured = false;
  // reveal and render
  int32_t page = 0;
  int32_t speed = 256;
  int32_t fade = 1;
  bool notify = false;
  std::vector<int32_t> deltas;
  bool have_deltas = false;
  int32_t scroll = 0;
  bool have_scroll = false;
  int32_t color = -2, link_color = -2;  // -2: the document's
  int32_t background = 0xFFFFFF;
  std::string output;
};

// Frames a reveal run may ask for.
constexpr size_t kMaxFrames = 1000000;

std::vector<int32_t> ParseDeltas(const std::string& list) {
  std::vector<int32_t> deltas;
  size_t start = 0;
  while (true) {
    size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
    size_t star = item.find('*');
    int32_t ms = 0, count = 1;
    if (!TryTextToInt(item.substr(0, star), ms) ||
        (star != std::string::npos && (!TryTextToInt(item.substr(star + 1), count) || count < 0))) {
      throw TUsage{"--deltas needs MS or MS*COUNT, comma-separated"};
    }
    if (deltas.size() + static_cast<size_t>(count) > kMaxFrames) throw TUsage{"--deltas asks for too many frames"};
    deltas.insert(deltas.end(), static_cast<size_t>(count), ms);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return deltas;
}

int32_t ParseInt(const std::string& option, const std::string& text) {
  int32_t value = 0;
  if (!TryTextToInt(text, value)) throw TUsage{option + " needs a number"};
  return value;
}

// Colours are written 0xBBGGRR (or decimal); -1 is none.
int32_t ParseColor(const std::string& option, const std::string& text) {
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!hex) return ParseInt(option, text);
  uint32_t value = 0;
  for (size_t i = 2; i < text.size(); ++i) {
    char c = text[i];
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0 || i > 9) throw TUsage{option + " needs a colour 0xBBGGRR"};
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(value);
}

TLayoutOptions Parse(const std::vector<std::string>& args) {
  TLayoutOptions options;
  options.action = args[0];
  bool have_input = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw TUsage{arg + " needs a value"};
      return args[++i];
    };
    if (arg == "--stream") {
      options.stream = true;
    } else if (arg == "--utf8") {
      options.utf8 = true;
    } else if (arg == "--text-delay") {
      options.text_delay = ParseInt(arg, value());
    } else if (arg == "--var") {
      options.variables.push_back(value());
    } else if (arg == "--frozen") {
      std::string text = value();
      if (text.find('=') == std::string::npos) throw TUsage{"--frozen needs NAME=VALUE"};
      options.frozen.push_back(text);
    } else if (arg == "--width") {
      options.width = ParseInt(arg, value());
    } else if (arg == "--height") {
      options.height = ParseInt(arg, value());
    } else if (arg == "--font-size") {
      options.font_size = ParseInt(arg, value());
    } else if (arg == "--face") {
      options.face = ArgumentToCp932(value());
    } else if (arg == "--line-space") {
      options.line_space = ParseInt(arg, value());
    } else if (arg == "--pad-left") {
      options.pad_left = ParseInt(arg, value());
    } else if (arg == "--pad-right") {
      options.pad_right = ParseInt(arg, value());
    } else if (arg == "--border") {
      options.border = ParseInt(arg, value());
    } else if (arg == "--shadow") {
      options.shadow = ParseInt(arg, value());
    } else if (arg == "--no-paging") {
      options.no_paging = true;
    } else if (arg == "--key") {
      options.key = ArgumentToCp932(value());
    } else if (arg == "--picture") {
      std::string text = value();
      size_t equals = text.rfind('=');
      size_t times = equals == std::string::npos ? std::string::npos : text.find('x', equals);
      int32_t w = 0, h = 0;
      if (equals == std::string::npos || times == std::string::npos ||
          !TryTextToInt(text.substr(equals + 1, times - equals - 1), w) || !TryTextToInt(text.substr(times + 1), h) ||
          w < 0 || h < 0) {
        throw TUsage{"--picture needs NAME=WxH"};
      }
      options.pictures[UpperAscii(ArgumentToCp932(text.substr(0, equals)))] = {w, h};
    } else if (arg == "--game") {
      options.game = value();
    } else if (arg == "--font") {
      options.fonts.push_back(value());
    } else if (arg == "--measured") {
      options.measured = true;
    } else if ((options.action == "reveal" || options.action == "render") && arg == "--page") {
      options.page = ParseInt(arg, value());
      if (options.page < 0) throw TUsage{"--page must be 0 or more"};
    } else if (options.action == "reveal" && arg == "--speed") {
      options.speed = ParseInt(arg, value());
    } else if (options.action == "reveal" && arg == "--fade") {
      options.fade = ParseInt(arg, value());
    } else if (options.action == "reveal" && arg == "--notify") {
      options.notify = true;
    } else if (options.action == "reveal" && arg == "--deltas") {
      options.deltas = ParseDeltas(value());
      options.have_deltas = true;
    } else if (options.action == "render" && arg == "--scroll") {
      options.scroll = ParseInt(arg, value());
      options.have_scroll = true;
    } else if (options.action == "render" && arg == "--color") {
      options.color = ParseColor(arg, value());
    } else if (options.action == "render" && arg == "--link-color") {
      options.link_color = ParseColor(arg, value());
    } else if (options.action == "render" && arg == "--background") {
      options.background = ParseColor(arg, value());
    } else if (options.action == "render" && arg == "-o") {
      options.output = value();
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw TUsage{"unknown option '" + arg + "'"};
    } else {
      if (have_input) throw TUsage{"one input only"};
      options.input = arg;
      have_input = true;
    }
  }
  if (!have_input) throw TUsage{"no input (FILE or -)"};
  if (options.width < 0 || options.height < 0) throw TUsage{"--width W and --height H (0 or more) are required"};
  if (options.action == "reveal" && !options.have_deltas) throw TUsage{"reveal needs --deltas LIST"};
  if (options.action == "render" && options.output.empty()) throw TUsage{"render needs -o OUT.png"};
  return options;
}

// Pictures of --picture: sizes without files.
class TSizedPictures : public ITextPictures {
 public:
  explicit TSizedPictures(const std::map<std::string, std::pair<int32_t, int32_t>>& sizes) : sizes_(sizes) {}
  // Pictures without a size of their own come from there (the mounted game).
  ITextPictures* fallback = nullptr;
  bool PictureSize(std::string_view source, int32_t& width, int32_t& height) override {
    auto it = sizes_.find(UpperAscii(source));
    if (it == sizes_.end()) return fallback && fallback->PictureSize(source, width, height);
    width = it->second.first;
    height = it->second.second;
    return true;
  }
  TTextPictureFrame Frame(std::string_view source) override { return FrameAt(source, 0); }
  int32_t FrameCount(std::string_view source) override { return Own(source) ? 1 : fallback->FrameCount(source); }
  int32_t FrameDelay(std::string_view source, int32_t index) override {
    return Own(source) ? 1 : fallback->FrameDelay(source, index);
  }
  TTextPictureFrame FrameAt(std::string_view source, int32_t index) override {
    return Own(source) ? TTextPictureFrame{} : fallback->FrameAt(source, index);
  }

 private:
  // Pictures of --picture (or every picture without a game) draw nothing.
  bool Own(std::string_view source) const { return !fallback || sizes_.count(UpperAscii(source)) > 0; }
  const std::map<std::string, std::pair<int32_t, int32_t>>& sizes_;
};

bool ReadInput(const std::string& path, std::string& bytes) {
  if (path == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return !std::cin.bad();
  }
  return ReadWholeFile(path, bytes);
}

bool IsCharOrPicture(const TWdGlyph* glyph) {
  TGlyphKind kind = glyph->Kind();
  return kind == TGlyphKind::Char || kind == TGlyphKind::VarChar || kind == TGlyphKind::Img;
}

int Reveal(TKwWord& document, TWdPage& page, const TLayoutOptions& options) {
  document.speed_rate = options.speed;
  document.fade_time = options.fade;
  document.notify_enabled = options.notify;
  std::vector<std::string> fired;
  document.event_callback = [&fired](TKwWord&, std::string_view text) { fired.emplace_back(text); };
  SetOpacityAll(page, 0);
  std::string out;
  for (size_t frame = 0; frame < options.deltas.size(); ++frame) {
    fired.clear();
    TRevealStep step = StepReveal(page, options.deltas[frame]);
    int32_t revealed = 0, opaque = 0;
    for (int32_t r = 0; r < page.ChildCount(); ++r) {
      const TWdRow* row = page.Row(r);
      for (int32_t c = 0; c < row->ChildCount(); ++c) {
        const TWdGlyph* glyph = row->Child(c);
        if (!IsCharOrPicture(glyph)) continue;
        if (r < page.row_index || (r == page.row_index && c < page.column_index)) ++revealed;
        if (glyph->Opacity() == 255) ++opaque;
      }
    }
    const int64_t fields[] = {static_cast<int64_t>(frame + 1),
                              revealed,
                              opaque,
                              step.just_finished ? 1 : 0,
                              document.caret_x,
                              document.caret_y,
                              document.caret_height};
    std::string line;
    for (int64_t field : fields) {
      if (!line.empty()) line += '\t';
      line += std::to_string(field);
    }
    for (const std::string& event : fired) {
      line += '\t';
      line += DumpText(event);
    }
    line += '\n';
    out += line;
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

int Render(TKwWord& document, TWdPage& page, const TLayoutOptions& options) {
  if (options.width < 1 || options.height < 1) throw TUsage{"render needs --width and --height of 1 or more"};
  if (options.width > kMaxSurfaceSide || options.height > kMaxSurfaceSide) throw TUsage{"the surface is too large"};
  if (options.color != -2) document.default_color = options.color;
  if (options.link_color != -2) document.link_color = options.link_color;
  page.scroll_offset = options.scroll;
  Prepare(page, true);
  SetOpacityAll(page, 255);
  TDIBX canvas;
  canvas.SetSize(options.width, options.height, 32);
  canvas.FillRect(MakeRect(0, 0, options.width, options.height),
                  static_cast<uint32_t>(canvas.ColorToPixel(options.background)));
  document.target = &canvas;
  document.draw_origin_x = 0;
  document.draw_origin_y = 0;
  document.clip_rect = MakeRect(0, 0, options.width, options.height);
  Draw(page);
  SavePng(options.output, canvas.Store());
  return 0;
}

int Run(const TLayoutOptions& options) {
  THeadlessSystemHost host;
  TProcessRandom random;
  random.Seed(1);
  TExprEngine engine(host, random);
  engine.Store().SetTextDelay(options.text_delay);
  for (const std::string& declaration : options.variables) {
    std::string problem;
    if (!DeclareVariable(engine.Store(), declaration, problem)) throw TUsage{problem};
  }
  std::string bytes;
  if (!ReadInput(options.input, bytes)) {
    std::fprintf(stderr, "orvokit text: cannot read %s\n", options.input.c_str());
    return 1;
  }
  TKwWord document;
  document.engine = &engine;
  if (options.stream) {
    TMemoryStream stream(bytes);
    document.LoadGlyphs(stream);
  } else {
    if (options.utf8) {
      std::string cp932;
      if (!TryUtf8ToCp932(bytes, cp932)) {
        std::fprintf(stderr, "orvokit text: the input is not UTF-8 text that CP932 can hold\n");
        return 1;
      }
      bytes = std::move(cp932);
    }
    document.BuildFromMarkup(SplitMarkupLines(bytes));
  }
  for (const std::string& line : options.frozen) document.frozen_values.push_back(ArgumentToCp932(line));
  document.ExpandVars(0, -1, THistoryVars::Skip);

  // Fonts: the installed faces, the game's pixel fonts when a game is
  // mounted, and the --font files.
  std::unique_ptr<TGameFonts> game_fonts;
  std::unique_ptr<ISystemFonts> system;
  TPixelFontManager pixel_fonts;
  std::unique_ptr<TFontPixelManager> glyphs;
  TVrFileManager files;
  TGamePictureFiles picture_files(files);
  TDovaCollection cache;
  std::unique_ptr<ITextPictures> game_pictures;
  TSizedPictures sized_pictures(options.pictures);
  document.pictures = &sized_pictures;
  if (!options.game.empty()) {
    game_fonts = std::make_unique<TGameFonts>(CreateSystemFonts(), TDefaultFontsOnly::No);
    game_fonts->Attach(files);
    MountGameData(files, {"", {options.game}});
    for (const std::string& file : options.fonts) {
      if (!game_fonts->PixelFonts().AddFontFile(file)) return 1;
    }
    document.fonts = &game_fonts->Glyphs();
    cache.SetFiles(&picture_files);
    game_pictures = std::make_unique<TTextPictureCache>(cache);
    sized_pictures.fallback = game_pictures.get();
  } else if (options.measured || options.action == "render" || !options.fonts.empty()) {
    system = CreateSystemFonts();
    glyphs = std::make_unique<TFontPixelManager>(
        system.get(), pixel_fonts, UserLanguageIsJapanese() ? TInstalledFilter::JapaneseOnly : TInstalledFilter::All);
    for (const std::string& file : options.fonts) {
      if (!pixel_fonts.AddFontFile(file)) return 1;
    }
    document.fonts = glyphs.get();
  }

  document.layout_width = options.width;
  document.layout_height = options.height;
  document.default_font_size = options.font_size;
  if (!options.face.empty()) document.default_face_name = options.face;
  document.line_spacing = options.line_space;
  document.padding_left = options.pad_left;
  document.padding_right = options.pad_right;
  document.default_border_width = options.border;
  document.default_shadow_width = options.shadow;
  // A scroll offset only moves a text laid out without paging.
  document.paging = !options.no_paging && !options.have_scroll;
  document.fixed_advance = !options.measured;

  std::vector<std::unique_ptr<TWdPage>> pages;
  document.Layout(pages, 0, options.key, -1);
  if (options.action == "layout") {
    std::fputs(DumpLayout(document, pages).c_str(), stdout);
    return 0;
  }
  if (options.page >= static_cast<int32_t>(pages.size())) {
    std::fprintf(stderr, "orvokit text: the text has %zu pages\n", pages.size());
    return 1;
  }
  TWdPage& page = *pages[static_cast<size_t>(options.page)];
  if (options.action == "reveal") return Reveal(document, page, options);
  if (options.action == "render") return Render(document, page, options);
  throw TUsage{"unknown action '" + options.action + "'"};
}

}  // namespace

bool IsTextLayoutAction(const std::string& action) {
  return action == "layout" || action == "reveal" || action == "render";
}

int RunTextLayout(const std::vector<std::string>& args) {
  try {
    return Run(Parse(args));
  } catch (const TUsage& usage) {
    return UsageError(kName, usage.problem);
  } catch (const EOrvoError& error) {
    std::fprintf(stderr, "orvokit text: %s\n", error.what());
    return 1;
  }
}

}  // namespace orvo::kit
