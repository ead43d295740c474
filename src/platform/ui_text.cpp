#include "platform/ui_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace orvo {

namespace {

std::u32string DecodeUtf8(const std::string& text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) code = (code << 6) | (text[i + k] & 0x3F);
    out.push_back(code);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

}  // namespace

std::string FindUiFontFile() {
  // The usual places of the IPA Gothic font first: asking fontconfig costs
  // tens of milliseconds of start-up.
  for (const char* known :
       {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf"}) {
    if (FILE* file = std::fopen(known, "rb")) {
      std::fclose(file);
      return known;
    }
  }
  std::string path;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic:lang=ja"));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  if (match) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return path;
}

struct TUiFont::TState {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

TUiFont::TUiFont() : state_(std::make_unique<TState>()) {
  std::string file = FindUiFontFile();
  if (file.empty() || FT_Init_FreeType(&state_->library) != 0) return;
  if (FT_New_Face(state_->library, file.c_str(), 0, &state_->face) != 0) state_->face = nullptr;
}

TUiFont::~TUiFont() {
  if (state_->face) FT_Done_Face(state_->face);
  if (state_->library) FT_Done_FreeType(state_->library);
}

bool TUiFont::Ready() const { return state_->face != nullptr; }

int TUiFont::MeasureText(const std::string& utf8, int pixel_height) {
  if (!Ready() || pixel_height <= 0) return 0;
  FT_Face face = state_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_height));
  int width = 0;
  for (char32_t code : DecodeUtf8(utf8)) {
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) == 0) width += static_cast<int>(face->glyph->advance.x >> 6);
  }
  return std::max(width, 1);
}

int TUiFont::LineHeight(int pixel_height) {
  if (!Ready() || pixel_height <= 0) return 0;
  FT_Set_Pixel_Sizes(state_->face, 0, static_cast<FT_UInt>(pixel_height));
  return std::max(static_cast<int>(state_->face->size->metrics.height >> 6), 1);
}

TUiImage TUiFont::RenderText(const std::string& utf8, int pixel_height, uint32_t rgb) {
  TUiImage image;
  if (!Ready() || pixel_height <= 0) return image;
  FT_Face face = state_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_height));
  std::u32string text = DecodeUtf8(utf8);
  int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
  int height = static_cast<int>(face->size->metrics.height >> 6);
  int width = 0;
  for (char32_t code : text) {
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) == 0) width += static_cast<int>(face->glyph->advance.x >> 6);
  }
  image.width = std::max(width, 1);
  image.height = std::max(height, 1);
  image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), rgb & 0xFFFFFF);
  int pen = 0;
  for (char32_t code : text) {
    if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      int y = ascender - glyph->bitmap_top + static_cast<int>(row);
      if (y < 0 || y >= image.height) continue;
      for (unsigned column = 0; column < bitmap.width; ++column) {
        int x = pen + glyph->bitmap_left + static_cast<int>(column);
        if (x < 0 || x >= image.width) continue;
        uint32_t coverage = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column];
        uint32_t& pixel =
            image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
        uint32_t alpha = std::max(pixel >> 24, coverage);
        pixel = (alpha << 24) | (rgb & 0xFFFFFF);
      }
    }
    pen += static_cast<int>(glyph->advance.x >> 6);
  }
  return image;
}

}  // namespace orvo
