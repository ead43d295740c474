#include "media/video_object.h"

#include <algorithm>
#include <cstring>

#include "stage/stage.h"

namespace orvo {

TOrvoVideo::TOrvoVideo(TOrvoBaseList& stage, TMediaSystem& media) : TOrvoMediaObject(stage, media) {}

TOrvoVideo::~TOrvoVideo() { FreeItem(); }

void TOrvoVideo::FreeItem() {
  mixer_.reset();
  if (item_) media_.Video().FreeItem(item_);
  item_ = nullptr;
  if (frame_surface_) {
    frame_surface_.reset();
    SetOwnPicture({});
  }
  shown_frame_ = SIZE_MAX;
}

void TOrvoVideo::ShowCurrentFrame() {
  if (!item_ || !frame_surface_) return;
  const size_t index = item_->FrameIndexAt(item_->GetPosition());
  if (index == shown_frame_) return;
  shown_frame_ = index;
  const TVideoFrame& frame = item_->Frame(index);
  const int32_t width = item_->SourceWidth();
  for (int32_t y = 0; y < item_->SourceHeight(); ++y) {
    uint8_t* row = frame_surface_->Lock(0, y);
    std::memcpy(row, frame.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                static_cast<size_t>(width) * 4);
    frame_surface_->Unlock();
  }
  Invalidate();
}

void TOrvoVideo::OpenItem() {
  item_ = static_cast<TDsVideoItem*>(media_.Video().CreateItem(source_));
  if (!item_) return;
  item_->SetLoop(loop_);
  item_->SetPan(balance_);
  if (position_ > 0) item_->SetPosition(position_);
  frame_surface_ = std::make_shared<TDIBX>();
  frame_surface_->SetSize(item_->SourceWidth(), item_->SourceHeight(), 32);
  TPictureView view;
  view.surface = frame_surface_;
  SetOwnPicture(std::move(view));
  ShowCurrentFrame();
}

bool TOrvoVideo::Update() {
  if (TOrvoCustomImage::Update()) return true;
  if (HandleEnd()) return true;
  ShowCurrentFrame();
  return StepFade();
}

TPropValue TOrvoVideo::GetProperty(int32_t id) const {
  switch (id) {
    case PR_COUNT:
      return TPropValue::Int(item_ ? item_->GetLength() : 0);
    case PR_PLAYING:
      if (!item_ || paused_ || ani_paused_) return TPropValue::Bool(false);
      return TPropValue::Bool(loop_ || item_->GetPosition() < item_->GetLength() - 1);
    case PR_ONIDLE:
      return TPropValue::Str(on_idle_);
    case PR_OVERLAY:
      return TPropValue::Bool(overlay_);
    default:
      return TOrvoMediaObject::GetProperty(id);
  }
}

void TOrvoVideo::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_REPEAT:
      loop_ = value.AsBool();
      if (!item_) return;
      item_->SetLoop(loop_);
      if (loop_ && !paused_ && item_->GetPosition() >= item_->GetLength() - 1) item_->SetPosition(0);
      return;
    case PR_INDEX:
      position_ = value.AsInt();
      if (item_) item_->SetPosition(position_);
      return;
    case PR_ONIDLE:
      on_idle_ = value.AsStr();
      return;
    case PR_OVERLAY: {
      if (overlay_ == value.AsBool()) return;
      overlay_ = value.AsBool();
      if (!item_) return;
      // Played again from where it was; stopping must not delete the object here.
      position_ = item_->GetPosition();
      FreeItem();
      SetPlayState(psPlay);
      return;
    }
    default:
      TOrvoMediaObject::SetProperty(id, value);
      return;
  }
}

void TOrvoVideo::WriteState(TBinaryWriter& writer) const {
  TOrvoCustomImage::WriteState(writer);
  WriteHead(writer);
  WriteLevels(writer);
  writer.WriteByte(play_state_);
  writer.WriteString(on_play_end_);
  writer.WriteString(on_idle_);
  writer.WriteBool(rewind_on_load_);
  writer.WriteBool(overlay_);
  writer.WriteBool(mute_on_load_);
}

void TOrvoVideo::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoCustomImage::ReadState(reader, version);
  std::string source = reader.ReadString();
  loop_ = reader.ReadBool();
  auto_scrap_ = reader.ReadBool();
  paused_ = reader.ReadBool();
  volume_ = reader.ReadInt32();
  balance_ = std::clamp(reader.ReadInt32(), -10000, 10000);
  const int32_t fade_time = reader.ReadInt32();
  const int32_t position = reader.ReadInt32();
  uint8_t state = reader.ReadByte();
  on_play_end_ = reader.ReadString();
  on_idle_ = reader.ReadString();
  if (version > 107) rewind_on_load_ = reader.ReadBool();
  overlay_ = version >= 112 ? reader.ReadBool() : true;
  mute_on_load_ = version > 128 ? reader.ReadBool() : false;
  if (mute_on_load_) volume_ = 0;
  if (state > psFadeOutDelete) state = psStop;
  // The fade time is held at 0 while the record is applied.
  fade_time_ = 0;
  SetProperty(PR_SOURCE, TPropValue::Str(std::move(source)));
  position_ = rewind_on_load_ ? 0 : position;
  if (state == psFadeOutDelete) state = psPlay;
  fade_time_ = fade_time;
  SetPlayState(state);
}

}  // namespace orvo
