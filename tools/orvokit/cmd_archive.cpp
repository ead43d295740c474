// orvokit pack, unpack, list and bundle: game archives on disk.
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "data/archive.h"
#include "data/archive_tools.h"
#include "data/path_resolver.h"
#include "desktop_entry.h"
#include "image/picture_loader.h"
#include "kit.h"
#include "script/project_settings.h"

namespace orvo::kit {
namespace {

// Splits "-o PATH" out of the arguments; returns false when -o lacks its value.
bool TakeOutput(std::vector<std::string>& args, std::string& output) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 >= args.size()) return false;
      output = args[++i];
    } else {
      rest.push_back(args[i]);
    }
  }
  args = std::move(rest);
  return true;
}

int RunPack(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  std::string output;
  if (!TakeOutput(args, output) || output.empty()) return UsageError("pack", "missing -o ARCHIVE");
  TPackOptions options;
  options.is_uncompressed_image = IsUncompressedImageFile;
  std::vector<std::string> folders;
  bool install = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--install") {
      install = true;
    } else if (args[i] == "--scramble") {
      options.scramble = true;
    } else if (args[i] == "--version" && i + 1 < args.size()) {
      char* end = nullptr;
      long version = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || !(version == 0 || version == 100 || version == 101 || version == 102))
        return UsageError("pack", "version must be 0, 100, 101 or 102");
      options.version = static_cast<int32_t>(version);
    } else if (!args[i].empty() && args[i][0] == '-') {
      return UsageError("pack", "unknown option " + args[i]);
    } else {
      folders.push_back(args[i]);
    }
  }
  if (folders.size() != 1) return UsageError("pack", "give exactly one folder");
  std::string added_title;
  if (install) {
    if (!SharedResolver().Resolve(folders[0], "install.dat").empty()) {
      std::printf("install.dat of %s kept\n", folders[0].c_str());
    } else {
      std::string settings;
      std::string settings_path = SharedResolver().Resolve(folders[0], "orvo.opb");
      if (!settings_path.empty() && !ReadWholeFile(settings_path, settings))
        throw EOrvoError("cannot read " + settings_path);
      options.extras.push_back({"install.dat", LocalInstallDescriptor(settings, &added_title)});
    }
  }
  size_t count = PackFolder(folders[0], output, options);
  if (!options.extras.empty()) {
    std::printf("install.dat added: installed locally, title \"%s\"\n", Cp932ToUtf8(added_title).c_str());
  }
  std::printf("%zu entries written to %s\n", count, output.c_str());
  return 0;
}

int RunUnpack(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  std::string output;
  if (!TakeOutput(args, output) || output.empty()) return UsageError("unpack", "missing -o DIR");
  if (args.size() != 1) return UsageError("unpack", "give exactly one archive");
  size_t count = UnpackArchive(args[0], output);
  std::printf("%zu files written to %s\n", count, output.c_str());
  return 0;
}

std::string FormatTime(int32_t dos_time) {
  if (dos_time == 0) return "-";
  time_t seconds = static_cast<time_t>(UnixFromDosTime(dos_time));
  struct tm local;
  char text[32];
  if (!::localtime_r(&seconds, &local) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local)) return "?";
  return text;
}

int RunList(const std::vector<std::string>& args) {
  TVerify verify = TVerify::No;
  std::vector<std::string> archives;
  for (const std::string& arg : args) {
    if (arg == "--verify") {
      verify = TVerify::Yes;
    } else if (!arg.empty() && arg[0] == '-') {
      return UsageError("list", "unknown option " + arg);
    } else {
      archives.push_back(arg);
    }
  }
  if (archives.size() != 1) return UsageError("list", "give exactly one archive");
  size_t damaged = 0;
  for (const TEntryReport& report : ListArchive(archives[0], verify)) {
    std::printf("%12lld  %d  %s  %08x%s  %s", static_cast<long long>(report.size), report.storage,
                FormatTime(report.time_stamp).c_str(), report.checksum, report.checksum_of_content ? "c" : " ",
                Cp932ToUtf8(report.name).c_str());
    if (report.verified) std::printf("  %s", report.intact ? "ok" : "CRC MISMATCH");
    std::printf("\n");
    if (!report.intact) ++damaged;
  }
  if (damaged > 0) {
    std::fprintf(stderr, "orvokit list: %zu entries fail their checksum\n", damaged);
    return 1;
  }
  return 0;
}

// The game's title from the archive's settings (UTF-8; empty without them).
std::string ArchiveTitle(const std::string& archive) {
  std::optional<std::string> settings_bytes = ReadArchiveEntry(archive, "orvo.opb");
  if (!settings_bytes || settings_bytes->empty()) return {};
  TMemoryStream settings(std::vector<uint8_t>(settings_bytes->begin(), settings_bytes->end()));
  return Cp932ToUtf8(ReadProjectSettings(settings).title);
}

int RunBundle(const std::vector<std::string>& arguments) {
  std::vector<std::string> args;
  std::string desktop_entry;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] != "--desktop-entry") {
      args.push_back(arguments[i]);
    } else if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
      return UsageError("bundle", "--desktop-entry needs a file");
    } else {
      desktop_entry = arguments[++i];
    }
  }
  std::string output;
  if (!TakeOutput(args, output) || output.empty()) return UsageError("bundle", "missing -o GAME");
  if (args.size() != 2) return UsageError("bundle", "give a player and an archive");
  // A bundle finds no installer's descriptor beside it: without one in the
  // archive the player refuses to start and asks for a new installation.
  if (ReadArchiveEntry(args[1], "install.dat")) {
    BundlePlayer(args[0], args[1], output);
  } else {
    std::string title;
    std::string descriptor = LocalInstallDescriptor(ReadArchiveEntry(args[1], "orvo.opb").value_or(""), &title);
    std::string completed = PrivateTempFolder() + "/bundle-" + std::to_string(::getpid()) + ".dat";
    CopyArchiveWithExtra(args[1], completed, {"install.dat", descriptor});
    try {
      BundlePlayer(args[0], completed, output);
    } catch (...) {
      std::remove(completed.c_str());
      throw;
    }
    std::remove(completed.c_str());
    std::printf("install.dat added: installed locally, title \"%s\"\n", Cp932ToUtf8(title).c_str());
  }
  std::printf("%s written\n", output.c_str());
  if (!desktop_entry.empty()) {
    const std::string game = std::filesystem::absolute(output).lexically_normal().string();
    WriteFileAtomically(desktop_entry, GameDesktopEntry(ArchiveTitle(args[1]), game));
    std::printf("%s written\n", desktop_entry.c_str());
  }
  return 0;
}

const bool registered_pack =
    RegisterCommand({"pack", "DIR -o ARCHIVE [--version N] [--scramble] [--install]",
                     "pack every file below DIR into an archive (names relative to DIR); --install adds an install "
                     "descriptor (installed locally, titled from DIR/orvo.opb) unless DIR has one",
                     RunPack});
const bool registered_unpack =
    RegisterCommand({"unpack", "ARCHIVE -o DIR", "write every entry of an archive into DIR", RunUnpack});
const bool registered_list = RegisterCommand(
    {"list", "ARCHIVE [--verify]",
     "print name, stored size, storage type, time and CRC of each entry; --verify checks the CRCs", RunList});
const bool registered_bundle = RegisterCommand(
    {"bundle", "PLAYER ARCHIVE -o GAME [--desktop-entry FILE]",
     "join an archive to the player: one runnable file; an archive without install.dat gets one (installed "
     "locally, titled from its orvo.opb); --desktop-entry writes a menu entry named after the game's title",
     RunBundle});

}  // namespace
}  // namespace orvo::kit
