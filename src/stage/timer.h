#pragma once
// The timer (kind 15): posts its notify handler every Delay milliseconds of
// the game clock, never with two notify events queued.
#include <string>

#include "stage/orvo_object.h"

namespace orvo {

class TOrvoTimer : public TOrvoComponent {
 public:
  explicit TOrvoTimer(TOrvoBaseList& stage);

  uint8_t CompoType() const override { return kcTimer; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  bool Fired() const { return fired_; }
  int32_t LastTick() const { return last_tick_; }

 private:
  // Drops the waiting notify events and counts the delay from now.
  void Restart();

  std::string on_notify_;
  int32_t delay_ = 0;
  bool paused_ = false;
  bool auto_scrap_ = false;
  bool fired_ = false;
  int32_t last_tick_ = 0;
};

}  // namespace orvo
