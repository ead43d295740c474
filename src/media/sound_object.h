#pragma once
// The sound object (kind 17): plays one source through the manager of its
// file type, with fades, play states, a play-end event and a save record.
#include <memory>
#include <string>

#include "media/fade.h"
#include "media/media_system.h"
#include "stage/orvo_object.h"

namespace orvo {

// Play states of sound and video objects.
enum : uint8_t { psPlay = 0, psFadeIn = 1, psStop = 2, psFadeOutDelete = 3 };

// The item volume of a PR_VOLUME value (0..1000): 10·v − 10000 for MIDI,
// otherwise 5·v − 5000 with v <= 0 silent.
int32_t EffectiveVolume(int32_t volume, bool midi);

class TOrvoSound : public TOrvoComponent {
 public:
  TOrvoSound(TOrvoBaseList& stage, TMediaSystem& media);
  ~TOrvoSound() override;

  uint8_t CompoType() const override { return kcSound; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  void RestartMedia() override { Restart(); }
  void StartMedia() override { SetPlayState(fade_time_ > 0 ? psFadeIn : psPlay); }
  bool StopMedia(int32_t fade_time) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  uint8_t GetPlayState() const { return play_state_; }
  void SetPlayState(uint8_t state);
  // The media-play command: from the beginning, fading in when the fade time is above 0.
  void Restart();
  TDMediaItem* Item() const { return item_; }
  bool Ended() const { return ended_; }

 private:
  bool IsMidi() const;
  int32_t Effective() const { return EffectiveVolume(volume_, IsMidi()); }
  void FreeItem();
  void ReapplyPause();
  void StartFadeIn();

  TMediaSystem& media_;
  std::string source_;
  uint8_t play_state_ = psStop;
  TDMediaItem* item_ = nullptr;
  TMediaManager* item_owner_ = nullptr;
  bool loop_ = false;
  int32_t repeat_pos_ = 0;
  bool paused_ = false;
  int32_t volume_ = 1000;
  int32_t balance_ = 0;
  std::unique_ptr<TOrvoMixer> mixer_;
  int32_t fade_time_ = 0;
  int32_t position_ = 0;
  bool auto_scrap_ = false;
  std::string on_play_end_;
  bool ani_paused_ = false;
  bool ended_ = false;
  bool rewind_on_load_ = false;
  bool mute_on_load_ = false;
};

}  // namespace orvo
