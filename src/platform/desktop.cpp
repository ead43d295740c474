#include "platform/desktop.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/trace.h"
#include "platform/locale.h"
#include "platform/ui_box.h"

extern char** environ;

namespace orvo {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  if (const passwd* entry = ::getpwuid(::getuid())) return entry->pw_dir ? entry->pw_dir : "/";
  return "/";
}

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// Starts a program found on PATH with its arguments, its standard output going
// to output_fd (/dev/null when -1) and its standard error to /dev/null.
// Returns the process id, or -1 when it could not be started.
pid_t Spawn(const std::vector<std::string>& arguments, int output_fd) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? pid : -1;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a program to its end and returns what it printed (at most a few
// kilobytes: a path); nothing when it could not run or did not exit with 0.
std::optional<std::string> RunForOutput(const std::vector<std::string>& arguments) {
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) return std::nullopt;
  pid_t pid = Spawn(arguments, pipe_ends[1]);
  ::close(pipe_ends[1]);
  std::string output;
  if (pid > 0) {
    char buffer[4096];
    for (;;) {
      ssize_t got = ::read(pipe_ends[0], buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      if (output.size() < 65536) output.append(buffer, static_cast<size_t>(got));
    }
  }
  ::close(pipe_ends[0]);
  if (pid <= 0 || WaitFor(pid) != 0) return std::nullopt;
  return output;
}

// Splits a filter at '|' into its parts.
std::vector<std::string> FilterParts(std::string_view filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string_view::npos) bar = filter.size();
    parts.emplace_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  return parts;
}

class TSystemDesktop : public IDesktop {
 public:
  explicit TSystemDesktop(IDialogs& dialogs) : dialogs_(dialogs) {}

  bool OpenLocation(const std::string& target) override {
    pid_t pid = Spawn({"xdg-open", target}, -1);
    if (pid <= 0) return false;
    // xdg-open may become the opened program and live on: reap it aside.
    std::thread([pid] { WaitFor(pid); }).detach();
    return true;
  }

  std::optional<std::string> ChooseFile(const TFileDialogRequest& request) override {
    if (!ProgramOnPath("zenity")) return AskForPath(request);
    std::vector<std::string> arguments{"zenity"};
    for (std::string& argument : ZenityArguments(request)) arguments.push_back(std::move(argument));
    std::optional<std::string> output = RunForOutput(arguments);
    if (!output) return std::nullopt;
    while (!output->empty() && (output->back() == '\n' || output->back() == '\r')) output->pop_back();
    if (output->empty()) return std::nullopt;
    return output;
  }

  TOverwriteAnswer AskOverwrite(const std::string& text, TOverwriteButtons buttons) override {
    const bool japanese = UserLanguageIsJapanese();
    struct TButton {
      TOverwriteAnswer answer;
      const char* english;
      const char* japanese;
    };
    static const TButton kAll[] = {{TOverwriteAnswer::Yes, "Yes", "はい"},
                                   {TOverwriteAnswer::No, "No", "いいえ"},
                                   {TOverwriteAnswer::Cancel, "Cancel", "キャンセル"},
                                   {TOverwriteAnswer::NoToAll, "No to All", "すべていいえ"},
                                   {TOverwriteAnswer::YesToAll, "Yes to All", "すべてはい"}};
    const size_t count = buttons == TOverwriteButtons::YesNo ? 2 : 5;
    const TOverwriteAnswer escape = count == 2 ? TOverwriteAnswer::No : TOverwriteAnswer::Cancel;
    TUiBoxRequest request;
    request.caption = japanese ? "確認" : "Confirm";
    request.text = text;
    request.icon = TBoxIcon::Question;
    for (size_t i = 0; i < count; ++i) {
      request.buttons.push_back(japanese ? kAll[i].japanese : kAll[i].english);
      if (kAll[i].answer == escape) request.escape_button = i;
    }
    TUiBoxResult result = RunUiBox(request);
    if (!result.shown || result.button >= count) return escape;
    return kAll[result.button].answer;
  }

  void Inform(const std::string& caption, const std::string& text) override {
    dialogs_.MessageBox(caption, text, TBoxButtons::Ok, TBoxIcon::Information);
  }

  std::string DesktopFolder() const override { return UserFolder("DESKTOP"); }
  std::string DocumentsFolder() const override { return UserFolder("DOCUMENTS"); }

  std::string WallpaperFile() const override {
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty() || data[0] != '/') data = HomeFolder() + "/.local/share";
    return WithoutTrailingSlash(data) + "/orvoplayer/orvowall.bmp";
  }

  // Desktops differ too much to change their wallpaper behind the user's back.
  bool SetWallpaper(const std::string&, int32_t) override { return false; }

 private:
  // Without zenity the path is typed into an input dialog of our own.
  std::optional<std::string> AskForPath(const TFileDialogRequest& request) {
    const bool japanese = UserLanguageIsJapanese();
    static const char* const kCaptions[2][3] = {{"Open", "Save As", "Choose a folder"},
                                                {"ファイルを開く", "名前を付けて保存", "フォルダの選択"}};
    const char* caption = kCaptions[japanese ? 1 : 0][static_cast<int>(request.kind)];
    const char* prompt = request.kind == TFileDialogKind::Folder
                             ? (japanese ? "フォルダのパスを入力してください" : "Type the path of the folder")
                             : (japanese ? "ファイルのパスを入力してください" : "Type the path of the file");
    std::string folder = request.initial_folder.empty() ? DocumentsFolder() : request.initial_folder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    std::optional<std::string> answer = dialogs_.InputText(caption, prompt, folder);
    if (!answer || answer->empty()) return std::nullopt;
    if ((*answer)[0] != '/') answer->insert(0, folder);
    return answer;
  }

  static bool ProgramOnPath(const std::string& program) {
    std::string path = Environment("PATH");
    size_t start = 0;
    while (start <= path.size()) {
      size_t colon = path.find(':', start);
      if (colon == std::string::npos) colon = path.size();
      std::string candidate = colon > start ? path.substr(start, colon - start) : std::string(".");
      candidate += '/';
      candidate += program;
      if (::access(candidate.c_str(), X_OK) == 0) return true;
      start = colon + 1;
    }
    return false;
  }

  static std::string UserFolder(std::string_view key) {
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') config = HomeFolder() + "/.config";
    std::ifstream file(WithoutTrailingSlash(config) + "/user-dirs.dirs");
    std::stringstream text;
    if (file) text << file.rdbuf();
    return XdgUserFolder(text.str(), key, HomeFolder());
  }

  IDialogs& dialogs_;
};

class THeadlessDesktop : public IDesktop {
 public:
  THeadlessDesktop(IDialogs& dialogs, std::string folder)
      : dialogs_(dialogs), folder_(WithoutTrailingSlash(std::move(folder))) {}

  bool OpenLocation(const std::string& target) override {
    Record("desktop: open " + TraceText(target));
    return true;
  }

  std::optional<std::string> ChooseFile(const TFileDialogRequest& request) override {
    static const char* const kNames[] = {"open file", "save file", "folder"};
    std::string answer = dialogs_.TakeTextAnswer();
    std::string line = std::string("dialog: ") + kNames[static_cast<int>(request.kind)] + " -> ";
    if (answer.empty()) {
      Record(line + "cancel");
      return std::nullopt;
    }
    if (answer[0] != '/') answer = folder_ + "/" + answer;
    Record(line + TraceText(answer));
    return answer;
  }

  TOverwriteAnswer AskOverwrite(const std::string& text, TOverwriteButtons buttons) override {
    // The input script's answers are those of ordinary boxes: yes, no and
    // cancel; the two "to all" buttons are for people at the window.
    const bool two = buttons == TOverwriteButtons::YesNo;
    TBoxAnswer answer =
        dialogs_.MessageBox("Confirm", text, two ? TBoxButtons::YesNo : TBoxButtons::YesNoCancel, TBoxIcon::Question);
    TOverwriteAnswer result = answer == TBoxAnswer::Yes  ? TOverwriteAnswer::Yes
                              : answer == TBoxAnswer::No ? TOverwriteAnswer::No
                              : two                      ? TOverwriteAnswer::No
                                                         : TOverwriteAnswer::Cancel;
    static const char* const kNames[] = {"yes", "no", "cancel", "no to all", "yes to all"};
    Record("dialog: question " + TraceText(text) + " -> " + kNames[static_cast<int>(result)], TEcho::TraceOnly);
    return result;
  }

  void Inform(const std::string& caption, const std::string& text) override {
    dialogs_.MessageBox(caption, text, TBoxButtons::Ok, TBoxIcon::Information);
    Record("dialog: [" + TraceText(caption) + "] " + TraceText(text) + " -> ok", TEcho::TraceOnly);
  }

  std::string DesktopFolder() const override { return folder_ + "/Desktop"; }
  std::string DocumentsFolder() const override { return folder_ + "/Documents"; }
  std::string WallpaperFile() const override { return folder_ + "/orvowall.bmp"; }

  bool SetWallpaper(const std::string& picture, int32_t style) override {
    Record("desktop: wallpaper " + TraceText(picture) + " style " + std::to_string(style) + " -> false");
    return false;
  }

 private:
  // Boxes are on stderr already (the headless dialogs print them); the rest is shown there too.
  enum class TEcho { Stderr, TraceOnly };
  static void Record(const std::string& line, TEcho echo = TEcho::Stderr) {
    Trace().Line(line);
    if (echo == TEcho::Stderr) std::fprintf(stderr, "%s\n", line.c_str());
  }

  IDialogs& dialogs_;
  std::string folder_;
};

}  // namespace

std::string XdgUserFolder(std::string_view dirs_text, std::string_view key, const std::string& home) {
  const std::string wanted = "XDG_" + std::string(key) + "_DIR";
  std::string found;
  size_t start = 0;
  while (start < dirs_text.size()) {
    size_t end = dirs_text.find('\n', start);
    if (end == std::string_view::npos) end = dirs_text.size();
    std::string_view line = dirs_text.substr(start, end - start);
    start = end + 1;
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    line.remove_prefix(first);
    if (line.substr(0, wanted.size()) != wanted) continue;
    line.remove_prefix(wanted.size());
    size_t equals = line.find_first_not_of(" \t");
    if (equals == std::string_view::npos || line[equals] != '=') continue;
    line.remove_prefix(equals + 1);
    size_t quote = line.find('"');
    if (quote == std::string_view::npos) continue;
    // The value as the shell would read it: up to the closing quote, with
    // backslash escapes.
    std::string value;
    bool closed = false;
    for (size_t i = quote + 1; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        value.push_back(line[++i]);
      } else if (line[i] == '"') {
        closed = true;
        break;
      } else {
        value.push_back(line[i]);
      }
    }
    if (!closed) continue;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      value = home + value.substr(5);
    } else if (value.empty() || value[0] != '/') {
      continue;  // only "$HOME/..." and absolute paths are valid
    }
    found = WithoutTrailingSlash(value);  // the last valid line counts
  }
  if (!found.empty()) return found;
  return key == "DESKTOP" ? WithoutTrailingSlash(home) + "/Desktop" : WithoutTrailingSlash(home);
}

std::vector<std::string> ZenityArguments(const TFileDialogRequest& request) {
  std::vector<std::string> arguments{"--file-selection"};
  if (request.kind == TFileDialogKind::Save) {
    arguments.push_back("--save");
    arguments.push_back("--confirm-overwrite");
  } else if (request.kind == TFileDialogKind::Folder) {
    arguments.push_back("--directory");
  }
  if (!request.initial_folder.empty())
    arguments.push_back("--filename=" + WithoutTrailingSlash(request.initial_folder) + "/");
  if (request.kind != TFileDialogKind::Folder && !request.filter.empty()) {
    std::vector<std::string> parts = FilterParts(request.filter);
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
      std::string patterns;
      size_t start = 0;
      const std::string& list = parts[i + 1];
      while (start <= list.size()) {
        size_t semicolon = list.find(';', start);
        if (semicolon == std::string::npos) semicolon = list.size();
        std::string pattern = list.substr(start, semicolon - start);
        start = semicolon + 1;
        if (pattern.empty()) continue;
        if (pattern == "*.*") pattern = "*";  // every file, with or without an extension
        if (!patterns.empty()) patterns += ' ';
        patterns += pattern;
      }
      if (patterns.empty()) continue;
      const std::string& name = parts[i].empty() ? patterns : parts[i];
      arguments.push_back("--file-filter=" + name + " | " + patterns);
    }
  }
  return arguments;
}

std::string TraceText(std::string_view text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line.push_back(c);
    }
  }
  return line;
}

std::unique_ptr<IDesktop> CreateSystemDesktop(IDialogs& dialogs) { return std::make_unique<TSystemDesktop>(dialogs); }

std::unique_ptr<IDesktop> CreateHeadlessDesktop(IDialogs& dialogs, std::string folder) {
  return std::make_unique<THeadlessDesktop>(dialogs, std::move(folder));
}

}  // namespace orvo
