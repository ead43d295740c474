#pragma once
// The particle emitter (kind 14) and its particles: small transient pictures,
// children of the emitter, moved in 16 ms steps along one of four paths
// (snow, star burst, fluff, twister) or by a motion film, and deleted when
// they leave the emitter's area or their picture or film ends.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "stage/image_list.h"
#include "stage/images.h"
#include "stage/orvo_control.h"
#include "stage/particle_param.h"
#include "vars/parser.h"

namespace orvo {

// Motion types (PR_PARTMOTION).
enum TParticleMotion : uint8_t { PM_NONE = 0, PM_SNOW = 1, PM_STAR = 2, PM_FLUFF = 3, PM_TWISTER = 4 };

// The fixed time step of particles.
constexpr int32_t kParticleStepMs = 16;
// A pre-run longer than this is cut: it is simulated at once, in one frame.
constexpr int32_t kMaxParticlePreRun = 60000;
// An emitter makes no new particle while it has this many.
constexpr int32_t kMaxLiveParticles = 10000;

using TParticleFactors = std::array<long double, 3>;

class TOrvoParticle;

// The motion-film source of an emitter: every particle plays its own copy
// of the film, stepped by the particle's age.
class TOrvoMotionParticle {
 public:
  TOrvoMotionParticle(std::string file, bool repeat) : file_(std::move(file)), repeat_(repeat) {}

  const std::string& File() const { return file_; }
  bool Repeats() const { return repeat_; }
  void SetRepeat(bool repeat) { repeat_ = repeat; }
  // One step of a particle's film at its age: true when the particle is done.
  bool Step(class TOrvoParticleImages& particle, const TOrvoParticle& emitter) const;

 private:
  std::string file_;
  bool repeat_;
};

// One particle: an animated picture of kind code 0 that takes its frames from its emitter.
class TOrvoParticleImages : public TOrvoCustomImages {
 public:
  TOrvoParticleImages(TOrvoBaseList& stage, TOrvoParticle& emitter);
  ~TOrvoParticleImages() override;

  bool WantsAutoName() const override { return false; }
  // Finished particles leave their emitter and are deleted; others play their picture or film.
  bool Update() override;
  TOrvoImageList* FrameList() override;

  // Places the particle after creation (the motion's random draws).
  void Init();
  // Moves the particle by n steps (n >= 1).
  void Advance(int32_t n);
  // The picture or film ended: deleted at the next update.
  void Finish() { finished_ = true; }

  bool Finished() const { return finished_; }
  int32_t Age() const { return age_; }
  uint8_t MotionType() const { return motion_; }
  const TParticleFactors& Factors() const { return factors_; }
  long double Radius() const { return radius_; }
  long double MaxRadius() const { return max_radius_; }
  int32_t BaseX() const { return base_x_; }
  int32_t BaseY() const { return base_y_; }

 protected:
  void AnimationEnded() override { Finish(); }
  bool Repeats() const override { return repeat_; }

 private:
  friend class TOrvoParticle;

  TOrvoParticle* Emitter() const;
  // The system name that keeps particles out of saves.
  void TakeName(const std::string& name) { StoreName(name); }
  void Place(int32_t left, int32_t top);

  TObjectHandle emitter_;
  TParticleFactors factors_{};
  long double pos_x_ = 0;
  long double acc_y_ = 0;
  long double sway_ = 0;
  long double spin_ = 0;
  long double angle_ = 0;
  long double radius_ = 0;
  int32_t base_x_ = 0;
  int32_t base_y_ = 0;
  uint8_t motion_ = PM_NONE;
  int32_t age_ = 0;
  long double max_radius_ = 0;
  bool repeat_ = true;
  bool finished_ = false;
};

class TOrvoParticle : public TOrvoControl, public IParticleEmission {
 public:
  explicit TOrvoParticle(TOrvoBaseList& stage);
  ~TOrvoParticle() override;

  uint8_t CompoType() const override { return kcParticle; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // Pre-run, emission and draining; true once drained (the stage deletes the emitter).
  bool Update() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  // ---- film particle tracks
  TOrvoParticleParam& EmissionParam() override;
  void SetParticleLoop(bool loop) override;

  // ---- the creation command's expressions (copies)
  void SetExpressions(const TOrvoParser* appear_x, const TOrvoParser* appear_y, const TOrvoParser* interval);

  // Advances every particle by n steps, then (when emitting) makes the particles due.
  void Emit(int32_t n, bool emitting);

  int32_t State() const { return state_; }
  int32_t Countdown() const { return countdown_; }
  int32_t TimeAcc() const { return time_acc_; }
  uint8_t MotionType() const { return motion_; }
  const TParticleFactors& Factors() const { return factors_; }
  const TOrvoParticleParam* Param() const { return param_.get(); }
  // Whether particles repeat their picture or film: as a film track set it,
  // else repeating pictures and films played once.
  bool Loop() const;
  TOrvoImageList& Pictures() { return pictures_; }
  const TOrvoMotionParticle* MotionFilm() const { return motion_film_.get(); }
  // The live particles in creation order.
  std::vector<TOrvoParticleImages*> Particles() const;
  int32_t ParticleCount() const { return static_cast<int32_t>(particles_.size()); }

 private:
  friend class TOrvoParticleImages;

  void SetSource(const std::string& source);
  void RemoveParticle(TObjectHandle particle);
  // An expression's integer value; none when it is empty, yields nothing or no script runs.
  std::optional<int32_t> Evaluate(const std::unique_ptr<TOrvoParser>& expression) const;
  void CreateParticle(int32_t x, int32_t y, int32_t rest);
  // "\x01" + the emitter's name + "\x01" + a number no object carries.
  std::string NextParticleName();

  int32_t state_ = 0;
  std::unique_ptr<TOrvoParser> appear_x_;
  std::unique_ptr<TOrvoParser> appear_y_;
  std::unique_ptr<TOrvoParser> interval_;
  std::unique_ptr<TOrvoParticleParam> param_;
  std::string source_;
  TOrvoImageList pictures_;
  std::vector<TObjectHandle> particles_;
  uint8_t motion_ = PM_NONE;
  TParticleFactors factors_{};
  int32_t alpha_ = 0;
  int32_t countdown_ = 0;
  int32_t time_acc_ = 0;
  int32_t pre_run_ = 0;
  bool paused_ = false;
  int32_t duration_ = 0;
  std::optional<bool> loop_;
  std::unique_ptr<TOrvoMotionParticle> motion_film_;
  // Set when a twister's priority changed: the children are re-sorted once.
  bool sort_pending_ = false;
  uint64_t next_name_ = 0;
};

}  // namespace orvo
