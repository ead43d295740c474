#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/system_fonts.h"

namespace orvo {

namespace {

// The largest cell a game may ask for; larger requests fail (blank glyphs)
// instead of rasterising megabytes per character.
constexpr int32_t kMaxCellSize = 1024;

struct TFaceFile {
  std::string file;
  int index = 0;
  bool operator<(const TFaceFile& other) const { return file != other.file ? file < other.file : index < other.index; }
};

// A family's faces by style bits (0 regular, 1 bold, 2 italic, 3 both); a
// missing style is synthesised from the regular face.
struct TFamilyFiles {
  std::array<TFaceFile, 4> styles;
  std::array<bool, 4> present{};
};

std::string LowerAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string GetString(FcPattern* pattern, const char* object, int n) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, n, &value) != FcResultMatch || !value) return {};
  return reinterpret_cast<const char*>(value);
}

int GetInt(FcPattern* pattern, const char* object, int fallback) {
  int value = 0;
  return FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch ? value : fallback;
}

bool CoversJapanese(FcPattern* pattern) {
  FcLangSet* langs = nullptr;
  if (FcPatternGetLangSet(pattern, FC_LANG, 0, &langs) != FcResultMatch || !langs) return false;
  return FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) != FcLangDifferentLang;
}

// Style bits of a face: bold from weight, italic from slant.
int StyleBits(FcPattern* pattern) {
  int bits = 0;
  if (GetInt(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_BOLD) bits |= 1;
  if (GetInt(pattern, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN) bits |= 2;
  return bits;
}

// How far a face is from the plain regular one: chosen as the family's base.
int RegularDistance(FcPattern* pattern) {
  return std::abs(GetInt(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR) - FC_WEIGHT_REGULAR) +
         (GetInt(pattern, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN ? 1000 : 0) +
         (GetInt(pattern, FC_WIDTH, FC_WIDTH_NORMAL) != FC_WIDTH_NORMAL ? 500 : 0);
}

class TFreeTypeFonts final : public ISystemFonts {
 public:
  TFreeTypeFonts() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    ListFaces();
  }

  ~TFreeTypeFonts() override {
    for (auto& [key, face] : open_faces_) {
      if (face) FT_Done_Face(face);
    }
    if (library_) FT_Done_FreeType(library_);
  }

  const std::vector<TSystemFace>& Faces() const override { return faces_; }

  bool Metrics(const TSystemFontRequest& request, TSystemFontMetrics& metrics) override {
    FT_Face face = Select(request);
    if (!face) return false;
    FT_Fixed y_scale = face->size->metrics.y_scale;
    auto scaled = [&](FT_Long units) { return static_cast<int32_t>((FT_MulFix(units, y_scale) + 32) >> 6); };
    metrics.ascent = scaled(AscenderUnits(face));
    metrics.underline_size = std::max<int32_t>(1, scaled(face->underline_thickness));
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
      metrics.strike_size = std::max<int32_t>(1, scaled(os2->yStrikeoutSize));
      metrics.strike_position = scaled(os2->yStrikeoutPosition);
    } else {
      metrics.strike_size = metrics.underline_size;
      metrics.strike_position = metrics.ascent / 3;
    }
    return true;
  }

  bool RenderGlyph(const TSystemFontRequest& request, char32_t code, TGlyphDepth depth, TSystemGlyph& glyph) override {
    glyph = {};
    FT_Face face = Select(request);
    if (!face) return false;
    bool mono = depth == TGlyphDepth::OneBit;
    FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Char(face, code, flags) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    if (synthetic_ & 1) FT_GlyphSlot_Embolden(slot);
    if (synthetic_ & 2) FT_GlyphSlot_Oblique(slot);
    glyph.advance_x = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    if (slot->outline.n_points == 0) return true;  // a blank character: no black box
    if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.width = static_cast<int32_t>(bitmap.width);
    glyph.height = static_cast<int32_t>(bitmap.rows);
    glyph.origin_x = slot->bitmap_left;
    glyph.origin_y = slot->bitmap_top;
    if (glyph.width == 0 || glyph.height == 0) {
      glyph.width = glyph.height = 0;
      return true;
    }
    glyph.pixels.resize(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.height));
    for (int32_t y = 0; y < glyph.height; ++y) {
      const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
      uint8_t* out = glyph.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(glyph.width);
      for (int32_t x = 0; x < glyph.width; ++x) {
        out[x] = mono ? static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1) : LevelOfGrey(row[x]);
      }
    }
    return true;
  }

 private:
  static FT_Long AscenderUnits(FT_Face face) {
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (hhea && hhea->Ascender - hhea->Descender > 0) return hhea->Ascender;
    return face->ascender;
  }

  static FT_Long CellUnits(FT_Face face) {
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (hhea && hhea->Ascender - hhea->Descender > 0) return hhea->Ascender - hhea->Descender;
    FT_Long cell = face->ascender - face->descender;
    return cell > 0 ? cell : face->units_per_EM;
  }

  void ListFaces() {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_SPACING, FC_LANG, FC_WEIGHT, FC_SLANT,
                                            FC_WIDTH, FC_FONTFORMAT, nullptr);
    FcFontSet* set = FcFontList(config, pattern, objects);
    // Families by their first name without case; each keeps the face closest to regular as its base.
    struct TFamily {
      std::vector<std::string> names;
      FcPattern* base = nullptr;
      int base_distance = 1 << 30;
      std::array<int, 4> style_distance{1 << 30, 1 << 30, 1 << 30, 1 << 30};
      TFamilyFiles files;
    };
    std::map<std::string, TFamily> families;
    for (int i = 0; set && i < set->nfont; ++i) {
      FcPattern* font = set->fonts[i];
      std::string format = GetString(font, FC_FONTFORMAT, 0);
      if (!format.empty() && format != "TrueType" && format != "CFF") continue;
      std::string first = GetString(font, FC_FAMILY, 0);
      std::string file = GetString(font, FC_FILE, 0);
      if (first.empty() || file.empty()) continue;
      TFamily& family = families[LowerAscii(first)];
      for (int n = 0;; ++n) {
        std::string name = GetString(font, FC_FAMILY, n);
        if (name.empty()) break;
        if (std::find(family.names.begin(), family.names.end(), name) == family.names.end())
          family.names.push_back(name);
      }
      int distance = RegularDistance(font);
      if (distance < family.base_distance) {
        family.base_distance = distance;
        family.base = font;
      }
      int bits = StyleBits(font);
      if (distance < family.style_distance[static_cast<size_t>(bits)] ||
          !family.files.present[static_cast<size_t>(bits)]) {
        family.style_distance[static_cast<size_t>(bits)] = distance;
        family.files.styles[static_cast<size_t>(bits)] = {file, GetInt(font, FC_INDEX, 0)};
        family.files.present[static_cast<size_t>(bits)] = true;
      }
    }
    for (auto& [key, family] : families) {
      TSystemFace face;
      face.names = family.names;
      face.file = GetString(family.base, FC_FILE, 0);
      face.charset = CoversJapanese(family.base) ? kCharsetShiftJis : kCharsetAnsi;
      int spacing = GetInt(family.base, FC_SPACING, FC_PROPORTIONAL);
      face.fixed_pitch = spacing == FC_MONO || spacing == FC_DUAL;
      TFamilyFiles files = family.files;
      files.styles[0] = {face.file, GetInt(family.base, FC_INDEX, 0)};
      files.present[0] = true;
      faces_.push_back(std::move(face));
      files_.push_back(files);
    }
    AddDefaultFaces(config);
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
  }

  int FindFace(const std::string& name) const {
    std::string wanted = LowerAscii(name);
    for (size_t i = 0; i < faces_.size(); ++i) {
      for (const std::string& other : faces_[i].names) {
        if (LowerAscii(other) == wanted) return static_cast<int>(i);
      }
    }
    return -1;
  }

  // The Windows default faces of Japanese games, mapped to the IPA fonts or,
  // without them, to fontconfig's best Japanese match of the same kind.
  void AddDefaultFaces(FcConfig* config) {
    struct TDefault {
      const char* name;
      const char* ipa;
      const char* generic;
    };
    static const TDefault kDefaults[] = {
        {"ＭＳ ゴシック", "IPAGothic", "monospace:lang=ja"},
        {"ＭＳ Ｐゴシック", "IPAPGothic", "sans-serif:lang=ja"},
        {"ＭＳ 明朝", "IPAMincho", "serif:lang=ja:spacing=dual"},
        {"ＭＳ Ｐ明朝", "IPAPMincho", "serif:lang=ja"},
    };
    for (const TDefault& entry : kDefaults) {
      if (FindFace(entry.name) >= 0) continue;
      int backing = FindFace(entry.ipa);
      if (backing < 0) backing = BestMatch(config, entry.generic);
      if (backing < 0) continue;
      TSystemFace face = faces_[static_cast<size_t>(backing)];
      face.names = {entry.name};
      TFamilyFiles files = files_[static_cast<size_t>(backing)];
      faces_.push_back(std::move(face));
      files_.push_back(files);
    }
  }

  int BestMatch(FcConfig* config, const char* description) const {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(description));
    if (!pattern) return -1;
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    int found = -1;
    if (match) {
      found = FindFace(GetString(match, FC_FAMILY, 0));
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return found;
  }

  FT_Face Open(const TFaceFile& file) {
    auto found = open_faces_.find(file);
    if (found != open_faces_.end()) return found->second;
    FT_Face face = nullptr;
    if (!library_ || FT_New_Face(library_, file.file.c_str(), file.index, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face)) {
      FT_Done_Face(face);
      face = nullptr;
    }
    open_faces_[file] = face;
    return face;
  }

  // Opens the face of the request at its size; repeated requests of the same
  // face, size and style reuse the sized face.
  FT_Face Select(const TSystemFontRequest& request) {
    if (request.face < 0 || static_cast<size_t>(request.face) >= faces_.size()) return nullptr;
    if (request.size == 0 || request.size > kMaxCellSize || request.size < -kMaxCellSize) return nullptr;
    int bits = request.style & 3;
    if (selected_ && request.face == current_.face && request.size == current_.size && bits == (current_.style & 3))
      return selected_;
    selected_ = nullptr;
    const TFamilyFiles& files = files_[static_cast<size_t>(request.face)];
    int have = files.present[static_cast<size_t>(bits)]       ? bits
               : files.present[static_cast<size_t>(bits & 1)] ? (bits & 1)
               : files.present[static_cast<size_t>(bits & 2)] ? (bits & 2)
                                                              : 0;
    FT_Face face = Open(files.styles[static_cast<size_t>(have)]);
    if (!face) return nullptr;
    FT_Error error;
    if (request.size > 0) {
      // The size is the cell height: the ascender-to-descender span of the face.
      FT_Long em = static_cast<FT_Long>(request.size) * face->units_per_EM * 64 / CellUnits(face);
      error = FT_Set_Char_Size(face, 0, std::max<FT_Long>(em, 1), 72, 72);
    } else {
      error = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(-request.size));
    }
    if (error != 0) return nullptr;
    synthetic_ = bits & ~have;
    current_ = request;
    selected_ = face;
    return face;
  }

  FT_Library library_ = nullptr;
  std::vector<TSystemFace> faces_;
  std::vector<TFamilyFiles> files_;
  std::map<TFaceFile, FT_Face> open_faces_;
  TSystemFontRequest current_;
  FT_Face selected_ = nullptr;
  int synthetic_ = 0;
};

}  // namespace

std::unique_ptr<ISystemFonts> CreateSystemFonts() { return std::make_unique<TFreeTypeFonts>(); }

}  // namespace orvo
