#pragma once
// The process-wide state of a running game that every subsystem may read:
// the frame clock and the flags that stop interpretation. The shell owns the
// one instance and hands references down.
#include <cstdint>
#include <string>
#include <vector>

namespace orvo {

struct TRuntimeState {
  // While set, the frame step stops right after the interpreter and nothing is drawn.
  bool terminating = false;
  // Set with terminating on unrecoverable failures; suppresses the exit page and the status save.
  bool fatal_error = false;
  uint32_t last_tick_time = 0;
  // Sum of all tick intervals, uncapped, wrapping: the game clock.
  int32_t total_elapsed = 0;
  // Interval between the last two ticks, capped at kMaxFrameDelta.
  int32_t frame_delta = 0;
  // Incremented once per interpreter step.
  int32_t frame_counter = 0;
  // Draw only on every N-th frame step.
  int32_t drawing_divisor = 1;
  // Interval constant of the particle effects.
  int32_t effect_frame_interval = 16;
  // Set while a window/full-screen switch runs; ticks do nothing meanwhile.
  bool display_switching = false;
  // Files deleted at the start of every frame step and at exit.
  std::vector<std::string> pending_temp_files;
  // Files deleted at exit (extracted fonts, screenshots a script marked).
  std::vector<std::string> delete_at_exit_files;

  void SetFatal() { terminating = fatal_error = true; }
};

constexpr int32_t kMaxFrameDelta = 160;
constexpr int32_t kTickCadenceMs = 15;

}  // namespace orvo
