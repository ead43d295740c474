#include "app/game_ini.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/ini_file.h"
#include "platform/virtual_keys.h"

namespace orvo {

int NormaliseDelayTime(int delay_time) { return std::clamp(delay_time / 100 * 100, 100, 500); }

namespace {

void ReadPlayerSection(TIniFile& file, TGameIni& ini) {
  std::string key = file.ReadString("Player", "FastForwardKey", "");
  if (!key.empty()) {
    int code = VirtualKeyFromKeyName(key.c_str());
    if (code != 0) {
      ini.fast_forward_key = code;
    } else {
      std::fprintf(stderr, "orvoplayer: game.ini: unknown FastForwardKey %s; Tab stays\n", key.c_str());
    }
  }
  ini.read_aloud = file.ReadBool("Player", "ReadAloud", false);
  ini.pad_map = file.ReadString("Player", "PadMap", "");
}

}  // namespace

bool ReadGameIni(const std::string& path, TGameIni& ini) {
  TIniFile file;
  if (!std::filesystem::is_regular_file(path) || !file.Load(path)) return false;
  ini.use_direct_sound = file.ReadBool("Sound", "DirectSound", true);
  ini.delay_time = NormaliseDelayTime(file.ReadInteger("Sound", "DelayTime", ini.delay_time));
  ini.midi_port = file.ReadString("Sound", "MidiPort", ini.midi_port);
  ini.use_wmp = file.ReadBool("Video", "UseWMP", ini.use_wmp);
  ini.font_default_only = file.ReadBool("Font", "DefaultOnly", false);
  ReadPlayerSection(file, ini);
  return true;
}

void WriteGameIniSound(const std::string& path, bool use_direct_sound, int delay_time) {
  TIniFile file;
  if (std::filesystem::is_regular_file(path)) file.Load(path);
  file.WriteBool("Sound", "DirectSound", use_direct_sound);
  file.WriteInteger("Sound", "DelayTime", delay_time);
  file.Save(path);
}

std::string LocateGameIni(const std::string& game_folder, const std::string& program_folder) {
  std::string in_game = game_folder + "/game.ini";
  if (std::filesystem::is_regular_file(in_game)) return in_game;
  return program_folder + "/game.ini";
}

}  // namespace orvo
