#pragma once
// The run-configuration window ("/config"): whether to use the sound device
// directly and, when not, the sound delay.

namespace orvo {

struct TConfigValues {
  bool use_direct_sound = true;
  int delay_position = 5;  // 1..5, hundreds of milliseconds
};

// Shows the window until OK or キャンセル; true when OK was chosen (values
// then hold the choice). False at once when no window can be opened.
bool RunConfigWindow(TConfigValues& values);

}  // namespace orvo
