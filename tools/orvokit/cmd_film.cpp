// orvokit film: a film file as the player loads it (info), and the values
// its tracks apply frame by frame (dump).
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/runtime_state.h"
#include "data/mount.h"
#include "film/film.h"
#include "film/film_describe.h"
#include "game_pictures.h"
#include "kit.h"
#include "stage/picture_cache.h"
#include "stage/stage.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "film";

int Run(const std::vector<std::string>& args) {
  if (args.empty() || (args[0] != "info" && args[0] != "dump")) return UsageError(kName, "info or dump");
  const bool dump = args[0] == "dump";
  std::string file, game;
  long long from = 0, to = -1;
  bool have_to = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--game" && has_value) {
      game = args[++i];
    } else if (dump && arg == "--from" && has_value) {
      if (!ParseInteger(args[++i], INT32_MIN, INT32_MAX, from)) return UsageError(kName, "--from takes an integer");
    } else if (dump && arg == "--to" && has_value) {
      if (!ParseInteger(args[++i], INT32_MIN, INT32_MAX, to)) return UsageError(kName, "--to takes an integer");
      have_to = true;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return UsageError(kName, "unknown option " + arg);
    } else if (file.empty()) {
      file = arg;
    } else {
      return UsageError(kName, "one FILE only");
    }
  }
  if (file.empty()) return UsageError(kName, "FILE is missing");
  std::string folder = game, name = file;
  if (game.empty()) {
    const size_t slash = file.find_last_of('/');
    folder = slash == std::string::npos ? "." : file.substr(0, slash == 0 ? 1 : slash);
    name = slash == std::string::npos ? file : file.substr(slash + 1);
  }
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  std::string game_name;
  if (!TryUtf8ToCp932(name, game_name)) game_name = name;
  TRuntimeState state;
  TVrFileManager files;
  TGamePictureFiles picture_files(files);
  TOrvoBaseList stage(state);
  stage.Pictures().SetFiles(&picture_files);
  TFilmManager film;
  film.SetFilmStage(&stage);
  try {
    MountGameData(files, {"", {folder}});
  } catch (const std::exception& error) {
    std::fprintf(stderr, "orvokit film: %s\n", error.what());
    return 1;
  }
  if (!files.Exists(game_name)) {
    std::fprintf(stderr, "orvokit film: %s: no such file\n", file.c_str());
    return 1;
  }
  std::string bytes;
  try {
    std::vector<uint8_t> loaded = files.LoadBytes(game_name);
    bytes.assign(loaded.begin(), loaded.end());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "orvokit film: %s: %s\n", file.c_str(), error.what());
    return 1;
  }
  if (film.LoadFilm(bytes, game_name) != TFilmLoad::Loaded) {
    std::fprintf(stderr, "orvokit film: %s: %s\n", file.c_str(), film.LoadMessage().c_str());
    return 1;
  }
  const std::string text =
      dump ? DumpFilm(film, static_cast<int32_t>(from), static_cast<int32_t>(have_to ? to : film.FilmLength() - 1L))
           : DescribeFilm(film);
  const std::string out = Cp932ToUtf8(text);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

const bool registered =
    RegisterCommand({kName, "info FILE [--game DIR] | dump FILE [--game DIR] [--from F] [--to G]",
                     "a film as the player loads it (info) and the values its tracks apply per frame (dump)", Run});

}  // namespace
}  // namespace orvo::kit
