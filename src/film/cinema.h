#pragma once
// The film object (kind 4): plays a whole film at 60 frames per second,
// directly on the main stage (its track objects become its children) or on a
// nested stage of its own that it composes into its area.
#include <cstdint>
#include <memory>
#include <string>

#include "film/film.h"
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoCinema : public TOrvoControl {
 public:
  explicit TOrvoCinema(TOrvoBaseList& stage);
  ~TOrvoCinema() override;

  uint8_t CompoType() const override { return kcCinema; }
  bool Paused() const override { return false; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // Advances the film time and shows the frame it reaches.
  bool Update() override;
  // A nested film is drawn into the object's area, then the children.
  void Paint(TCustomDIBX& surface) override;
  // The film's own objects are never hit.
  TOrvoControl* HitTest(int32_t x, int32_t y, uint32_t mask) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

  TFilmManager* Film() const { return film_.get(); }
  TOrvoBaseList& NestedStage() const { return *nested_; }
  // True when the film plays on the nested stage.
  bool PlaysNested() const { return film_ && film_->Stage() == nested_.get(); }
  int32_t Elapsed() const { return elapsed_; }
  bool Ended() const { return ended_; }

 protected:
  void SizeChanged() override;

 private:
  void SetSource(const std::string& source);
  void FreeFilm();

  std::unique_ptr<TOrvoBaseList> nested_;
  std::unique_ptr<TFilmManager> film_;
  std::string source_;
  int32_t elapsed_ = 0;
  bool repeat_ = false;
  bool paused_ = false;
  bool auto_scrap_ = false;
  std::string on_play_end_;
  bool ended_ = false;
  int32_t start_countdown_ = 0;
  int32_t volume_ = 0;
  bool rewind_on_load_ = false;
  bool mute_on_load_ = false;
  // The nested stage drew this frame.
  bool nested_painted_ = false;
};

// Registers the film object (kind 4) and the motion-film loader on a stage.
void RegisterFilmKinds(TOrvoBaseList& stage);

}  // namespace orvo
