#include "vars/messages.h"

#include <array>

#include "base/cp932.h"

namespace orvo {

namespace {

const std::string& Format(TVarsMessage id) {
  static const std::array<std::string, 22> kFormats = {
      Utf8ToCp932("\"%s\"：変数名が不正です"),
      Utf8ToCp932("[%s]:配列の添字が不正です"),
      Utf8ToCp932("配列の要素数[%s]が不正です"),
      Utf8ToCp932("CopyMem:変数の型があいません"),
      Utf8ToCp932("%s:不正な変数です"),
      Utf8ToCp932("添え字が不正です"),
      Utf8ToCp932("要素数を超えています"),
      Utf8ToCp932("内部エラー"),
      Utf8ToCp932("構文エラー"),
      Utf8ToCp932("配列の添え字が不正です"),
      Utf8ToCp932("\"%s\" 関数名がありません"),
      Utf8ToCp932("%s 引数の数が不正です"),
      Utf8ToCp932("\"%s\" 変数がありません"),
      Utf8ToCp932("不正な式\r\n\r\n代入先:%s"),
      Utf8ToCp932("%s:変数が見つかりません"),
      Utf8ToCp932("GetPropの引数が違います"),
      "Division by zero",
      "Floating point division by zero",
      "Out of memory",
      "Invalid string data",
      "Invalid variable data",
      "Expressions nested too deeply",
  };
  return kFormats[static_cast<size_t>(id)];
}

}  // namespace

// A message quotes at most this many bytes of what it names: a script can
// name a string of megabytes, and every message is converted for display.
constexpr size_t kMaxQuoted = 1024;

std::string VarsMessage(TVarsMessage id, std::string_view argument) {
  const std::string& format = Format(id);
  size_t at = format.find("%s");
  if (at == std::string::npos) return format;
  std::string text = format.substr(0, at);
  if (argument.size() > kMaxQuoted) {
    size_t end = 0;
    while (end < argument.size() && end + CharLength(argument, end) <= kMaxQuoted) end += CharLength(argument, end);
    text.append(argument.substr(0, end));
    text += "...";
  } else {
    text += argument;
  }
  text.append(format, at + 2, std::string::npos);
  return text;
}

void RaiseVars(TVarsMessage id, std::string_view argument) { throw EOrvoError(VarsMessage(id, argument)); }

void RaiseBadIndex(int64_t index) { RaiseVars(TVarsMessage::BadIndex, std::to_string(index)); }

}  // namespace orvo
