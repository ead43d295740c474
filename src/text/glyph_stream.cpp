// Reading and writing glyph streams. A stream is read whole into glyphs and
// record indexes first and bound to the document only once nothing more can
// fail, so that bad data never leaves a half-loaded document behind.
#include "text/glyph_stream.h"

#include <cstring>

#include "base/error.h"
#include "text/kw_word.h"
#include "vars/convert.h"

namespace orvo {

void TGlyphStreamWriter::Count(TIndex& index, std::vector<TUse>& uses, const void* record) {
  if (!record) return;
  int32_t position = Lookup(index, record);
  if (position < 0) {
    position = static_cast<int32_t>(uses.size());
    index.map.emplace(record, position);
    uses.push_back({record, 0});
    index.last = record;
    index.last_index = position;
  }
  ++uses[static_cast<size_t>(position)].count;
}

int32_t TGlyphStreamWriter::Lookup(const TIndex& index, const void* record) {
  if (record == index.last && record) return index.last_index;
  auto it = index.map.find(record);
  if (it == index.map.end()) return -1;
  index.last = record;
  index.last_index = it->second;
  return it->second;
}

void TGlyphStreamWriter::Use(const TWdCondition* condition, const TDecorate* decoration, const TWdLink* link) {
  Count(condition_index_, conditions_, condition);
  Count(decoration_index_, decorations_, decoration);
  Count(link_index_, links_, link);
}

namespace {

constexpr char kMagic[] = "KwWord";
constexpr size_t kHeaderSize = 9;

// What a stream holds, before it joins the document.
struct TLoaded {
  std::vector<std::unique_ptr<TDecorate>> decorations;
  std::vector<std::unique_ptr<TWdCondition>> conditions;
  std::vector<std::unique_ptr<TWdLink>> links;
  std::vector<std::unique_ptr<TWdGlyph>> glyphs;
  std::vector<TGlyphRefs> refs;  // indexes turned into list positions
};

int32_t ReadVersion(TBinaryReader& reader) {
  if (reader.Remaining() < static_cast<int64_t>(kHeaderSize)) return 0;  // too short for a header: the oldest form
  std::string header = reader.ReadBytes(kHeaderSize);
  if (header.compare(0, 6, kMagic) != 0) {
    reader.Stream().Seek(-static_cast<int64_t>(kHeaderSize), TSeekOrigin::Current);
    return 0;
  }
  int32_t version = 0;
  if (!TryTextToInt(header.substr(6), version)) throw EFormatError("Invalid glyph stream version");
  return version;
}

// Negative counts read as no items; others must fit in what remains.
size_t ReadCount(TBinaryReader& reader, int64_t min_item_bytes) {
  int32_t count = reader.ReadInt32();
  return count <= 0 ? 0 : reader.RequireCount(count, min_item_bytes);
}

// The list position of base + index, checked against the records there will be.
int32_t Position(int32_t existing, size_t loaded, int32_t base, int32_t index) {
  int64_t position = static_cast<int64_t>(base) + index;
  if (position < 0 || position >= existing + static_cast<int64_t>(loaded)) {
    throw EFormatError("List index out of bounds (" + std::to_string(position) + ")");
  }
  return static_cast<int32_t>(position);
}

bool HasDecoration(TGlyphKind kind) {
  return kind == TGlyphKind::Char || kind == TGlyphKind::Var || kind == TGlyphKind::HistVar;
}

template <class TRecord>
void AppendAll(TSharedList<TRecord>& list, std::vector<std::unique_ptr<TRecord>>& loaded) {
  for (auto& record : loaded) list.Append(std::move(record));
}

}  // namespace

std::unique_ptr<TWdGlyph> TKwWord::CreateBareGlyph(uint8_t type_code) {
  switch (type_code & 0x7F) {
    case gtChar:
      return std::make_unique<TWdChar>(*this);
    case gtDiv:
      return std::make_unique<TWdOpeDiv>(*this);
    case gtReturn:
      return std::make_unique<TWdOpeReturn>(*this);
    case gtIndent:
      return std::make_unique<TWdOpeIndent>(*this);
    case gtUndent:
      return std::make_unique<TWdOpeUndent>(*this);
    case gtEvent:
      return std::make_unique<TWdOpeEvent>(*this);
    case gtVar:
      return std::make_unique<TWdOpeVar>(*this);
    case gtImg:
      return std::make_unique<TWdImg>(*this);
    case gtHistChar:
      return std::make_unique<TWdOpeHistChar>(*this);
    default:
      return nullptr;
  }
}

void TKwWord::LoadGlyphs(TStream& stream) {
  TBinaryReader reader(stream);
  int64_t start = stream.Position();
  TLoaded loaded;
  try {
    int32_t version = ReadVersion(reader);
    size_t decoration_count = ReadCount(reader, version >= 100 ? 30 : 22);
    for (size_t i = 0; i < decoration_count; ++i) {
      auto record = std::make_unique<TDecorate>();
      reader.ReadInt32();  // the stored reference count: recounted once the glyphs are bound
      record->color = reader.ReadInt32();
      record->border_color = reader.ReadInt32();
      record->size = reader.ReadInt32();
      record->style = reader.ReadByte();
      record->no_break = reader.ReadBool();
      record->border_width = version > 99 ? reader.ReadInt32() : (reader.ReadByte() != 0 ? 1 : 0);
      record->face = reader.ReadString();
      record->ruby = reader.ReadString();
      record->shadow_width = version >= 100 ? reader.ReadInt32() : 0;
      record->shadow_color = version >= 100 ? reader.ReadInt32() : 0;
      loaded.decorations.push_back(std::move(record));
    }
    if (version > 103) {
      size_t count = ReadCount(reader, 8);
      for (size_t i = 0; i < count; ++i) {
        reader.ReadInt32();
        loaded.conditions.push_back(std::make_unique<TWdCondition>(reader.ReadString()));
      }
    }
    if (version > 104) {
      size_t count = ReadCount(reader, 12);
      for (size_t i = 0; i < count; ++i) {
        auto link = std::make_unique<TWdLink>();
        reader.ReadInt32();
        link->href = reader.ReadString();
        link->target = reader.ReadString();
        loaded.links.push_back(std::move(link));
      }
    }
    size_t glyph_count = ReadCount(reader, 1);
    for (size_t i = 0; i < glyph_count; ++i) {
      uint8_t type = reader.ReadByte();
      std::unique_ptr<TWdGlyph> glyph = CreateBareGlyph(type);
      // Without its kind the record's length is unknown and the rest would be misread.
      if (!glyph) throw EFormatError("Invalid glyph type " + std::to_string(type & 0x7F));
      TGlyphRefs refs;
      glyph->ReadRecord(reader, version, refs);
      if (version > 103) {
        refs.condition = Position(conditions.Count(), loaded.conditions.size(), condition_base, refs.condition);
      }
      if (HasDecoration(glyph->Kind())) {
        refs.decoration = Position(decorations.Count(), loaded.decorations.size(), decoration_base, refs.decoration);
      }
      if (refs.link_index) refs.link = Position(links.Count(), loaded.links.size(), link_base, refs.link);
      loaded.glyphs.push_back(std::move(glyph));
      loaded.refs.push_back(std::move(refs));
    }
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }

  // Nothing below can fail on the data: bind the records and count their users.
  AppendAll(decorations, loaded.decorations);
  AppendAll(conditions, loaded.conditions);
  AppendAll(links, loaded.links);
  for (size_t i = 0; i < loaded.glyphs.size(); ++i) {
    TWdGlyph& glyph = *loaded.glyphs[i];
    const TGlyphRefs& refs = loaded.refs[i];
    if (refs.condition >= 0) {
      glyph.condition_ = conditions.At(refs.condition);
      ++glyph.condition_->ref_count;
    } else {
      glyph.condition_ = conditions.AcquireCondition("");
    }
    TDecorate* decoration = nullptr;
    if (refs.decoration >= 0) {
      decoration = decorations.At(refs.decoration);
      ++decoration->ref_count;
    }
    TWdLink* link = nullptr;
    bool linked = glyph.Kind() == TGlyphKind::Char || glyph.Kind() == TGlyphKind::Img ||
                  glyph.Kind() == TGlyphKind::Var || glyph.Kind() == TGlyphKind::HistVar;
    if (refs.old_href) {
      link = links.AcquireLink(refs.href, "");
    } else if (refs.link_index) {
      link = links.At(refs.link);
      ++link->ref_count;
    } else if (linked) {
      link = links.AcquireLink("", "");
    }
    if (auto* real = dynamic_cast<TWdReal*>(&glyph)) real->link_ = link;
    if (auto* character = dynamic_cast<TWdChar*>(&glyph)) character->decoration_ = decoration;
    if (auto* variable = dynamic_cast<TWdOpeVar*>(&glyph)) {
      variable->decoration_ = decoration;
      variable->link_ = link;
    }
  }
  // Stored counts are not trusted: each record now counts its glyphs, and
  // records that no glyph uses are gone.
  decorations.RemoveUnused();
  conditions.RemoveUnused();
  links.RemoveUnused();
  for (auto& glyph : loaded.glyphs) glyphs_.push_back(std::move(glyph));
}

void TKwWord::WriteGlyphs(TStream& stream) const {
  std::string bytes = GlyphStreamBytes();
  stream.WriteBuffer(bytes.data(), bytes.size());
}

std::string TKwWord::GlyphStreamBytes() const {
  TGlyphStreamWriter records;
  int32_t stored = 0;
  for (const auto& glyph : glyphs_) {
    if (!glyph->IsStored()) continue;
    records.Use(glyph->Condition(), glyph->Decoration(), glyph->Link());
    ++stored;
  }
  std::string out;
  out.reserve(static_cast<size_t>(stored) * 16 + 64);
  out += "KwWord105";
  AppendI32(out, static_cast<int32_t>(records.Decorations().size()));
  for (const auto& use : records.Decorations()) {
    const auto& record = *static_cast<const TDecorate*>(use.record);
    AppendI32(out, use.count);
    AppendI32(out, record.color);
    AppendI32(out, record.border_color);
    AppendI32(out, record.size);
    AppendByte(out, record.style);
    AppendByte(out, record.no_break ? 1 : 0);
    AppendI32(out, record.border_width);
    AppendString(out, record.face);
    AppendString(out, record.ruby);
    AppendI32(out, record.shadow_width);
    AppendI32(out, record.shadow_color);
  }
  AppendI32(out, static_cast<int32_t>(records.Conditions().size()));
  for (const auto& use : records.Conditions()) {
    AppendI32(out, use.count);
    AppendString(out, static_cast<const TWdCondition*>(use.record)->Text());
  }
  AppendI32(out, static_cast<int32_t>(records.Links().size()));
  for (const auto& use : records.Links()) {
    const auto& link = *static_cast<const TWdLink*>(use.record);
    AppendI32(out, use.count);
    AppendString(out, link.href);
    AppendString(out, link.target);
  }
  AppendI32(out, stored);
  for (const auto& glyph : glyphs_) {
    if (!glyph->IsStored()) continue;
    AppendByte(out, glyph->TypeCode());
    glyph->WriteRecord(out, records);
  }
  return out;
}

}  // namespace orvo
