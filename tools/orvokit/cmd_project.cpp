// orvokit project: the project settings file "orvo.opb" from a readable
// settings text and back.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "kit.h"
#include "script/project_settings.h"

namespace orvo::kit {
namespace {

std::string ToCp932(const std::string& utf8, int line) {
  std::string out;
  if (!TryUtf8ToCp932(utf8, out))
    throw EOrvoError("line " + std::to_string(line) + ": text not representable in CP932: " + utf8);
  return out;
}

std::string Trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(start, end - start + 1);
}

// A value is raw text, or a double-quoted string with \" \\ \n \r \t escapes.
std::string Unquote(const std::string& value, int line) {
  if (value.empty() || value[0] != '"') return value;
  std::string out;
  for (size_t i = 1; i < value.size(); ++i) {
    char c = value[i];
    if (c == '"') {
      if (Trim(value.substr(i + 1)).empty()) return out;
      break;
    }
    if (c == '\\' && i + 1 < value.size()) {
      char e = value[++i];
      out.push_back(e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e);
    } else {
      out.push_back(c);
    }
  }
  throw EOrvoError("line " + std::to_string(line) + ": unterminated or malformed quoted text");
}

std::string Quote(const std::string& text, bool always) {
  bool plain = !always && !text.empty() && text[0] != '"' && Trim(text) == text;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20) plain = false;
  if (plain || (!always && text.empty())) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\', out += c;
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out + "\"";
}

int32_t ParseInt(const std::string& text, int line) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX)
    throw EOrvoError("line " + std::to_string(line) + ": not an integer: " + text);
  return static_cast<int32_t>(value);
}

bool ParseBool(const std::string& text, int line) {
  if (text == "true" || text == "1" || text == "yes") return true;
  if (text == "false" || text == "0" || text == "no") return false;
  throw EOrvoError("line " + std::to_string(line) + ": not true or false: " + text);
}

long double ParseReal(const std::string& text, int line) {
  char* end = nullptr;
  long double value = std::strtold(text.c_str(), &end);
  if (text.empty() || *end != '\0') throw EOrvoError("line " + std::to_string(line) + ": not a number: " + text);
  return value;
}

// The shortest text that reads back to the same 80-bit value.
std::string FormatReal(long double value) {
  char buffer[64];
  for (int digits = 1; digits <= 21; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*Lg", digits, value);
    if (std::strtold(buffer, nullptr) == value) break;
  }
  return buffer;
}

TProjectSettings NewProjectDefaults() {
  TProjectSettings s;
  s.save_to_disk = true;
  s.media_extensions = ".wav.wma.ogg.mid";
  s.disc_prompt = Utf8ToCp932("ディスク%dを入れてから[OK]をクリックしてください");
  s.exit_message = Utf8ToCp932("終了します");
  return s;
}

TProjectSettings ParseSettingsText(const std::string& text) {
  TProjectSettings s = NewProjectDefaults();
  std::istringstream lines(text);
  std::string raw, section;
  int line = 0;
  while (std::getline(lines, raw)) {
    ++line;
    std::string trimmed = Trim(raw);
    if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';') continue;
    if (trimmed.front() == '[') {
      if (trimmed.back() != ']') throw EOrvoError("line " + std::to_string(line) + ": bad section header");
      section = trimmed.substr(1, trimmed.size() - 2);
      if (section != "project" && section != "variables" && section != "discs")
        throw EOrvoError("line " + std::to_string(line) + ": unknown section [" + section + "]");
      continue;
    }
    size_t equals = trimmed.find('=');
    if (equals == std::string::npos || section.empty())
      throw EOrvoError("line " + std::to_string(line) + ": expected KEY = VALUE inside a section");
    std::string key = Trim(trimmed.substr(0, equals));
    std::string value = Trim(trimmed.substr(equals + 1));
    if (section == "variables") {
      TDefaultVariable variable;
      variable.name = ToCp932(key, line);
      size_t space = value.find_first_of(" \t");
      std::string type = value.substr(0, space);
      std::string rest = space == std::string::npos ? std::string() : Trim(value.substr(space));
      if (type == "int") {
        variable.type = 1;
        variable.int_value = ParseInt(rest, line);
      } else if (type == "float") {
        variable.type = 2;
        variable.real_value = ParseReal(rest, line);
      } else if (type == "bool") {
        variable.type = 3;
        variable.bool_value = ParseBool(rest, line);
      } else if (type == "str") {
        variable.type = 4;
        variable.string_value = ToCp932(Unquote(rest, line), line);
      } else {
        throw EOrvoError("line " + std::to_string(line) + ": variable type must be int, float, bool or str");
      }
      s.default_variables.push_back(variable);
      continue;
    }
    if (section == "discs") {
      s.folder_discs.push_back(TFolderDisc{ToCp932(key, line), ParseInt(value, line)});
      continue;
    }
    std::string text_value = ToCp932(Unquote(value, line), line);
    if (key == "title") s.title = text_value;
    else if (key == "width") s.width = ParseInt(value, line);
    else if (key == "height") s.height = ParseInt(value, line);
    else if (key == "display_a") s.display_a = ParseInt(value, line);
    else if (key == "display_b") s.display_b = ParseInt(value, line);
    else if (key == "start_page") s.start_page = text_value;
    else if (key == "exit_page") s.exit_page = text_value;
    else if (key == "registry_key") s.registry_key = text_value;
    else if (key == "image_option") s.image_option = ParseInt(value, line);
    else if (key == "save_to_disk") s.save_to_disk = ParseBool(value, line);
    else if (key == "idle_sleep") s.idle_sleep = ParseBool(value, line);
    else if (key == "media_extensions") s.media_extensions = text_value;
    else if (key == "pause_when_inactive") s.pause_when_inactive = ParseBool(value, line);
    else if (key == "reserved_flag") s.reserved_flag = static_cast<uint8_t>(ParseInt(value, line));
    else if (key == "show_toolbar") s.show_toolbar = ParseBool(value, line);
    else if (key == "disc_prompt") s.disc_prompt = text_value;
    else if (key == "exit_message") s.exit_message = text_value;
    else throw EOrvoError("line " + std::to_string(line) + ": unknown key " + key);
  }
  return s;
}

std::string FormatSettingsText(const TProjectSettings& s) {
  auto text = [](const std::string& cp932) { return Quote(Cp932ToUtf8(cp932), false); };
  auto flag = [](bool value) { return value ? "true" : "false"; };
  std::ostringstream out;
  out << "# settings version " << s.version << "\n[project]\n";
  out << "title = " << text(s.title) << "\n";
  out << "width = " << s.width << "\nheight = " << s.height << "\n";
  out << "display_a = " << s.display_a << "\ndisplay_b = " << s.display_b << "\n";
  out << "start_page = " << text(s.start_page) << "\n";
  out << "exit_page = " << text(s.exit_page) << "\n";
  out << "registry_key = " << text(s.registry_key) << "\n";
  out << "image_option = " << s.image_option << "\n";
  out << "save_to_disk = " << flag(s.save_to_disk) << "\n";
  out << "idle_sleep = " << flag(s.idle_sleep) << "\n";
  out << "media_extensions = " << text(s.media_extensions) << "\n";
  out << "pause_when_inactive = " << flag(s.pause_when_inactive) << "\n";
  out << "reserved_flag = " << static_cast<int>(s.reserved_flag) << "\n";
  out << "show_toolbar = " << flag(s.show_toolbar) << "\n";
  out << "disc_prompt = " << text(s.disc_prompt) << "\n";
  out << "exit_message = " << text(s.exit_message) << "\n";
  out << "\n[variables]\n";
  for (const auto& v : s.default_variables) {
    out << Cp932ToUtf8(v.name) << " = ";
    switch (v.type) {
      case 1: out << "int " << v.int_value; break;
      case 2: out << "float " << FormatReal(v.real_value); break;
      case 3: out << "bool " << flag(v.bool_value); break;
      default: out << "str " << Quote(Cp932ToUtf8(v.string_value), true); break;
    }
    out << "\n";
  }
  out << "\n[discs]\n";
  for (const auto& d : s.folder_discs) out << Cp932ToUtf8(d.folder) << " = " << d.disc << "\n";
  return out.str();
}

int RunProject(const std::vector<std::string>& args) {
  std::string input, output;
  bool show = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--show") show = true;
    else if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (!args[i].empty() && args[i][0] == '-') return UsageError("project", "unknown option " + args[i]);
    else if (input.empty()) input = args[i];
    else return UsageError("project", "one input file only");
  }
  if (input.empty() || (!show && output.empty())) return UsageError("project");
  std::string bytes;
  if (!ReadWholeFile(input, bytes)) throw EOrvoError("cannot read " + input);
  if (show) {
    TMemoryStream stream(bytes);
    std::string text = FormatSettingsText(ReadProjectSettings(stream));
    if (output.empty()) std::fwrite(text.data(), 1, text.size(), stdout);
    else WriteFileAtomically(output, text);
    return 0;
  }
  TMemoryStream stream;
  WriteProjectSettings(stream, ParseSettingsText(bytes));
  const auto& data = stream.Bytes();
  WriteFileAtomically(output, std::string(data.begin(), data.end()));
  return 0;
}

const bool registered = RegisterCommand(
    {"project", "SETTINGS.ini -o orvo.opb | --show orvo.opb [-o SETTINGS.ini]",
     "write the project settings file from a settings text, or print one back", RunProject});

}  // namespace
}  // namespace orvo::kit
