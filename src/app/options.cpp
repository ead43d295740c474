#include "app/options.h"

#include <cstdlib>
#include <cstring>

#include "base/cp932.h"

namespace orvo {

namespace {

bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

}  // namespace

std::string PlayerUsage() {
  return "usage: orvoplayer [GAME_FOLDER] [ARCHIVE...] [options]\n"
         "       orvoplayer /config\n"
         "\n"
         "Plays the game in GAME_FOLDER (default: the program's folder). A folder holding\n"
         "\"game.dat\" or a file ending in a game archive is mounted as well.\n"
         "\n"
         "options:\n"
         "  --headless            run without a window (also when no display is available)\n"
         "  --frames N            stop after N frame steps, as a closed window would\n"
         "  --fixed-step MS       every tick advances the clock by MS, without sleeping\n"
         "  --seed N              seed of the random generator (default: the time of day)\n"
         "  --screenshot FILE     write the stage as PNG at exit\n"
         "  --shot N:FILE         write the stage as PNG after frame step N (repeatable)\n"
         "  --display-modes LIST  modes of the headless display: WxHxBITS@HZ, comma-separated,\n"
         "                        the desktop's marked with * (default 1920x1080x32@60*)\n"
         "  --input FILE          timed input, one event a line (see docs/cli.md)\n"
         "  --trace FILE          write the start-up/shutdown labels and interpreter lines\n"
         "  --dump-vars FILE      write every variable at exit: scope, name, type, value\n"
         "  --disc-root DIR       a folder to search for game discs (repeatable)\n"
         "  --audio-out FILE      render the sound into FILE (WAV) on the game clock\n"
         "  --save-dir DIR        keep the save file in DIR/save.dat\n"
         "  --integer-scale       scale the stage by whole factors only (sharp pixels)\n"
         "  --read-aloud          speak each message page (speech-dispatcher; also\n"
         "                        game.ini [Player] ReadAloud=1 and the toolbar)\n"
         "  --version             print the version\n"
         "  --help                print this text\n"
         "\n"
         "keys (never passed to the game):\n"
         "  F11, Alt+Enter        switch between window and full screen\n"
         "  Tab (held)            fast-forward: 8 frame steps a tick (game.ini [Player]\n"
         "                        FastForwardKey=SDL key name changes the key)\n"
         "  F12, Print Screen     save the stage as PNG in $XDG_PICTURES_DIR/OrvoPlayer/\n"
         "toolbar: 終了 exit, 画面切替 full screen, 早送り fast-forward, 読み上げ read-aloud\n"
         "\n"
         "gamepad (game.ini [Player] PadMap changes it):\n"
         "  left stick            move the pointer\n"
         "  D-pad                 arrow keys (move the focus)\n"
         "  A                     left click at the pointer; Enter after the D-pad\n"
         "  B                     right click; Esc after the D-pad\n"
         "  Start                 Esc\n"
         "  LB, RB (held)         fast-forward\n"
         "  Back                  switch full screen\n";
}

bool ParsePlayerOptions(int argc, char** argv, TPlayerOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto number = [&](int64_t low, int64_t high, int64_t& out) {
      std::string text;
      if (!value(text)) return false;
      if (!ParseNumber(text, low, high, out)) {
        error = arg + ": not a valid number: " + text;
        return false;
      }
      return true;
    };
    int64_t n = 0;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--integer-scale") {
      options.integer_scale = true;
    } else if (arg == "--read-aloud") {
      options.read_aloud = true;
    } else if (arg == "--frames") {
      if (!number(0, INT64_MAX, n)) return false;
      options.frames = n;
    } else if (arg == "--fixed-step") {
      if (!number(1, 1000000, n)) return false;
      options.fixed_step = static_cast<int32_t>(n);
    } else if (arg == "--seed") {
      if (!number(INT32_MIN, UINT32_MAX, n)) return false;
      options.seed = static_cast<uint32_t>(n);
    } else if (arg == "--screenshot") {
      if (!value(options.screenshot)) return false;
    } else if (arg == "--shot") {
      std::string text;
      if (!value(text)) return false;
      size_t colon = text.find(':');
      TShotRequest shot;
      if (colon == std::string::npos || colon + 1 == text.size() ||
          !ParseNumber(text.substr(0, colon), 0, INT32_MAX, n)) {
        error = "--shot needs N:FILE.png, got " + text;
        return false;
      }
      shot.frame = static_cast<int>(n);
      shot.path = text.substr(colon + 1);
      options.shots.push_back(shot);
    } else if (arg == "--input") {
      if (!value(options.input_file)) return false;
    } else if (arg == "--trace") {
      if (!value(options.trace_file)) return false;
    } else if (arg == "--dump-vars") {
      if (!value(options.dump_vars_file)) return false;
    } else if (arg == "--display-modes") {
      std::string text;
      if (!value(text)) return false;
      if (!ParseDisplayModes(text, options.display_modes)) {
        error = "--display-modes needs WIDTHxHEIGHTxBITS@HZ[*],..., got " + text;
        return false;
      }
    } else if (arg == "--audio-out") {
      if (!value(options.audio_out)) return false;
    } else if (arg == "--save-dir") {
      if (!value(options.save_dir)) return false;
    } else if (arg == "--disc-root") {
      std::string root;
      if (!value(root)) return false;
      options.disc_roots.push_back(root);
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      // The Windows player's own switches compare without case.
      std::string lower = LowerAscii(arg);
      if (lower == "/d3d") {
        options.d3d = true;
        continue;
      }
      if (lower == "/config" && options.game_args.empty()) options.config = true;
      options.game_args.push_back(arg);
    }
  }
  return true;
}

}  // namespace orvo
