#include "stage/images.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/numeric.h"
#include "stage/motion.h"
#include "stage/stage.h"
#include "vars/engine.h"

namespace orvo {

namespace {

bool HasExtension(const std::string& name, std::string_view extension) {
  return name.size() >= extension.size() &&
         EqualsNoCase(std::string_view(name).substr(name.size() - extension.size()), extension);
}

}  // namespace

bool IsPictureFileName(const std::string& name) {
  // Authors drop plain PNG and bitmap files beside their layered pictures and
  // expect them to show the same way; the cache decodes all four kinds.
  for (std::string_view extension : {".dov", ".png", ".bmp", ".dib"}) {
    if (HasExtension(name, extension)) return true;
  }
  return false;
}

// ---- animation base

TOrvoCustomImages::TOrvoCustomImages(TOrvoBaseList& stage) : TOrvoCustomImage(stage) {}

TOrvoCustomImages::~TOrvoCustomImages() = default;

const std::string& TOrvoCustomImages::PlayEndHandler() const {
  static const std::string kNone;
  return kNone;
}

void TOrvoCustomImages::SetLastWait(const TOrvoParser& expression) {
  if (expression.Empty()) {
    last_wait_.reset();
    return;
  }
  last_wait_ = std::make_unique<TOrvoParser>();
  last_wait_->AssignFrom(expression);
}

int32_t TOrvoCustomImages::LastWaitValue() {
  TExprEngine* engine = Stage().Engine();
  if (!last_wait_ || !engine) return 0;
  last_wait_->Execute(*engine);
  const TCustomParam* result = last_wait_->Result();
  return result ? result->GetAsInt() : 0;
}

void TOrvoCustomImages::SetIndex(int32_t index) {
  if (index == current_) return;
  if (TOrvoMotion* motion = Motion()) {
    motion->SetElapsed(RealToIntSaturate<int32_t>(static_cast<long double>(index) * TOrvoMotion::kFrameMs));
    return;
  }
  TOrvoImageList* list = FrameList();
  if (list && list->Valid(current_)) {
    Invalidate();
  } else {
    remaining_ = 0;
  }
  current_ = index;
  ended_ = false;
  if (!list || !list->Valid(index)) return;
  TOrvoImageData& data = list->At(index);
  data.SetBrightness(brightness_);
  SetExternalPicture(data.View());
  remaining_ = WrapAdd(remaining_, data.Frame().delay);
  if (index == list->Count() - 1 && list->Count() >= 2 && last_wait_) {
    remaining_ = WrapAdd(remaining_, LastWaitValue());
  }
  if (SizeFollowsPicture()) RecomputeSize();
}

bool TOrvoCustomImages::UpdatePicture() {
  TOrvoImageList* list = FrameList();
  if (Motion() || !list || !list->Valid(current_) || !Visible() || paused_ || AniPaused()) return false;
  if (remaining_ > 0) remaining_ = WrapSub(remaining_, Stage().FrameDelta());
  while (remaining_ < 1) {
    const int32_t count = list->Count();
    if (current_ < count - 1) {
      // With two frames no lateness carries over: one frame per update.
      if (count <= 2) remaining_ = 0;
      SetIndex(current_ + 1);
      continue;
    }
    if (!Repeats()) AnimationEnded();
    if (Repeats()) {
      remaining_ = 0;
      SetIndex(0);
    } else if (!ended_) {
      // The end is reported once, not again on every later update.
      ended_ = true;
      if (AutoScraps()) return true;
      const std::string& handler = PlayEndHandler();
      if (!handler.empty()) Stage().Events().PostEvent(Handle(), handler, {}, ecPlayEnd);
    }
    break;
  }
  return false;
}

void TOrvoCustomImages::ApplySource(const std::string& source, bool masks) {
  TOrvoImageList* list = FrameList();
  current_ = -1;
  ClearExternalPicture();
  if (list) list->Clear();
  FreeMotion();
  if (IsPictureFileName(source)) {
    if (list) list->LoadFrames(source, masks);
  } else if (IsMotionFileName(source)) {
    LoadMotion(source);
    if (TOrvoMotion* motion = Motion()) {
      motion->Step(*this, 0);
      motion->Rewind();
    }
  }
  if (list && list->Count() > 0) {
    SetIndex(0);
  } else {
    RecomputeSize();
  }
}

void TOrvoCustomImages::RestoreFrame(int32_t index, int32_t remaining) {
  SetIndex(index);
  remaining_ = remaining;
}

TPropValue TOrvoCustomImages::GetProperty(int32_t id) const {
  switch (id) {
    case PR_INDEX:
      return TPropValue::Int(current_);
    case PR_COUNT: {
      if (const TOrvoMotion* motion = Motion())
        return TPropValue::Int(const_cast<TOrvoMotion*>(motion)->Film().FrameCount());
      const TOrvoImageList* list = FrameList();
      return TPropValue::Int(list ? list->Count() : 0);
    }
    case PR_BRIGHTNESS:
      return TPropValue::Int(brightness_);
    case PR_PLAYING: {
      if (Motion()) return TOrvoCustomImage::GetProperty(id);
      if (paused_ || AniPaused()) return TPropValue::Bool(false);
      const TOrvoImageList* list = FrameList();
      const bool used_up = list && current_ == list->Count() - 1 && remaining_ < 1;
      return TPropValue::Bool(Repeats() || !used_up);
    }
    default:
      return TOrvoCustomImage::GetProperty(id);
  }
}

void TOrvoCustomImages::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_INDEX:
      SetIndex(value.AsInt());
      break;
    case PR_COUNT:
      break;
    case PR_BRIGHTNESS: {
      brightness_ = value.AsInt();
      TOrvoImageList* list = FrameList();
      if (list && list->Valid(current_)) {
        list->At(current_).SetBrightness(brightness_);
        SetExternalPicture(list->At(current_).View());
      }
      break;
    }
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    default:
      TOrvoCustomImage::SetProperty(id, value);
      break;
  }
}

void TOrvoCustomImages::WriteState(TBinaryWriter& writer) const {
  TOrvoCustomImage::WriteState(writer);
  writer.WriteInt32(remaining_);
  writer.WriteInt32(current_);
  writer.WriteInt32(brightness_);
  writer.WriteBool(paused_);
  if (last_wait_) {
    last_wait_->SaveToStream(writer);
  } else {
    TOrvoParser().SaveToStream(writer);
  }
}

void TOrvoCustomImages::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoCustomImage::ReadState(reader, version);
  remaining_ = reader.ReadInt32();
  current_ = reader.ReadInt32();
  brightness_ = reader.ReadInt32();
  paused_ = reader.ReadBool();
  auto parser = std::make_unique<TOrvoParser>();
  parser->LoadFromStream(reader);
  if (parser->Empty()) {
    last_wait_.reset();
  } else {
    last_wait_ = std::move(parser);
  }
}

// ---- animation

TOrvoImages::TOrvoImages(TOrvoBaseList& stage) : TOrvoCustomImages(stage), list_(stage.Pictures(), this) {}

TOrvoImages::~TOrvoImages() = default;

void TOrvoImages::SetSource(const std::string& source) {
  if (source == source_) return;
  source_ = source;
  ApplySource(source, false);
}

TPropValue TOrvoImages::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_REPEAT:
      return TPropValue::Bool(repeat_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    default:
      return TOrvoCustomImages::GetProperty(id);
  }
}

void TOrvoImages::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      break;
    case PR_REPEAT: {
      const bool repeat = value.AsBool();
      const bool turned_on = repeat && !repeat_;
      repeat_ = repeat;
      if (!turned_on) break;
      if (TOrvoMotion* motion = Motion()) {
        if (motion->Finished()) RewindMotion();
      } else if (!list_.Valid(Current())) {
        SetIndex(0);
      }
      break;
    }
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      break;
    default:
      TOrvoCustomImages::SetProperty(id, value);
      break;
  }
}

void TOrvoImages::WriteState(TBinaryWriter& writer) const {
  TOrvoCustomImages::WriteState(writer);
  writer.WriteBool(repeat_);
  writer.WriteBool(auto_scrap_);
  writer.WriteString(source_);
  writer.WriteString(on_play_end_);
  writer.WriteString(Handler(THandler::Idle));
}

void TOrvoImages::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoCustomImages::ReadState(reader, version);
  const int32_t index = Current();
  const int32_t remaining = Remaining();
  repeat_ = reader.ReadBool();
  auto_scrap_ = reader.ReadBool();
  std::string source = reader.ReadString();
  on_play_end_ = reader.ReadString();
  if (version > 103) SetHandler(THandler::Idle, reader.ReadString());
  source_ = source;
  ApplySource(source, false);
  RestoreFrame(index, remaining);
}

// ---- tile

TOrvoTile::TOrvoTile(TOrvoBaseList& stage) : TOrvoCustomImages(stage), list_(stage.Pictures(), this) {}

TOrvoTile::~TOrvoTile() = default;

void TOrvoTile::SetSource(const std::string& source) {
  if (source == source_) return;
  Invalidate();
  source_ = source;
  SetOwnPicture({});
  ApplySource(source, false);
}

void TOrvoTile::ChangeScroll(int32_t& field, int32_t value) {
  if (field == value) return;
  Invalidate();
  field = value;
  Invalidate();
  NotifyPositionChanged();
}

TPropValue TOrvoTile::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_REPEAT:
      return TPropValue::Bool(true);
    case PR_SCROLLX:
      return TPropValue::Int(scroll_x_);
    case PR_SCROLLY:
      return TPropValue::Int(scroll_y_);
    case PR_DISTANCEX:
      return TPropValue::Int(distance_x_);
    case PR_DISTANCEY:
      return TPropValue::Int(distance_y_);
    default:
      return TOrvoCustomImages::GetProperty(id);
  }
}

void TOrvoTile::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      break;
    case PR_REPEAT:
      break;
    case PR_SCROLLX:
      ChangeScroll(scroll_x_, value.AsInt());
      break;
    case PR_SCROLLY:
      ChangeScroll(scroll_y_, value.AsInt());
      break;
    case PR_DISTANCEX:
      ChangeScroll(distance_x_, value.AsInt());
      break;
    case PR_DISTANCEY:
      ChangeScroll(distance_y_, value.AsInt());
      break;
    default:
      TOrvoCustomImages::SetProperty(id, value);
      break;
  }
}

void TOrvoTile::DrawPicture(TCustomDIBX& surface) {
  const TPictureView& view = DrawnPicture();
  const long double zoom_x = ZoomFactorX(), zoom_y = ZoomFactorY();
  if (view.Empty() || Alpha() <= 0 || Width() <= 0 || Height() <= 0 || !(zoom_x > 0) || !(zoom_y > 0)) return;
  TDIBX& source = *view.surface;
  const int32_t pw = view.Width(), ph = view.Height();
  const int32_t x = AbsLeft(), y = AbsTop();
  const TRect rect{x, y, ClampToInt32(int64_t{x} + Width()), ClampToInt32(int64_t{y} + Height())};
  TDrawFlags flags = TDrawFlags::None;
  if (FlipH()) flags = flags | TDrawFlags::FlipH;
  if (FlipV()) flags = flags | TDrawFlags::FlipV;
  const bool keyed = !view.mask && view.key_color >= 0;
  if (keyed) flags = flags | TDrawFlags::UseKey;
  const int opacity = std::min(Alpha(), 511);
  // A pitch narrower than half the picture would overlap: the picture's own width then.
  const bool pitch_x_set = distance_x_ >= 1 && int64_t{distance_x_} * 2 >= pw;
  const bool pitch_y_set = distance_y_ >= 1 && int64_t{distance_y_} * 2 >= ph;
  if (!pitch_x_set && !pitch_y_set) {
    if (zoom_x == 1 && zoom_y == 1 && !keyed && !view.mask && Alpha() == 255) {
      surface.PatternFill(rect, source, ScrollX(), ScrollY(), flags);
    } else if (view.mask) {
      surface.ScaledPatternFillMask(rect, source, zoom_x, zoom_y, ScrollX(), ScrollY(), *view.mask, flags, opacity);
    } else {
      surface.ScaledPatternFill(rect, source, zoom_x, zoom_y, ScrollX(), ScrollY(), flags, opacity);
    }
    return;
  }
  const int32_t pitch_x = pitch_x_set ? distance_x_ : pw;
  const int32_t pitch_y = pitch_y_set ? distance_y_ : ph;
  if (view.mask) {
    surface.TileStretchDrawMask(rect, pitch_x, pitch_y, zoom_x, zoom_y, source, source.GetBounds(), *view.mask, flags,
                                opacity, ScrollX(), ScrollY());
  } else {
    surface.TileStretchDraw(rect, pitch_x, pitch_y, zoom_x, zoom_y, source, source.GetBounds(), flags, opacity,
                            ScrollX(), ScrollY());
  }
}

void TOrvoTile::CopyTileFrom(const TOrvoTile& source) {
  scroll_x_ = source.scroll_x_;
  scroll_y_ = source.scroll_y_;
  distance_x_ = source.distance_x_;
  distance_y_ = source.distance_y_;
}

void TOrvoTile::WriteState(TBinaryWriter& writer) const {
  TOrvoCustomImages::WriteState(writer);
  writer.WriteInt32(scroll_x_);
  writer.WriteInt32(scroll_y_);
  writer.WriteString(source_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteInt32(distance_x_);
  writer.WriteInt32(distance_y_);
}

void TOrvoTile::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoCustomImages::ReadState(reader, version);
  const int32_t index = Current();
  const int32_t remaining = Remaining();
  scroll_x_ = reader.ReadInt32();
  scroll_y_ = reader.ReadInt32();
  std::string source = reader.ReadString();
  SetHandler(THandler::Idle, reader.ReadString());
  distance_x_ = reader.ReadInt32();
  distance_y_ = reader.ReadInt32();
  source_ = source;
  ApplySource(source, false);
  RestoreFrame(index, remaining);
}

}  // namespace orvo
