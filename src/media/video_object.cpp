#include "media/video_object.h"

#include <algorithm>
#include <cstring>

#include "media/sound_object.h"
#include "stage/stage.h"

namespace orvo {

TOrvoVideo::TOrvoVideo(TOrvoBaseList& stage, TMediaSystem& media) : TOrvoCustomImage(stage), media_(media) {}

TOrvoVideo::~TOrvoVideo() { FreeItem(); }

int32_t TOrvoVideo::Effective() const { return EffectiveVolume(volume_, false); }

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

void TOrvoVideo::StartFadeIn() {
  if (item_) mixer_ = std::make_unique<TOrvoMixer>(TFadeKind::In, *item_, Effective(), fade_time_, false);
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

void TOrvoVideo::SetPlayState(uint8_t state) {
  mixer_.reset();
  ended_ = false;
  play_state_ = state;
  if (state == psFadeIn && fade_time_ <= 0) state = psPlay;
  if (state == psPlay || state == psFadeIn) {
    if (!item_) {
      if (!media_.Services().require_file(source_)) {
        if (auto_scrap_) Scrap();
        return;
      }
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
  } else if (state == psStop) {
    FreeItem();
    position_ = 0;
    Scrap();
    return;
  }
  switch (state) {
    case psPlay:
      item_->SetVolume(Effective());
      if (paused_) {
        item_->Pause();
      } else {
        item_->Play();
      }
      break;
    case psFadeIn:
      if (!paused_) StartFadeIn();
      break;
    case psFadeOutDelete:
      if (!item_) {
        Scrap();
        break;
      }
      mixer_ = std::make_unique<TOrvoMixer>(TFadeKind::Out, *item_, -10000, fade_time_, false);
      position_ = 0;
      StoreName(std::string("\x01SCRAP_") + Name());
      break;
    default:
      break;
  }
}

void TOrvoVideo::RestartMedia() {
  position_ = 0;
  paused_ = false;
  ended_ = false;
  play_state_ = psFadeIn;
  if (!item_) {
    SetPlayState(psFadeIn);
    return;
  }
  mixer_.reset();
  if (fade_time_ <= 0) {
    item_->SetVolume(Effective());
    item_->SetPosition(0);
    if (!item_->IsPlaying()) item_->Play();
  } else {
    item_->Pause();
    item_->SetVolume(-10000);
    item_->SetPosition(0);
    StartFadeIn();
  }
}

bool TOrvoVideo::StopMedia(int32_t fade_time) {
  if (fade_time <= 0) {
    SetPlayState(psStop);
    Scrap();
    return false;
  }
  if (!media_.Services().require_file(source_)) return false;
  if (play_state_ != psPlay && play_state_ != psFadeIn) return false;
  fade_time_ = fade_time;
  SetPlayState(psFadeOutDelete);
  return true;
}

bool TOrvoVideo::Update() {
  if (TOrvoCustomImage::Update()) return true;
  if (item_ && item_->IsEnd()) {
    item_->ClearEnd();
    if (loop_) {
      item_->SetPosition(0);
      item_->Play();
    } else {
      ended_ = true;
      if (auto_scrap_) return true;
      if (!on_play_end_.empty()) Stage().Events().PostEvent(Handle(), on_play_end_, {}, ecPlayEnd);
    }
  }
  ShowCurrentFrame();
  if (mixer_ && mixer_->Step(Stage().GameClock())) {
    const bool fade_out = mixer_->Kind() == TFadeKind::Out;
    mixer_.reset();
    if (fade_out) return true;
  }
  return false;
}

void TOrvoVideo::ReapplyPause() {
  if (!item_) return;
  if (paused_ || ani_paused_) {
    item_->Pause();
    item_->SetVolume(-10000);
  } else if (play_state_ == psFadeIn && fade_time_ > 0) {
    StartFadeIn();
  } else {
    item_->SetVolume(Effective());
    item_->Play();
  }
}

TPropValue TOrvoVideo::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_REPEAT:
      return TPropValue::Bool(loop_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_ANIPAUSED:
      return TPropValue::Bool(ani_paused_);
    case PR_VOLUME:
      return TPropValue::Int(volume_);
    case PR_BALANCE:
      return TPropValue::Int(balance_);
    case PR_DELAY:
      return TPropValue::Int(fade_time_);
    case PR_INDEX:
      return TPropValue::Int(item_ ? item_->GetPosition() : 0);
    case PR_COUNT:
      return TPropValue::Int(item_ ? item_->GetLength() : 0);
    case PR_PLAYING:
      if (!item_ || paused_ || ani_paused_) return TPropValue::Bool(false);
      return TPropValue::Bool(loop_ || item_->GetPosition() < item_->GetLength() - 1);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_ONIDLE:
      return TPropValue::Str(on_idle_);
    case PR_REWINDONLOAD:
      return TPropValue::Bool(rewind_on_load_);
    case PR_MUTEONLOAD:
      return TPropValue::Bool(mute_on_load_);
    case PR_OVERLAY:
      return TPropValue::Bool(overlay_);
    default:
      return TOrvoCustomImage::GetProperty(id);
  }
}

void TOrvoVideo::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE: {
      std::string source = value.AsStr();
      if (source == source_) return;
      FreeItem();
      source_ = std::move(source);
      play_state_ = psStop;
      paused_ = false;
      position_ = 0;
      ended_ = false;
      return;
    }
    case PR_PAUSED:
    case PR_ANIPAUSED: {
      bool& flag = id == PR_PAUSED ? paused_ : ani_paused_;
      if (flag == value.AsBool()) return;
      flag = value.AsBool();
      ReapplyPause();
      return;
    }
    case PR_VOLUME:
      if (volume_ == value.AsInt()) return;
      volume_ = value.AsInt();
      if (item_) item_->SetVolume(Effective());
      return;
    case PR_REPEAT:
      loop_ = value.AsBool();
      if (!item_) return;
      item_->SetLoop(loop_);
      if (loop_ && !paused_ && item_->GetPosition() >= item_->GetLength() - 1) item_->SetPosition(0);
      return;
    case PR_BALANCE:
      balance_ = std::clamp(value.AsInt(), -10000, 10000);
      if (item_) item_->SetPan(balance_);
      return;
    case PR_DELAY:
      fade_time_ = value.AsInt();
      return;
    case PR_INDEX:
      position_ = value.AsInt();
      if (item_) item_->SetPosition(position_);
      return;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      return;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      return;
    case PR_ONIDLE:
      on_idle_ = value.AsStr();
      return;
    case PR_REWINDONLOAD:
      rewind_on_load_ = value.AsBool();
      return;
    case PR_MUTEONLOAD:
      mute_on_load_ = value.AsBool();
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
      TOrvoCustomImage::SetProperty(id, value);
      return;
  }
}

void TOrvoVideo::WriteState(TBinaryWriter& writer) const {
  TOrvoCustomImage::WriteState(writer);
  writer.WriteString(source_);
  writer.WriteBool(loop_);
  writer.WriteBool(auto_scrap_);
  writer.WriteBool(paused_);
  writer.WriteInt32(volume_);
  writer.WriteInt32(balance_);
  writer.WriteInt32(fade_time_);
  writer.WriteInt32(item_ ? item_->GetPosition() : position_);
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
