#pragma once
// A motion film attached to one control: the film plays on the control
// itself (moving it through MotionX/MotionY and its other properties), 60
// frames per second of the game clock.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvo {

class TOrvoControl;

// What the stage needs of a loaded motion film; films implement it.
class IMotionFilm {
 public:
  virtual ~IMotionFilm() = default;
  // True when the film moves its target relative to where the target stands.
  virtual bool IsRelative() const = 0;
  // The point the film's positions are relative to.
  virtual void SetBasePoint(int32_t x, int32_t y) = 0;
  // The priority the film's priorities are added to.
  virtual void SetBasePriority(int32_t priority) = 0;
  // Number of frames (60 per second); may be 0.
  virtual int32_t FrameCount() const = 0;
  // The frame a repeating film returns to.
  virtual int32_t RepeatStart() const = 0;
  // The frame the target shows now; -1 before the first.
  virtual int32_t CurrentFrame() const = 0;
  // Puts the target into its state at frame.
  virtual void SeekFrame(int32_t frame) = 0;
};

// Loads the motion film of a file name for a target; null when it cannot.
using TMotionLoader = std::function<std::unique_ptr<IMotionFilm>(TOrvoControl& target, const std::string& file)>;

// True for names whose extension is ".omt" (any case).
bool IsMotionFileName(const std::string& name);

class TOrvoMotion {
 public:
  static constexpr double kFrameMs = 16.666666666666668;

  explicit TOrvoMotion(std::unique_ptr<IMotionFilm> film);

  IMotionFilm& Film() { return *film_; }
  void Rewind();
  // One update of the target by frame_ms; true when the film ended in this step.
  bool Step(TOrvoControl& target, int32_t frame_ms);

  int32_t Elapsed() const { return elapsed_; }
  // Jumps to a time of the film (an animation's PR_INDEX while a motion plays it).
  void SetElapsed(int32_t elapsed) { elapsed_ = elapsed; }
  int32_t Frame() const { return frame_; }
  bool Finished() const { return finished_; }

 private:
  std::unique_ptr<IMotionFilm> film_;
  int32_t elapsed_ = 0;
  int32_t start_countdown_ = 2;
  bool finished_ = false;
  int32_t frame_ = 0;
  int32_t last_left_ = 0;
  int32_t last_top_ = 0;
};

// Frames of the game clock: elapsed / (1000 / 60), rounded half to even.
int32_t MotionFrameOf(int32_t elapsed_ms);
// The elapsed time of a frame, rounded the same way.
int32_t MotionElapsedOf(int32_t frame);

}  // namespace orvo
