#pragma once
// One frame step, in its fixed order. Each subsystem takes part through this
// interface; the default of every step is to do nothing, so the shell runs
// before the later subsystems exist.
#include "base/runtime_state.h"

namespace orvo {

class IFrameParts {
 public:
  virtual ~IFrameParts() = default;
  // False while there is no project: the step does nothing at all.
  virtual bool HasProject() const { return true; }
  // File-manager housekeeping: releases temporary copies whose time is up.
  virtual void Housekeeping() {}
  // Keyboard and mouse state of the active screen turn into script events.
  virtual void ProcessInput() {}
  // The interpreter runs until a command yields the frame or waits.
  virtual void RunInterpreter() {}
  // Ogg decoding on the frame thread (never while it has its own thread).
  virtual void UpdateOgg() {}
  // Every object advances by the frame delta; scrapped objects are deleted.
  virtual void UpdateStage() {}
  // Performs a requested load, then a requested save; true when a load was performed.
  virtual bool PerformPending() { return false; }
  // Draws the dirty rectangles of the active screen into the back surface.
  virtual void PaintStage() {}
  // Shows the back surface.
  virtual void Present() {}
  // Clears the dirty lists of both screens.
  virtual void ClearDirty() {}
  // Lets video overlays follow.
  virtual void UpdateVideo() {}
};

// The drawing bookkeeping of the main window between steps.
struct TDrawPhase {
  int32_t phase = 0;
  int32_t skip_draw = 0;
};

// Runs one frame step; deletes the pending temporary files of the state.
// Returns true when the frame was drawn and presented.
bool StepFrame(TRuntimeState& state, TDrawPhase& draw, IFrameParts& parts, bool ogg_on_thread = true);

}  // namespace orvo
