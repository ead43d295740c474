#pragma once
// "game.ini": sound and video options the player reads at start and the
// run-configuration window edits.
#include <string>

namespace orvo {

struct TGameIni {
  bool use_direct_sound = true;
  int delay_time = 500;  // ms, normalised
  bool use_wmp = false;
  bool font_default_only = false;
  // [Player]: the player's own controls.
  int fast_forward_key = 9;  // virtual-key code of FastForwardKey (an SDL key name); Tab
  bool read_aloud = false;   // ReadAloud
  std::string pad_map;       // PadMap: changes to the game controller mapping
  std::string midi_port;  // [Sound] MidiPort: the ALSA port the MIDI mapper plays on
};

// Truncates to a multiple of 100 and clamps to 100..500 (750 -> 500, 50 -> 100, 349 -> 300).
int NormaliseDelayTime(int delay_time);

// Reads the file when it exists (false otherwise, leaving the defaults).
bool ReadGameIni(const std::string& path, TGameIni& ini);

// Writes the two keys the run-configuration window edits, keeping the rest of the file.
void WriteGameIniSound(const std::string& path, bool use_direct_sound, int delay_time);

// Where game.ini is: in the game folder, else beside the program.
std::string LocateGameIni(const std::string& game_folder, const std::string& program_folder);

}  // namespace orvo
