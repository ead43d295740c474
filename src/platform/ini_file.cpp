#include "platform/ini_file.h"

#include <ini.h>

#include <cstdlib>

#include "base/cp932.h"
#include "base/files.h"

namespace orvo {

std::string TIniFile::Key(const std::string& name) { return LowerAscii(name); }

bool TIniFile::Load(const std::string& path) {
  sections_.clear();
  section_names_.clear();
  auto handler = [](void* user, const char* section, const char* name, const char* value) -> int {
    static_cast<TIniFile*>(user)->WriteString(section, name, value);
    return 1;
  };
  return ini_parse(path.c_str(), handler, this) == 0;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  auto found = sections_.find(Key(section));
  if (found == sections_.end()) return fallback;
  auto value = found->second.find(Key(key));
  return value == found->second.end() ? fallback : value->second.second;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
  std::string text = ReadString(section, key, "");
  if (text.empty()) return fallback;
  char* end = nullptr;
  bool hex = text.size() > 1 && (text[0] == '$');
  long value = std::strtol(text.c_str() + (hex ? 1 : 0), &end, hex ? 16 : 10);
  if (end == nullptr || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return fallback;
  return static_cast<int>(value);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  section_names_.emplace(Key(section), section);
  sections_[Key(section)][Key(key)] = {key, value};
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteInteger(section, key, value ? 1 : 0);
}

void TIniFile::Save(const std::string& path) const {
  std::string text;
  for (const auto& [key, entries] : sections_) {
    if (!text.empty()) text += "\n";
    text += "[" + section_names_.at(key) + "]\n";
    for (const auto& [entry_key, entry] : entries) text += entry.first + "=" + entry.second + "\n";
  }
  WriteFileAtomically(path, text);
}

}  // namespace orvo
