#pragma once
// What sound and video objects share: the play states, pause, fades, the
// play-end event and the properties and save-record fields they hold alike.
// The two sit on different object bases (a component and a picture), hence a
// template over the base rather than one more class in the hierarchy.
#include <algorithm>
#include <memory>
#include <string>

#include "base/binary_io.h"
#include "media/fade.h"
#include "media/media_system.h"
#include "stage/stage.h"

namespace orvo {

// Play states of sound and video objects.
enum : uint8_t { psPlay = 0, psFadeIn = 1, psStop = 2, psFadeOutDelete = 3 };

// The item volume of a PR_VOLUME value (0..1000): 10·v − 10000 for MIDI,
// otherwise 5·v − 5000 with v <= 0 silent.
int32_t EffectiveVolume(int32_t volume, bool midi);

template <class TBase, class TItem>
class TOrvoMediaObject : public TBase {
 public:
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void RestartMedia() override;
  void StartMedia() override { SetPlayState(fade_time_ > 0 ? psFadeIn : psPlay); }
  bool StopMedia(int32_t fade_time) override;

  uint8_t GetPlayState() const { return play_state_; }
  void SetPlayState(uint8_t state);
  TItem* Item() const { return item_; }
  bool Ended() const { return ended_; }

 protected:
  TOrvoMediaObject(TOrvoBaseList& stage, TMediaSystem& media) : TBase(stage), media_(media) {}

  // Whether the source can be played at all; a missing one scraps an auto-scrap object.
  virtual bool SourceAvailable() const = 0;
  // Creates item_ for source_ and sets it up, or leaves it null.
  virtual void OpenItem() = 0;
  // Drops item_ and the fade on it.
  virtual void FreeItem() = 0;
  // MIDI sources take the wider volume range.
  virtual bool MidiVolume() const { return false; }

  int32_t Effective() const { return EffectiveVolume(volume_, MidiVolume()); }
  void StartFadeIn();
  void ReapplyPause();
  // The end of the item: loops it, or reports the play end. True when the
  // object is to be deleted (auto-scrap).
  bool HandleEnd();
  // One fade step; true when a fade-out has run out and the object goes.
  bool StepFade();
  // The fields both save records hold in the same order.
  void WriteHead(TBinaryWriter& writer) const;
  void WriteLevels(TBinaryWriter& writer) const;

  TMediaSystem& media_;
  std::string source_;
  uint8_t play_state_ = psStop;
  TItem* item_ = nullptr;
  bool loop_ = false;
  bool paused_ = false;
  bool ani_paused_ = false;
  int32_t volume_ = 1000;
  int32_t balance_ = 0;
  std::unique_ptr<TOrvoMixer> mixer_;
  int32_t fade_time_ = 0;
  int32_t position_ = 0;
  bool auto_scrap_ = false;
  std::string on_play_end_;
  bool ended_ = false;
  bool rewind_on_load_ = true;
  bool mute_on_load_ = false;
};

template <class TBase, class TItem>
void TOrvoMediaObject<TBase, TItem>::StartFadeIn() {
  if (item_) mixer_ = std::make_unique<TOrvoMixer>(TFadeKind::In, *item_, Effective(), fade_time_, MidiVolume());
}

template <class TBase, class TItem>
void TOrvoMediaObject<TBase, TItem>::SetPlayState(uint8_t state) {
  mixer_.reset();
  ended_ = false;
  play_state_ = state;
  if (state == psFadeIn && fade_time_ <= 0) state = psPlay;
  if (state == psPlay || state == psFadeIn) {
    if (!item_) {
      if (!SourceAvailable()) {
        if (auto_scrap_) this->Scrap();
        return;
      }
      OpenItem();
      if (!item_) return;
    }
  } else if (state == psStop) {
    FreeItem();
    position_ = 0;
    this->Scrap();
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
        this->Scrap();
        break;
      }
      mixer_ = std::make_unique<TOrvoMixer>(TFadeKind::Out, *item_, -10000, fade_time_, MidiVolume());
      position_ = 0;
      this->StoreName(std::string("\x01SCRAP_") + this->Name());
      break;
    default:
      break;
  }
}

template <class TBase, class TItem>
bool TOrvoMediaObject<TBase, TItem>::StopMedia(int32_t fade_time) {
  if (fade_time <= 0) {
    SetPlayState(psStop);
    this->Scrap();
    return false;
  }
  if (!SourceAvailable()) return false;
  if (play_state_ != psPlay && play_state_ != psFadeIn) return false;  // nothing plays
  fade_time_ = fade_time;
  SetPlayState(psFadeOutDelete);
  return true;
}

template <class TBase, class TItem>
void TOrvoMediaObject<TBase, TItem>::RestartMedia() {
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

template <class TBase, class TItem>
bool TOrvoMediaObject<TBase, TItem>::HandleEnd() {
  if (!item_ || !item_->IsEnd()) return false;
  item_->ClearEnd();
  if (loop_) {
    item_->SetPosition(0);
    item_->Play();
    return false;
  }
  ended_ = true;
  if (auto_scrap_) return true;
  if (!on_play_end_.empty()) this->Stage().Events().PostEvent(this->Handle(), on_play_end_, {}, ecPlayEnd);
  return false;
}

template <class TBase, class TItem>
bool TOrvoMediaObject<TBase, TItem>::StepFade() {
  if (!mixer_ || !mixer_->Step(this->Stage().GameClock())) return false;
  const bool fade_out = mixer_->Kind() == TFadeKind::Out;
  mixer_.reset();
  return fade_out;
}

template <class TBase, class TItem>
void TOrvoMediaObject<TBase, TItem>::ReapplyPause() {
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

template <class TBase, class TItem>
TPropValue TOrvoMediaObject<TBase, TItem>::GetProperty(int32_t id) const {
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
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_REWINDONLOAD:
      return TPropValue::Bool(rewind_on_load_);
    case PR_MUTEONLOAD:
      return TPropValue::Bool(mute_on_load_);
    default:
      return TBase::GetProperty(id);
  }
}

template <class TBase, class TItem>
void TOrvoMediaObject<TBase, TItem>::SetProperty(int32_t id, const TPropValue& value) {
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
    case PR_BALANCE:
      balance_ = std::clamp(value.AsInt(), -10000, 10000);
      if (item_) item_->SetPan(balance_);
      return;
    case PR_DELAY:
      fade_time_ = value.AsInt();
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
      TBase::SetProperty(id, value);
      return;
  }
}

template <class TBase, class TItem>
void TOrvoMediaObject<TBase, TItem>::WriteHead(TBinaryWriter& writer) const {
  writer.WriteString(source_);
  writer.WriteBool(loop_);
  writer.WriteBool(auto_scrap_);
  writer.WriteBool(paused_);
}

template <class TBase, class TItem>
void TOrvoMediaObject<TBase, TItem>::WriteLevels(TBinaryWriter& writer) const {
  writer.WriteInt32(volume_);
  writer.WriteInt32(balance_);
  writer.WriteInt32(fade_time_);
  writer.WriteInt32(item_ ? item_->GetPosition() : position_);
}

}  // namespace orvo
