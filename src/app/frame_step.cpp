#include "app/frame_step.h"

#include <unistd.h>

#include "base/numeric.h"

namespace orvo {

bool StepFrame(TRuntimeState& state, TDrawPhase& draw, IFrameParts& parts, bool ogg_on_thread) {
  if (!parts.HasProject()) return false;
  parts.Housekeeping();
  for (const std::string& path : state.pending_temp_files) ::unlink(path.c_str());
  state.pending_temp_files.clear();
  parts.ProcessInput();
  parts.RunInterpreter();
  if (state.terminating) return false;
  if (!ogg_on_thread) parts.UpdateOgg();
  parts.UpdateStage();
  state.frame_counter = WrapAdd(state.frame_counter, 1);
  if (parts.PerformPending()) draw.skip_draw = 1;
  if (draw.skip_draw > 0) {
    --draw.skip_draw;
    return false;
  }
  int32_t divisor = state.drawing_divisor > 0 ? state.drawing_divisor : 1;
  draw.phase = (draw.phase + 1) % divisor;
  if (draw.phase != 0) return false;
  parts.PaintStage();
  parts.Present();
  parts.ClearDirty();
  parts.UpdateVideo();
  return true;
}

}  // namespace orvo
