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

TOrvoSound::TOrvoSound(TOrvoBaseList& stage, TMediaSystem& media) : TOrvoMediaObject(stage, media) {}

TOrvoSound::~TOrvoSound() { FreeItem(); }

bool TOrvoSound::MidiVolume() const { return SoundKindOf(source_) == TMediaKind::Midi; }

bool TOrvoSound::SourceAvailable() const {
  return source_.rfind("CD_", 0) == 0 || media_.Services().require_file(source_);
}

void TOrvoSound::FreeItem() {
  mixer_.reset();
  if (item_ && item_owner_) item_owner_->FreeItem(item_);
  item_ = nullptr;
  item_owner_ = nullptr;
}

void TOrvoSound::OpenItem() {
  TMediaManager* manager = media_.ManagerOf(SoundKindOf(source_));
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

bool TOrvoSound::Update() {
  if (HandleEnd()) return true;
  return StepFade();
}

TPropValue TOrvoSound::GetProperty(int32_t id) const {
  switch (id) {
    case PR_REPEATPOS:
      return TPropValue::Int(repeat_pos_);
    case PR_COUNT:
      // Without an item the length is measured from the file alone: a
      // temporary item could stop what plays (the single MIDI sequencer).
      return TPropValue::Int(item_ ? item_->GetLength() : media_.MeasureLength(source_));
    case PR_PLAYING:
      return TPropValue::Bool(item_ && item_->IsPlaying());
    default:
      return TOrvoMediaObject::GetProperty(id);
  }
}

void TOrvoSound::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
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
    case PR_INDEX:
      position_ = value.AsInt();
      ended_ = false;
      if (!item_) return;
      item_->SetPosition(position_);
      if (!paused_ && !item_->IsPlaying()) item_->Play();
      return;
    default:
      TOrvoMediaObject::SetProperty(id, value);
      return;
  }
}

void TOrvoSound::WriteState(TBinaryWriter& writer) const {
  TOrvoComponent::WriteState(writer);
  WriteHead(writer);
  writer.WriteBool(ani_paused_);
  writer.WriteBool(ended_);
  const int32_t length = item_ ? item_->GetLength() : 0;
  WriteLevels(writer);
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
