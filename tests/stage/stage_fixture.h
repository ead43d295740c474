#pragma once
// A headless stage for tests: a fixed frame clock, a recording host, a
// drawable test kind and input helpers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/runtime_state.h"
#include "stage/stage.h"
#include "surface/custom_dibx.h"

namespace orvo::test {

// A drawable kind for tests: fills its rectangle with its colour and
// implements what the built-in kinds lack (pause, repeat, auto-scrap, play
// end, idle, a motion source, a picture size and zoom for geometry).
class TTestBox : public TOrvoControl {
 public:
  explicit TTestBox(TOrvoBaseList& stage, uint8_t code = kcBox) : TOrvoControl(stage), code_(code) {}

  uint8_t CompoType() const override { return code_; }
  bool Paused() const override { return paused_; }
  int32_t ZoomX() const override { return zoom_; }
  int32_t ZoomY() const override { return zoom_; }
  int32_t PictureWidth() const override { return picture_width_; }
  int32_t PictureHeight() const override { return picture_height_; }
  bool FlipH() const override { return flip_; }
  bool IsAfterimage() const override { return afterimage_of_ != 0; }
  TObjectHandle AfterimageSource() const override { return afterimage_of_; }
  bool EventsBlocked() const override { return blocked_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void Paint(TCustomDIBX& surface) override;
  bool Update() override;

  int update_count_ = 0;
  bool finish_ = false;
  bool paused_ = false;
  bool repeat_ = false;
  bool auto_scrap_ = false;
  bool blocked_ = false;
  bool flip_ = false;
  int32_t zoom_ = 256;
  int32_t alpha_ = 255;
  int32_t picture_width_ = 0;
  int32_t picture_height_ = 0;
  TObjectHandle afterimage_of_ = 0;
  std::string on_play_end_;
  std::string source_;

 private:
  uint8_t code_;
};

// Records what the stage asks of the window.
class TRecordingHost : public IStageHost {
 public:
  void WarpMouse(int32_t x, int32_t y) override { warps.push_back({x, y}); }
  void ShowCursorFile(const std::string& file) override { cursors.push_back(file); }
  std::string DefaultCursorFile() const override { return default_cursor; }
  void SetSoundOn(bool on) override { sound.push_back(on); }

  std::vector<TPoint> warps;
  std::vector<std::string> cursors;
  std::vector<bool> sound;
  std::string default_cursor;
};

// A motion film that records the frames it was asked to show.
class TFakeFilm : public IMotionFilm {
 public:
  TFakeFilm(int32_t frames, int32_t repeat_start, bool relative)
      : frames_(frames), repeat_start_(repeat_start), relative_(relative) {}
  bool IsRelative() const override { return relative_; }
  void SetBasePoint(int32_t x, int32_t y) override { bases.push_back({x, y}); }
  void SetBasePriority(int32_t priority) override { base_priority = priority; }
  int32_t FrameCount() const override { return frames_; }
  int32_t RepeatStart() const override { return repeat_start_; }
  int32_t CurrentFrame() const override { return current_; }
  void SeekFrame(int32_t frame) override {
    current_ = frame;
    shown.push_back(frame);
    if (log) log->push_back(frame);
  }

  std::vector<int32_t> shown;
  // Outlives the film (deleted with its object).
  std::vector<int32_t>* log = nullptr;
  std::vector<TPoint> bases;
  int32_t base_priority = 0;

 private:
  int32_t frames_;
  int32_t repeat_start_;
  bool relative_;
  int32_t current_ = -1;
};

class StageTest : public ::testing::Test {
 public:
  StageTest();

  // A test box named name under parent (the active screen when null).
  TTestBox* Box(const std::string& name, int32_t left, int32_t top, int32_t width, int32_t height,
                TOrvoControl* parent = nullptr);
  // One frame step of the stage: input, update, paint, dirty lists cleared;
  // the clock advances by delta first.
  void Frame(int32_t delta = 15);
  // The events queued now, as "code owner-name args..." lines; the queue is emptied.
  std::vector<std::string> TakeEvents();
  void Move(int32_t x, int32_t y, bool on_stage = true);
  void Press(TMouseButton button, int32_t x, int32_t y);
  void Release(TMouseButton button, int32_t x, int32_t y);
  void Key(int32_t code, bool down);
  void Wheel(bool down);

  TRuntimeState state_;
  TRecordingHost host_;
  TOrvoBaseList stage_;
};

std::string Str(const char* bytes);

// The stage record a game save holds, and a stage read back from one.
std::string SaveStage(const TOrvoBaseList& stage);
void LoadStage(TOrvoBaseList& stage, const std::string& bytes, int32_t version = 201);
// The active screen painted whole, row by row.
std::vector<uint32_t> StagePixels(TOrvoBaseList& stage);
// Every property of the table on a new object: values of the table's type,
// and a property the kind does not read keeps its default and ignores writes.
void ExpectPropertyTableRows(TOrvoControl& object);

}  // namespace orvo::test
