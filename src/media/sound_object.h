#pragma once
// The sound object (kind 17): plays one source through the manager of its
// file type, with fades, play states, a play-end event and a save record.
#include <string>

#include "media/media_object.h"
#include "stage/orvo_object.h"

namespace orvo {

class TOrvoSound : public TOrvoMediaObject<TOrvoComponent, TDMediaItem> {
 public:
  TOrvoSound(TOrvoBaseList& stage, TMediaSystem& media);
  ~TOrvoSound() override;

  uint8_t CompoType() const override { return kcSound; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  // The media-play command: from the beginning, fading in when the fade time is above 0.
  void Restart() { RestartMedia(); }

 private:
  bool SourceAvailable() const override;
  void OpenItem() override;
  void FreeItem() override;
  bool MidiVolume() const override;

  TMediaManager* item_owner_ = nullptr;
  int32_t repeat_pos_ = 0;
};

}  // namespace orvo
