#include "media/sound_object.h"

#include <algorithm>

#include "stage/stage.h"

namespace orvo {

int32_t EffectiveVolume(int32_t volume, bool midi) {
  if (midi) return static_cast<int32_t>(std::clamp<int64_t>(int64_t{volume} * 10 - 10000, INT32_MIN, INT32_MAX));
  const int64_t x = int64_t{volume} * 5 - 5000;
  if (x <= -5000) return -10000;
  if (x > 0) return 0;
  return static_cast<int32_t>(x);
}

TOrvoSound::TOrvoSound(TOrvoBaseList& stage, TMediaSystem& media) : TOrvoComponent(stage), media_(media) {
  rewind_on_load_ = true;
}

TOrvoSound::~TOrvoSound() { FreeItem(); }

bool TOrvoSound::IsMidi() const { return SoundKindOf(source_) == TMediaKind::Midi; }

void TOrvoSound::FreeItem() {
  mixer_.reset();
  if (item_ && item_owner_) item_owner_->FreeItem(item_);
  item_ = nullptr;
  item_owner_ = nullptr;
}

void TOrvoSound::StartFadeIn() {
  if (!item_) return;
  mixer_ = std::make_unique<TOrvoMixer>(TFadeKind::In, *item_, Effective(), fade_time_, IsMidi());
}

void TOrvoSound::SetPlayState(uint8_t state) {
  mixer_.reset();
  ended_ = false;
  play_state_ = state;
  if (state == psFadeIn && fade_time_ <= 0) state = psPlay;
  if (state == psPlay || state == psFadeIn) {
    if (!item_) {
      const TMediaKind kind = SoundKindOf(source_);
      const bool available = source_.rfind("CD_", 0) == 0 || media_.Services().require_file(source_);
      TMediaManager* manager = available ? media_.ManagerOf(kind) : nullptr;
      if (!available) {
        if (auto_scrap_) Scrap();
        return;
      }
      item_ = manager ? manager->CreateItem(source_) : nullptr;
      if (!item_) return;
      item_owner_ = manager;
      item_->SetPan(std::clamp(balance_, -10000, 10000));
      // The loop flag and repeat position go with the pan, so that a loop
      // restarts from its repeat position without a gap.
      item_->SetRepeatPos(repeat_pos_);
      item_->SetLoop(loop_);
      if (position_ > 0) item_->SetPosition(position_);
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
      mixer_ = std::make_unique<TOrvoMixer>(TFadeKind::Out, *item_, -10000, fade_time_, IsMidi());
      position_ = 0;
      StoreName(std::string("\x01SCRAP_") + Name());
      break;
    default:
      break;
  }
}

bool TOrvoSound::StopMedia(int32_t fade_time) {
  if (fade_time <= 0) {
    SetPlayState(psStop);
    Scrap();
    return false;
  }
  if (source_.rfind("CD_", 0) != 0 && !media_.Services().require_file(source_)) return false;
  if (play_state_ != psPlay && play_state_ != psFadeIn) return false;  // nothing plays
  fade_time_ = fade_time;
  SetPlayState(psFadeOutDelete);
  return true;
}

void TOrvoSound::Restart() {
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

bool TOrvoSound::Update() {
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
  if (mixer_ && mixer_->Step(Stage().GameClock())) {
    const bool fade_out = mixer_->Kind() == TFadeKind::Out;
    mixer_.reset();
    if (fade_out) return true;
  }
  return false;
}

void TOrvoSound::ReapplyPause() {
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

TPropValue TOrvoSound::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_REPEAT:
      return TPropValue::Bool(loop_);
    case PR_REPEATPOS:
      return TPropValue::Int(repeat_pos_);
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
      // Without an item the length is measured from the file alone: a
      // temporary item could stop what plays (the single MIDI sequencer).
      return TPropValue::Int(item_ ? item_->GetLength() : media_.MeasureLength(source_));
    case PR_PLAYING:
      return TPropValue::Bool(item_ && item_->IsPlaying());
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_REWINDONLOAD:
      return TPropValue::Bool(rewind_on_load_);
    case PR_MUTEONLOAD:
      return TPropValue::Bool(mute_on_load_);
    default:
      return TOrvoComponent::GetProperty(id);
  }
}

void TOrvoSound::SetProperty(int32_t id, const TPropValue& value) {
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
      if (loop_ && !paused_ && item_->GetPosition() >= item_->GetLength() - 1) {
        item_->SetPosition(0);
        ended_ = false;
      }
      return;
    case PR_REPEATPOS:
      if (repeat_pos_ == value.AsInt()) return;
      repeat_pos_ = value.AsInt();
      if (item_) item_->SetRepeatPos(repeat_pos_);
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
      ended_ = false;
      if (!item_) return;
      item_->SetPosition(position_);
      if (!paused_ && !item_->IsPlaying()) item_->Play();
      return;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      return;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      return;
    case PR_REWINDONLOAD:
      rewind_on_load_ = value.AsBool();
      return;
    case PR_MUTEONLOAD:
      mute_on_load_ = value.AsBool();
      return;
    default:
      TOrvoComponent::SetProperty(id, value);
      return;
  }
}

void TOrvoSound::WriteState(TBinaryWriter& writer) const {
  TOrvoComponent::WriteState(writer);
  writer.WriteString(source_);
  writer.WriteBool(loop_);
  writer.WriteBool(auto_scrap_);
  writer.WriteBool(paused_);
  writer.WriteBool(ani_paused_);
  writer.WriteBool(ended_);
  writer.WriteInt32(volume_);
  writer.WriteInt32(balance_);
  writer.WriteInt32(fade_time_);
  const int32_t length = item_ ? item_->GetLength() : 0;
  writer.WriteInt32(item_ ? item_->GetPosition() : position_);
  // Short sounds that do not loop are not resumed by a load.
  const bool keep = loop_ || length >= 3000 || play_state_ == psStop || play_state_ == psFadeOutDelete;
  writer.WriteByte(keep ? play_state_ : static_cast<uint8_t>(psStop));
  writer.WriteString(on_play_end_);
  writer.WriteBool(rewind_on_load_);
  writer.WriteBool(mute_on_load_);
  writer.WriteInt32(repeat_pos_);
}

void TOrvoSound::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoComponent::ReadState(reader, version);
  std::string source = reader.ReadString();
  const bool loop = reader.ReadBool();
  const bool auto_scrap = reader.ReadBool();
  const bool paused = reader.ReadBool();
  const bool ani_paused = reader.ReadBool();
  const bool ended = reader.ReadBool();
  int32_t volume = reader.ReadInt32();
  const int32_t balance = reader.ReadInt32();
  const int32_t fade_time = reader.ReadInt32();
  const int32_t position = reader.ReadInt32();
  uint8_t state = reader.ReadByte();
  std::string on_play_end = reader.ReadString();
  const bool rewind = version > 107 ? reader.ReadBool() : rewind_on_load_;
  const bool mute = version > 128 ? reader.ReadBool() : false;
  const int32_t repeat_pos = version > 137 ? reader.ReadInt32() : 0;
  if (state > psFadeOutDelete) state = psStop;
  if (mute) volume = 0;

  loop_ = loop;
  auto_scrap_ = auto_scrap;
  volume_ = volume;
  balance_ = std::clamp(balance, -10000, 10000);
  on_play_end_ = std::move(on_play_end);
  rewind_on_load_ = rewind;
  mute_on_load_ = mute;
  repeat_pos_ = repeat_pos;
  SetProperty(PR_SOURCE, TPropValue::Str(std::move(source)));
  position_ = rewind ? 0 : position;
  paused_ = paused;
  ani_paused_ = ani_paused;
  if (state == psFadeOutDelete) state = psPlay;
  fade_time_ = fade_time;
  if (ended) {
    ended_ = true;
    play_state_ = state;
  } else {
    SetPlayState(state);
  }
  if ((paused_ || ani_paused_) && item_) {
    item_->Pause();
    item_->SetVolume(-10000);
  }
}

}  // namespace orvo
