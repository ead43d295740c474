#pragma once
// INI files such as "game.ini". Values are read as the Windows INI reader
// did: booleans are integers (non-zero is true), and a missing key or a value
// that is not a number gives the default.
#include <map>
#include <string>

namespace orvo {

class TIniFile {
 public:
  // Reads the file; false when it does not exist or cannot be parsed.
  bool Load(const std::string& path);
  std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
  int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  // Writes every section back (atomically); raises EWriteError on failure.
  void Save(const std::string& path) const;

 private:
  // Section and key names compare without ASCII case, as on Windows.
  static std::string Key(const std::string& name);
  std::map<std::string, std::map<std::string, std::pair<std::string, std::string>>> sections_;
  std::map<std::string, std::string> section_names_;
};

}  // namespace orvo
