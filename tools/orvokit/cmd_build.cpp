// orvokit build: a game source folder (settings text, page sources, assets)
// becomes a runnable game folder, a folder holding "game.dat", or one file
// with the player.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "data/archive_tools.h"
#include "data/install_info.h"
#include "data/mount.h"
#include "kit.h"
#include "script/lang/source_compiler.h"
#include "script/project_settings.h"

namespace orvo::kit {
namespace {

namespace fs = std::filesystem;

enum class TOutputForm { Folder, Archive, Bundle };

constexpr const char* kSettingsText = "settings.ini";

// The game name of a file below the source folder: '\' separators, CP932.
std::string GameName(const fs::path& relative) {
  std::string name;
  for (const auto& part : relative) {
    if (!name.empty()) name += '\\';
    name += part.string();
  }
  std::string cp932;
  if (!TryUtf8ToCp932(name, cp932)) throw EOrvoError(relative.string() + ": file name has no CP932 form");
  return cp932;
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  WriteFileAtomically(path.string(), bytes);
}

// Writes the runnable game folder; returns the project title.
std::string BuildFolder(const fs::path& source, const fs::path& out, bool with_install) {
  fs::path settings = source / kSettingsText;
  if (fs::exists(settings)) {
    std::string settings_arg = settings.string(), out_arg = (out / "orvo.opb").string();
    fs::create_directories(out);
    char name[] = "orvokit", command[] = "project", option[] = "-o";
    char* argv[] = {name, command, settings_arg.data(), option, out_arg.data()};
    if (Main(5, argv) != 0) throw EOrvoError(settings.string() + ": the settings were rejected");
  }
  std::vector<TPageSourceFile> pages;
  std::vector<fs::path> sources;
  for (const auto& entry : fs::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    fs::path relative = fs::relative(entry.path(), source);
    if (relative == kSettingsText) continue;
    if (relative.extension() == ".src") {
      std::string text;
      if (!ReadWholeFile(entry.path().string(), text)) throw EOrvoError("cannot read " + entry.path().string());
      pages.push_back({entry.path().string(), GameName(fs::path(relative).replace_extension(".osb")), text});
      sources.push_back(fs::path(relative).replace_extension(".osb"));
      continue;
    }
    std::string bytes;
    if (!ReadWholeFile(entry.path().string(), bytes)) throw EOrvoError("cannot read " + entry.path().string());
    WriteBytes(out / relative, bytes);
  }
  std::map<std::string, std::string> compiled = CompilePages(pages);
  for (size_t i = 0; i < pages.size(); ++i) WriteBytes(out / sources[i], compiled[pages[i].page_name]);
  std::string opb;
  ReadWholeFile((out / "orvo.opb").string(), opb);
  std::string title;
  std::string install = LocalInstallDescriptor(opb, &title);
  if (with_install) WriteBytes(out / "install.dat", install);
  return title;
}

// The player built beside this kit.
std::string DefaultPlayer() {
  fs::path self = ProgramPath(nullptr);
  return self.has_parent_path() ? (self.parent_path() / "orvoplayer").string() : std::string("orvoplayer");
}

int RunBuild(const std::vector<std::string>& args) {
  std::string source, output, player = DefaultPlayer();
  TOutputForm form = TOutputForm::Folder;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size())
      output = args[++i];
    else if (args[i] == "--player" && i + 1 < args.size())
      player = args[++i];
    else if (args[i] == "--archive")
      form = TOutputForm::Archive;
    else if (args[i] == "--bundle")
      form = TOutputForm::Bundle;
    else if (!args[i].empty() && args[i][0] == '-')
      return UsageError("build", "unknown option " + args[i]);
    else if (source.empty())
      source = args[i];
    else
      return UsageError("build", "one game source folder only");
  }
  if (source.empty() || output.empty()) return UsageError("build");
  if (!fs::is_directory(source)) throw EOrvoError(source + ": not a folder");
  if (form == TOutputForm::Folder) {
    BuildFolder(source, output, false);
    std::printf("%s built\n", output.c_str());
    return 0;
  }
  // Archive and bundle: the game is staged in the private temporary folder and packed.
  fs::path stage = fs::path(PrivateTempFolder()) / ("build-" + std::to_string(::getpid()));
  fs::remove_all(stage);
  BuildFolder(source, stage / "game", true);
  fs::path archive = form == TOutputForm::Archive ? fs::path(output) / "game.dat" : stage / "game.dat";
  fs::create_directories(archive.parent_path());
  PackFolder((stage / "game").string(), archive.string());
  if (form == TOutputForm::Bundle) {
    if (fs::path(output).has_parent_path()) fs::create_directories(fs::path(output).parent_path());
    BundlePlayer(player, archive.string(), output);
  }
  fs::remove_all(stage);
  std::printf("%s built\n", output.c_str());
  return 0;
}

const bool registered = RegisterCommand(
    {"build", "GAME_SRC -o OUT [--archive | --bundle [--player PATH]]",
     "build a game from its source folder: pages compiled, settings written, assets copied; --archive writes "
     "OUT/game.dat, --bundle one runnable file OUT",
     RunBuild});

}  // namespace
}  // namespace orvo::kit
