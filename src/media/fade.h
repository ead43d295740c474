#pragma once
// Fades: small mixers that move an item's volume over game time.
#include <cstdint>

namespace orvo {

class TDMediaItem;

// The volume of a fade e ms after its start. MIDI fades go from the start
// over the whole range, up or down; others only cover the upper half and
// jump to the target at the end.
// Products are 64-bit (e·d passes 32 bits for fades of a few minutes).
int32_t FadeVolume(int32_t start, int32_t target, uint32_t elapsed, uint32_t duration, bool midi);

enum class TFadeKind { In, Out };

class TOrvoMixer {
 public:
  TOrvoMixer(TFadeKind kind, TDMediaItem& item, int32_t target, int32_t duration, bool midi)
      : kind_(kind), item_(item), target_(target), duration_(duration), midi_(midi) {}

  TFadeKind Kind() const { return kind_; }
  // One step at game time now; true when the fade is done.
  bool Step(int32_t now);

 private:
  TFadeKind kind_;
  TDMediaItem& item_;
  int32_t target_;
  int32_t duration_;
  bool midi_;
  bool started_ = false;
  int32_t start_time_ = 0;
  int32_t start_volume_ = 0;
};

}  // namespace orvo
