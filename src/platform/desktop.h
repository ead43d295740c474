#pragma once
// The desktop around a running game: documents and web addresses opened with
// the user's own programs, file and folder dialogs, the overwrite question of
// file extraction, information boxes, the user's folders and the wallpaper.
// The system desktop uses xdg-open and zenity (started directly, never
// through a shell) and the message boxes of IDialogs. The headless desktop
// takes every answer from the input script (through IDialogs) and writes
// each dialog and its answer to the trace, so that runs repeat.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"

namespace orvo {

enum class TFileDialogKind { Open, Save, Folder };

struct TFileDialogRequest {
  TFileDialogKind kind = TFileDialogKind::Open;
  // Description and pattern pairs separated by '|' ("Texts|*.txt;*.log|All|*.*"),
  // UTF-8; empty shows every file.
  std::string filter;
  // The folder shown first (on disk); empty for the program's choice.
  std::string initial_folder;
};

// The buttons of the overwrite question: Yes and No, or all five.
enum class TOverwriteButtons { YesNo, WithCancelAndAll };
enum class TOverwriteAnswer { Yes, No, Cancel, NoToAll, YesToAll };

class IDesktop {
 public:
  virtual ~IDesktop() = default;
  // Hands a web address or a folder on disk (UTF-8) to the user's program
  // for it; true when it was handed over.
  virtual bool OpenLocation(const std::string& target) = 0;
  // Shows a file or folder dialog and waits for it; the chosen path on disk
  // (UTF-8), or nothing when it was cancelled or cannot be shown.
  virtual std::optional<std::string> ChooseFile(const TFileDialogRequest& request) = 0;
  // Asks whether an existing file may be replaced (text UTF-8) and waits.
  virtual TOverwriteAnswer AskOverwrite(const std::string& text, TOverwriteButtons buttons) = 0;
  // Shows an information box with an OK button (UTF-8) and waits until it is closed.
  virtual void Inform(const std::string& caption, const std::string& text) = 0;
  // The user's desktop and documents folders on disk, without a trailing '/'.
  virtual std::string DesktopFolder() const = 0;
  virtual std::string DocumentsFolder() const = 0;
  // The file on disk that receives the wallpaper picture.
  virtual std::string WallpaperFile() const = 0;
  // Asks the desktop to show picture (a file on disk) as its wallpaper,
  // style 0 centred, 1 tiled, other values stretched; true when it changed.
  virtual bool SetWallpaper(const std::string& picture, int32_t style) = 0;
};

// xdg-open, zenity when installed (dialogs are cancelled without it), the
// message boxes of dialogs, the XDG user folders and the per-user data folder.
std::unique_ptr<IDesktop> CreateSystemDesktop(IDialogs& dialogs);
// Answers from dialogs (the input script's queue), every dialog recorded in
// the trace. folder holds the stand-ins of the user folders ("Desktop",
// "Documents") and the wallpaper; relative answers of file dialogs are taken
// inside it.
std::unique_ptr<IDesktop> CreateHeadlessDesktop(IDialogs& dialogs, std::string folder);

// ---- pieces of the system desktop, open to tests

// The folder of an XDG user-folder key ("DESKTOP", "DOCUMENTS") in the text
// of user-dirs.dirs; without one, home + "/Desktop" for the desktop and home
// for the others, as xdg-user-dir answers.
std::string XdgUserFolder(std::string_view dirs_text, std::string_view key, const std::string& home);
// The arguments (after the program name) that make zenity show the request.
std::vector<std::string> ZenityArguments(const TFileDialogRequest& request);
// A dialog text as one trace line: CR and LF become "\r" and "\n".
std::string TraceText(std::string_view text);

}  // namespace orvo
