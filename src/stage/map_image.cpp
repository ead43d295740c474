#include "stage/map_image.h"

#include "base/numeric.h"
#include "stage/custom_image.h"
#include "stage/images.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"
#include "vars/engine.h"

namespace orvo {

namespace {

// Windows virtual-key codes of the keys a map image answers.
constexpr int32_t kKeyReturn = 13;
constexpr int32_t kKeyEscape = 27;
constexpr int32_t kKeySpace = 32;
constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyUp = 38;
constexpr int32_t kKeyRight = 39;
constexpr int32_t kKeyDown = 40;

}  // namespace

TOrvoMapImage::TOrvoMapImage(TOrvoBaseList& stage)
    : TOrvoControl(stage), base_(stage.Pictures(), this), hover_(stage.Pictures(), this) {}

TOrvoMapImage::~TOrvoMapImage() = default;

void TOrvoMapImage::Adopted() { Stage().AddMenu(*this); }

// ---- sources

void TOrvoMapImage::SetSource(TOrvoImageList& list, std::vector<TCutMask>& cuts, std::string& field,
                              const std::string& source) {
  if (source == field) return;
  Invalidate();
  field = source;
  cuts.clear();
  if (IsPictureFileName(source)) {
    list.LoadFrames(source, true);
  } else {
    list.Clear();
  }
  cuts.resize(static_cast<size_t>(list.Count()));
  if (&list == &base_) SetBoundsRect(Left(), Top(), list.Width(), list.Height());
  Invalidate();
}

void TOrvoMapImage::SetMapSource(const std::string& source) {
  if (source == map_source_) return;
  // The old selection means nothing among the new regions.
  SetSelected(-1);
  map_source_ = source;
  regions_.clear();
  IPictureFiles* files = Stage().Pictures().Files();
  if (files && !source.empty() && files->Contains(source)) regions_ = ReadMapRegions(files->Load(source));
  for (TCutMask& cut : base_cuts_) cut.region = kNoCut;
  for (TCutMask& cut : hover_cuts_) cut.region = kNoCut;
  Invalidate();
}

// ---- regions and selection

int32_t TOrvoMapImage::RegionAt(int32_t x, int32_t y) const {
  for (size_t i = 0; i < regions_.size(); ++i) {
    if (regions_[i].Contains(x, y)) return static_cast<int32_t>(i);
  }
  return -1;
}

void TOrvoMapImage::PostRegionEvent(int32_t code, const std::string& handler, int32_t index) {
  if (handler.empty() || index < 0 || index >= static_cast<int32_t>(regions_.size())) return;
  Stage().Events().PostEvent(Handle(), handler, {regions_[static_cast<size_t>(index)].name, std::to_string(index)},
                             code);
}

void TOrvoMapImage::SetSelected(int32_t index) {
  if (index == selected_) return;
  if (selected_ >= 0) PostRegionEvent(ecMapOut, on_map_out_, selected_);
  Invalidate();
  selected_ = index;
  hover_.RestartFrames(0);
  Invalidate();
  if (selected_ >= 0) PostRegionEvent(ecMapIn, on_map_in_, selected_);
}

void TOrvoMapImage::SetLastSelection(const std::string& text, int32_t index) {
  if (TExprEngine* engine = Stage().Engine()) {
    engine->Store().SetSelectedString(text);
    engine->Store().SetSelectedIndex(index);
  }
}

void TOrvoMapImage::Close() {
  closing_ = 100;
  blocked_ = true;
}

void TOrvoMapImage::Select() {
  if (selected_ < 0 || selected_ >= static_cast<int32_t>(regions_.size())) return;
  const std::string& name = regions_[static_cast<size_t>(selected_)].name;
  SetLastSelection(name, selected_);
  if (!on_select_.empty() && !blocked_ && !Stage().Events().HasEvent(Handle(), ecSelect)) {
    Stage().Events().PostEvent(Handle(), on_select_, {name, std::to_string(selected_)}, ecSelect);
  }
  if (auto_scrap_) Close();
}

// ---- input

void TOrvoMapImage::MouseMove() {
  if (!blocked_) {
    const TOrvoBase* base = OwnerBase();
    if (base) {
      const int64_t x = int64_t{base->Mouse().x} - AbsLeft(), y = int64_t{base->Mouse().y} - AbsTop();
      SetSelected(RegionAt(ClampToInt32(x), ClampToInt32(y)));
    }
  }
  TOrvoControl::MouseMove();
}

void TOrvoMapImage::MouseLeave(TOrvoControl* new_hover) {
  if (!blocked_) SetSelected(-1);
  TOrvoControl::MouseLeave(new_hover);
}

void TOrvoMapImage::LButtonDown() {
  const uint8_t mode = IgnoreMouse();
  if (!blocked_ && (mode == IM_NONE || mode == IM_RCLICK) && !paused_ && selected_ >= 0) Select();
  TOrvoControl::LButtonDown();
}

void TOrvoMapImage::KeyRepeat(const std::vector<int32_t>& keys) {
  if (!blocked_) {
    const TOrvoBaseList& stage = Stage();
    const int32_t count = static_cast<int32_t>(regions_.size());
    if (count > 0 && (stage.IsKeyRepeated(kKeyUp) || stage.IsKeyRepeated(kKeyLeft))) {
      SetSelected(selected_ <= 0 ? count - 1 : selected_ - 1);
    } else if (count > 0 && (stage.IsKeyRepeated(kKeyDown) || stage.IsKeyRepeated(kKeyRight))) {
      SetSelected(selected_ < 0 || selected_ >= count - 1 ? 0 : selected_ + 1);
    } else if ((stage.IsKeyPressed(kKeyReturn) || stage.IsKeyPressed(kKeySpace)) && selected_ >= 0) {
      Select();
    } else if (rclick_scrap_ && stage.IsKeyPressed(kKeyEscape)) {
      SetLastSelection(std::string(), -1);
      closing_ = 100;
    }
  }
  TOrvoControl::KeyRepeat(keys);
}

bool TOrvoMapImage::RightClickClose() {
  const uint8_t mode = IgnoreMouse();
  if (blocked_ || (mode != IM_NONE && mode != IM_LCLICK)) return false;
  SetLastSelection(std::string(), -1);
  Close();
  return true;
}

// ---- update and paint

bool TOrvoMapImage::Update() {
  const bool finished = TOrvoControl::Update();
  if (closing_ == 100) {
    closing_ = 101;
    blocked_ = true;
    return finished;
  }
  if (closing_ == 101) return true;
  if (!AniPaused()) {
    const int32_t delta = Stage().FrameDelta();
    if (base_.StepFrames(delta)) Invalidate();
    if (hover_.StepFrames(delta) && selected_ >= 0) Invalidate();
  }
  return finished;
}

TPictureView TOrvoMapImage::CutView(TOrvoImageList& list, std::vector<TCutMask>& cuts, TRegionCut cut) {
  TOrvoImageData& data = list.At(list.Current());
  data.SetBrightness(brightness_);
  TPictureView view = data.View();
  const std::shared_ptr<TDIBX>& saved = data.Frame().mask;
  if (!saved) return view;
  if (cuts.size() != static_cast<size_t>(list.Count())) cuts.resize(static_cast<size_t>(list.Count()));
  TCutMask& own = cuts[static_cast<size_t>(list.Current())];
  const bool has_region = selected_ >= 0 && selected_ < static_cast<int32_t>(regions_.size());
  const int32_t wanted = has_region ? selected_ : -1;
  if (!own.mask || own.region != wanted) {
    if (!own.mask) own.mask = std::make_shared<TDIBX>();
    own.mask->SetSize(saved->Width(), saved->Height(), 8);
    own.mask->Assign(*saved);
    if (has_region) {
      CutMask(*own.mask, regions_[static_cast<size_t>(selected_)], cut);
    } else if (cut == TRegionCut::KeepInside) {
      own.mask->Clear(0);
    }
    own.region = wanted;
  }
  view.mask = own.mask;
  return view;
}

void TOrvoMapImage::Paint(TCustomDIBX& surface) {
  if (base_.Valid(base_.Current())) {
    const TPictureView view = CutView(base_, base_cuts_, TRegionCut::KeepOutside);
    DrawPictureAt(surface, AbsLeft(), AbsTop(), view, TDrawFlags::None, alpha_);
    if (selected_ >= 0 && hover_.Valid(hover_.Current())) {
      const TPictureView hover = CutView(hover_, hover_cuts_, TRegionCut::KeepInside);
      DrawPictureAt(surface, AbsLeft(), AbsTop(), hover, TDrawFlags::None, alpha_);
    }
  }
  PaintChildren(surface);
}

void TOrvoMapImage::RestoreSurfaces() {
  for (TCutMask& cut : base_cuts_) cut.region = kNoCut;
  for (TCutMask& cut : hover_cuts_) cut.region = kNoCut;
}

// ---- properties

TPropValue TOrvoMapImage::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_HOVERSOURCE:
      return TPropValue::Str(hover_source_);
    case PR_MAPSOURCE:
      return TPropValue::Str(map_source_);
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_BRIGHTNESS:
      return TPropValue::Int(brightness_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_RCLICKSCRAP:
      return TPropValue::Bool(rclick_scrap_);
    case PR_ONMAPIN:
      return TPropValue::Str(on_map_in_);
    case PR_ONMAPOUT:
      return TPropValue::Str(on_map_out_);
    case PR_ONSELECT:
      return TPropValue::Str(on_select_);
    case PR_REPEAT:
      return TPropValue::Bool(true);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoMapImage::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(base_, base_cuts_, source_, value.AsStr());
      break;
    case PR_HOVERSOURCE:
      SetSource(hover_, hover_cuts_, hover_source_, value.AsStr());
      break;
    case PR_MAPSOURCE:
      SetMapSource(value.AsStr());
      break;
    case PR_ALPHA:
      if (alpha_ != value.AsInt()) {
        alpha_ = value.AsInt();
        Invalidate();
      }
      break;
    case PR_BRIGHTNESS:
      if (brightness_ != value.AsInt()) {
        brightness_ = value.AsInt();
        Invalidate();
      }
      break;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    case PR_RCLICKSCRAP:
      rclick_scrap_ = value.AsBool();
      break;
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    case PR_ONMAPIN:
      on_map_in_ = value.AsStr();
      break;
    case PR_ONMAPOUT:
      on_map_out_ = value.AsStr();
      break;
    case PR_ONSELECT:
      on_select_ = value.AsStr();
      break;
    case PR_REPEAT:
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

// ---- saves

void TOrvoMapImage::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteString(source_);
  writer.WriteString(hover_source_);
  writer.WriteString(map_source_);
  writer.WriteInt32(alpha_);
  writer.WriteInt32(brightness_);
  writer.WriteString(on_map_in_);
  writer.WriteString(on_map_out_);
  writer.WriteBool(auto_scrap_);
  writer.WriteBool(rclick_scrap_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteBool(paused_);
  writer.WriteString(on_select_);
  writer.WriteInt32(closing_);
}

void TOrvoMapImage::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  const int32_t width = Width(), height = Height();
  SetSource(base_, base_cuts_, source_, reader.ReadString());
  SetSource(hover_, hover_cuts_, hover_source_, reader.ReadString());
  SetMapSource(reader.ReadString());
  // The record's size stands, as saved.
  SetBoundsRect(Left(), Top(), width, height);
  alpha_ = reader.ReadInt32();
  brightness_ = reader.ReadInt32();
  on_map_in_ = reader.ReadString();
  on_map_out_ = reader.ReadString();
  auto_scrap_ = reader.ReadBool();
  rclick_scrap_ = reader.ReadBool();
  if (version > 103) {
    SetHandler(THandler::Idle, reader.ReadString());
    paused_ = reader.ReadBool();
    on_select_ = reader.ReadString();
  }
  if (version > 114) {
    closing_ = reader.ReadInt32();
    if (closing_ != 0) blocked_ = true;
  }
}

}  // namespace orvo
