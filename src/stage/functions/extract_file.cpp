#include "stage/functions/extract_file.h"

#include <sys/stat.h>

#include "base/cp932.h"
#include "base/files.h"
#include "data/path_resolver.h"
#include "stage/functions/disk_paths.h"

namespace orvo {

namespace {

bool IsFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// The plain branch's filter, which the special folders get too: a rest that
// could climb out of its folder or name a drive is dropped.
std::string FilteredRest(std::string rest) {
  if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
  if (rest.find("..") != std::string::npos || rest.find(':') != std::string::npos) rest.clear();
  return rest;
}

bool HasWildcard(std::string_view name) {
  return FindChar(name, '*') != std::string_view::npos || FindChar(name, '?') != std::string_view::npos;
}

// The names an element stands for: the element itself, or for a mask the
// matching files of its folder.
std::vector<std::string> Candidates(TVrFileManager& files, const std::string& element) {
  if (!HasWildcard(element)) return {element};
  const size_t slash = FindLastChar(element, '\\');
  const std::string folder = slash == std::string::npos ? std::string() : element.substr(0, slash);
  const std::string mask = slash == std::string::npos ? element : element.substr(slash + 1);
  std::vector<std::string> listed;
  files.ListFolder(folder, listed);
  std::vector<std::string> names;
  for (const std::string& name : listed) {
    if (MatchesMask(name, mask)) names.push_back(folder.empty() ? name : folder + "\\" + name);
  }
  return names;
}

std::string OverwriteQuestion(const std::string& target) {
  return target + "\r\n\r\n既に同名のファイルが存在します。上書きしますか？";
}

}  // namespace

std::string ExtractFolder(const TGameFunctionServices& services, std::string_view folder) {
  std::string text(folder);
  if (text.empty() || !IsCharStart(text, text.size() - 1) || text.back() != '\\') text.push_back('\\');
  if (text[0] == '{') {
    text.erase(0, 1);
    const size_t close = FindChar(text, '}');
    const std::string word = text.substr(0, close);
    const std::string rest = close == std::string::npos ? std::string() : text.substr(close + 1);
    std::string base;
    if (EqualsNoCase(word, "Desktop")) {
      base = services.desktop.DesktopFolder();
    } else if (EqualsNoCase(word, "MyDocuments")) {
      base = services.desktop.DocumentsFolder();
    } else {
      return {};
    }
    return MakeFolderBelow(base, FilteredRest(rest));
  }
  const std::string& own = services.files.Folder();
  if (own.empty()) return {};
  return MakeFolderBelow(own, FilteredRest(text));
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0;
  size_t star_mask = std::string_view::npos, star_name = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star_mask = ++m;
      star_name = n;
      continue;
    }
    const size_t name_length = CharLength(name, n);
    if (m < mask.size()) {
      const size_t mask_length = CharLength(mask, m);
      if (mask[m] == '?') {
        ++m;
        n += name_length;
        continue;
      }
      if (mask_length == name_length && EqualsNoCase(mask.substr(m, mask_length), name.substr(n, name_length))) {
        m += mask_length;
        n += name_length;
        continue;
      }
    }
    if (star_mask == std::string_view::npos) return false;
    // Let the last star take one more character and try again from there.
    star_name += CharLength(name, star_name);
    n = star_name;
    m = star_mask;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::string SafeFileNamePart(std::string_view name) {
  size_t start = 0;
  for (size_t i = 0; i < name.size();) {
    const size_t length = CharLength(name, i);
    // '\\' may be the second byte of a character; '/' and ':' never are, so
    // after a broken lead byte they still separate.
    const char last = name[i + length - 1];
    if ((length == 1 && name[i] == '\\') || last == '/' || last == ':') start = i + length;
    i += length;
  }
  std::string part(name.substr(start));
  if (part == "." || part == "..") return {};
  return part;
}

bool ExtractFiles(const TGameFunctionServices& services, const TExtractRequest& request) {
  std::string destination;
  if (request.folder) {
    destination = ExtractFolder(services, *request.folder);
  } else {
    TFileDialogRequest dialog;
    dialog.kind = TFileDialogKind::Folder;
    dialog.initial_folder = services.desktop.DesktopFolder();
    std::optional<std::string> chosen = services.desktop.ChooseFile(dialog);
    if (!chosen) return false;
    if (MakeFolders(*chosen)) destination = *chosen;
  }
  if (destination.empty()) return false;

  const TOverwriteButtons buttons =
      request.names.size() >= 2 ? TOverwriteButtons::WithCancelAndAll : TOverwriteButtons::YesNo;
  bool ask = request.ask;
  bool skip_all = false;
  bool written = false;
  for (std::string element : request.names) {
    if (!element.empty() && element[0] == '\\') element.erase(0, 1);
    for (const std::string& name : Candidates(services.files, element)) {
      std::string file;
      if (!TryCp932ToUtf8(SafeFileNamePart(name), file) || file.empty() || file.find('\0') != std::string::npos)
        continue;
      if (!services.files.Exists(name)) continue;
      const std::string target = JoinPath(destination, file);
      if (ask && IsFile(target)) {
        if (skip_all) continue;
        const TOverwriteAnswer answer = services.desktop.AskOverwrite(OverwriteQuestion(target), buttons);
        if (answer == TOverwriteAnswer::Cancel) break;  // the rest of this element; the next one still runs
        if (answer == TOverwriteAnswer::No) continue;
        if (answer == TOverwriteAnswer::NoToAll) {
          skip_all = true;
          continue;
        }
        if (answer == TOverwriteAnswer::YesToAll) ask = false;
      }
      const std::vector<uint8_t> bytes = services.files.LoadBytes(name);
      MakeFolders(destination);
      WriteFileAtomically(target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      written = true;
    }
  }
  return written;
}

}  // namespace orvo
