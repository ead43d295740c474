#pragma once
// Hands the finished stage to the window: after PaintAll, the changed areas
// of the display surface are copied into a top-down frame that IDisplay
// shows, rectangle by rectangle. Nothing is shown when nothing changed.
#include <cstdint>
#include <vector>

#include "base/rect.h"
#include "platform/display.h"

namespace orvo {

class TOrvoBaseList;

class TStagePresenter {
 public:
  // Copies what changed since the last call (all of it the first time or
  // after a resize) and returns those rectangles; empty when nothing changed.
  const std::vector<TRect>& Prepare(TOrvoBaseList& stage);
  // The frame as the last Prepare left it (0x00RRGGBB pixels, top row first).
  TFrameView View() const;
  // Prepare, then Present on the display when anything changed; true when it presented.
  bool PresentTo(TOrvoBaseList& stage, IDisplay& display);

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint32_t> pixels_;
  std::vector<TRect> rects_;
};

}  // namespace orvo
