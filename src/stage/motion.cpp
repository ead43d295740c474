#include "stage/motion.h"

#include <algorithm>
#include <cmath>

#include "base/cp932.h"
#include "base/numeric.h"
#include "stage/orvo_control.h"

namespace orvo {

bool IsMotionFileName(const std::string& name) {
  return name.size() >= 4 && EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".omt");
}

int32_t MotionFrameOf(int32_t elapsed_ms) {
  return RealToIntSaturate<int32_t>(std::nearbyint(static_cast<double>(elapsed_ms) / TOrvoMotion::kFrameMs));
}

int32_t MotionElapsedOf(int32_t frame) {
  return RealToIntSaturate<int32_t>(std::nearbyint(static_cast<double>(frame) * TOrvoMotion::kFrameMs));
}

TOrvoMotion::TOrvoMotion(std::unique_ptr<IMotionFilm> film) : film_(std::move(film)) {}

void TOrvoMotion::Rewind() {
  elapsed_ = 0;
  start_countdown_ = 2;
  finished_ = false;
}

bool TOrvoMotion::Step(TOrvoControl& target, int32_t frame_ms) {
  bool rebased = false;
  if (start_countdown_ <= 0 && film_->IsRelative() && (target.Left() != last_left_ || target.Top() != last_top_)) {
    // A script moved the object: the film continues from where it stands now.
    film_->SetBasePoint(target.Left(), target.Top());
    finished_ = false;
    rebased = true;
  }
  if (finished_) return false;
  const bool first = start_countdown_ == 2;
  if (first) {
    if (film_->IsRelative()) {
      film_->SetBasePoint(target.Left(), target.Top());
    } else {
      film_->SetBasePoint(0, 0);
    }
    film_->SetBasePriority(target.Priority());
    last_left_ = target.Left();
    last_top_ = target.Top();
  }
  if (start_countdown_ <= 0 && !target.AniPaused()) elapsed_ = WrapAdd(elapsed_, frame_ms);
  frame_ = MotionFrameOf(elapsed_);
  bool ended = false;
  const int32_t count = film_->FrameCount();
  if (count <= 0) {
    // An empty film has nothing to show or repeat: it ends at once.
    frame_ = 0;
    finished_ = true;
    ended = true;
  } else if (frame_ >= count) {
    if (target.GetBool(PR_REPEAT)) {
      int32_t start = std::clamp(film_->RepeatStart(), 0, count - 1);
      frame_ = static_cast<int32_t>(std::min<int64_t>(int64_t{frame_ % count} + start, count - 1));
      elapsed_ = MotionElapsedOf(frame_);
    } else {
      frame_ = count - 1;
      finished_ = true;
      ended = true;
    }
  }
  if (count > 0 && (first || frame_ != film_->CurrentFrame() || rebased)) film_->SeekFrame(frame_);
  if (start_countdown_ > 0) --start_countdown_;
  last_left_ = target.Left();
  last_top_ = target.Top();
  return ended;
}

}  // namespace orvo
