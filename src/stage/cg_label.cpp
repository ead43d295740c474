#include "stage/cg_label.h"

#include <algorithm>
#include <unordered_map>

#include "base/cp932.h"
#include "base/numeric.h"
#include "stage/cell_draw.h"
#include "stage/stage.h"

namespace orvo {

namespace {

// Characters of a line: a lead byte with the byte after it, or one byte.
std::vector<std::string_view> Characters(std::string_view line) {
  std::vector<std::string_view> characters;
  for (size_t i = 0; i < line.size();) {
    const size_t length = CharLength(line, i);
    characters.push_back(line.substr(i, length));
    i += length;
  }
  return characters;
}

// A line break ends a line; a break at the very end starts no new one.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

constexpr int32_t kMaxCellOpacity = 512;

}  // namespace

std::vector<std::vector<int32_t>> MapGlyphLines(const std::string& text, const std::string& map_text) {
  std::unordered_map<std::string_view, int32_t> cells;
  int32_t index = 0;
  for (std::string_view character : Characters(map_text)) cells.try_emplace(character, index++);
  std::vector<std::vector<int32_t>> lines;
  for (std::string_view line : SplitLines(text)) {
    std::vector<int32_t>& indices = lines.emplace_back();
    for (std::string_view character : Characters(line)) {
      auto it = cells.find(character);
      indices.push_back(it == cells.end() ? -1 : it->second);
    }
  }
  return lines;
}

TOrvoCGLabel::TOrvoCGLabel(TOrvoBaseList& stage) : TOrvoControl(stage), sheet_(stage.Pictures(), this) {}

TOrvoCGLabel::~TOrvoCGLabel() = default;

void TOrvoCGLabel::SetSource(const std::string& source) {
  if (source == source_) return;
  Invalidate();
  source_ = source;
  sheet_.Clear();
  // Loading starts the sheet's animation at frame 0.
  if (!source.empty()) sheet_.LoadFrames(source, false);
  Invalidate();
}

void TOrvoCGLabel::Remap() { lines_ = MapGlyphLines(text_, map_text_); }

void TOrvoCGLabel::ApplySize() {
  int64_t longest = 0;
  for (const std::vector<int32_t>& line : lines_)
    longest = std::max<int64_t>(longest, static_cast<int64_t>(line.size()));
  const int64_t count = static_cast<int64_t>(lines_.size());
  int64_t height = count * glyph_height_;
  if (count > 1) height += int64_t{line_space_} * (count - 1);
  TOrvoControl::SetProperty(PR_WIDTH, TPropValue::Int(ClampToInt32(longest * glyph_width_)));
  TOrvoControl::SetProperty(PR_HEIGHT, TPropValue::Int(ClampToInt32(height)));
  Invalidate();
}

TPropValue TOrvoCGLabel::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_TEXT:
      return TPropValue::Str(text_);
    case PR_MAPTEXT:
      return TPropValue::Str(map_text_);
    case PR_GLYPHWIDTH:
      return TPropValue::Int(glyph_width_);
    case PR_GLYPHHEIGHT:
      return TPropValue::Int(glyph_height_);
    case PR_LINESPACE:
      return TPropValue::Int(line_space_);
    case PR_HALIGN:
      return TPropValue::Int(align_);
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_ORIGWIDTH:
    case PR_ORIGHEIGHT: {
      if (!sheet_.Valid(sheet_.Current())) return TPropValue::Int(0);
      const TDovaItemFrame& frame = sheet_.At(sheet_.Current()).Frame();
      const int32_t size = !frame.surface ? 0 : id == PR_ORIGWIDTH ? frame.surface->Width() : frame.surface->Height();
      return TPropValue::Int(size);
    }
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_PLAYING:
      return TPropValue::Bool(!paused_ && !AniPaused());
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoCGLabel::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      break;
    case PR_TEXT:
      if (value.AsStr() != text_) {
        text_ = value.AsStr();
        Remap();
        ApplySize();
      }
      break;
    case PR_MAPTEXT:
      if (value.AsStr() != map_text_) {
        map_text_ = value.AsStr();
        Remap();
        Invalidate();
      }
      break;
    case PR_GLYPHWIDTH:
    case PR_GLYPHHEIGHT: {
      int32_t& field = id == PR_GLYPHWIDTH ? glyph_width_ : glyph_height_;
      const int32_t size = std::max(value.AsInt(), 1);
      if (size != field) {
        field = size;
        ApplySize();
      }
      break;
    }
    case PR_LINESPACE:
      if (value.AsInt() != line_space_) {
        line_space_ = value.AsInt();
        ApplySize();
      }
      break;
    case PR_HALIGN:
      if (static_cast<uint8_t>(value.AsInt()) != align_) {
        align_ = static_cast<uint8_t>(value.AsInt());
        Invalidate();
      }
      break;
    case PR_ALPHA:
      if (value.AsInt() != alpha_) {
        alpha_ = value.AsInt();
        Invalidate();
      }
      break;
    case PR_ORIGWIDTH:
    case PR_ORIGHEIGHT:
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

bool TOrvoCGLabel::Update() {
  const bool finished = TOrvoControl::Update();
  if (!finished && !AniPaused() && sheet_.StepFrames(Stage().FrameDelta())) Invalidate();
  return finished;
}

void TOrvoCGLabel::Paint(TCustomDIBX& surface) {
  if (Width() == 0 || Height() == 0 || !sheet_.Valid(sheet_.Current())) return;
  if (alpha_ > 0) {
    const TDovaItemFrame& frame = sheet_.At(sheet_.Current()).Frame();
    if (!frame.surface) return;
    const int64_t columns = frame.surface->Width() / glyph_width_;
    if (columns < 1) return;
    const int64_t cells = int64_t{frame.surface->Height() / glyph_height_} * columns;
    if (alpha_ < kMaxCellOpacity) {
      int64_t y = AbsTop();
      const int64_t left = AbsLeft();
      for (const std::vector<int32_t>& line : lines_) {
        const int64_t span = static_cast<int64_t>(line.size()) * glyph_width_;
        int64_t x = align_ == 0 ? left : align_ == 1 ? left + (Width() - span) / 2 : left + Width() - span;
        for (int32_t k : line) {
          if (k >= 0 && k < cells) {
            const int32_t cell_x = static_cast<int32_t>(k % columns) * glyph_width_;
            const int32_t cell_y = static_cast<int32_t>(k / columns) * glyph_height_;
            const TRect source{cell_x, cell_y, cell_x + glyph_width_, cell_y + glyph_height_};
            DrawCell(frame, surface, ClampToInt32(x), ClampToInt32(y), alpha_, TDrawFlags::None, source);
          }
          x += glyph_width_;
        }
        y += int64_t{glyph_height_} + line_space_;
      }
    }
  }
  PaintChildren(surface);
}

void TOrvoCGLabel::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteString(source_);
  writer.WriteString(text_);
  writer.WriteString(map_text_);
  writer.WriteInt32(glyph_width_);
  writer.WriteInt32(glyph_height_);
  writer.WriteInt32(line_space_);
  writer.WriteBool(paused_);
  writer.WriteByte(align_);
  writer.WriteInt32(alpha_);
  writer.WriteString(Handler(THandler::Idle));
}

void TOrvoCGLabel::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  SetSource(reader.ReadString());
  text_ = reader.ReadString();
  map_text_ = reader.ReadString();
  // A cell size of 0 would divide by zero when drawing.
  glyph_width_ = std::max(reader.ReadInt32(), 1);
  glyph_height_ = std::max(reader.ReadInt32(), 1);
  line_space_ = reader.ReadInt32();
  paused_ = reader.ReadBool();
  align_ = reader.ReadByte();
  alpha_ = reader.ReadInt32();
  if (version > 124) SetHandler(THandler::Idle, reader.ReadString());
  Remap();
  ApplySize();
}

}  // namespace orvo
