// String functions: positions count bytes from 1, or characters in the J forms.
#include <algorithm>
#include <climits>

#include "base/cp932.h"
#include "vars/convert.h"
#include "vars/functions/sys_func.h"
#include "vars/functions/text_positions.h"
#include "vars/locale_text.h"
#include "vars/messages.h"
#include "vars/param_var.h"
#include "vars/text_width.h"

namespace orvo {

namespace {

// Far beyond any real padding; keeps a script from asking for gigabytes.
constexpr int64_t kMaxPadding = 4096;

std::string CheckedText(std::string text) {
  if (text.size() > kMaxScriptString) RaiseVars(TVarsMessage::OutOfMemory);
  return text;
}

std::string Padded(std::string digits, int64_t width) {
  width = std::min(width, kMaxPadding);
  if (static_cast<int64_t>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return digits;
}

void IntToStr(TFunctionCall& call) {
  int32_t n = call.Int(0);
  if (!call.Has(1)) {
    call.Result().SetAsStr(IntToText(n));
    return;
  }
  // The digits argument becomes part of a "%.<digits>d" format, as text.
  std::string digits = call.Str(1);
  int64_t precision = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') throw EOrvoError("Format '%." + digits + "d' invalid or incompatible with argument");
    precision = std::min<int64_t>(precision * 10 + (c - '0'), kMaxPadding);
  }
  int64_t wide = n;
  std::string text = Padded(std::to_string(wide < 0 ? -wide : wide), precision);
  call.Result().SetAsStr(wide < 0 ? "-" + text : text);
}

void IntToHex(TFunctionCall& call) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", static_cast<uint32_t>(call.Int(0)));
  call.Result().SetAsStr(Padded(buffer, call.Int(1)));
}

// Copy and JCopy on positions 1..count (bytes or characters): from below 1
// counts as 1, from past the end or a negative count gives nothing.
std::pair<size_t, size_t> CopyRange(size_t length, int32_t from, int64_t count) {
  int64_t start = std::max<int32_t>(from, 1);
  if (start > static_cast<int64_t>(length) || count < 0) return {0, 0};
  int64_t take = std::min<int64_t>(count, static_cast<int64_t>(length) - start + 1);
  return {static_cast<size_t>(start - 1), static_cast<size_t>(take)};
}

void Copy(TFunctionCall& call) {
  std::string text = call.Str(0);
  auto [start, take] = CopyRange(text.size(), call.Int(1), call.Has(2) ? call.Int(2) : INT64_MAX);
  call.Result().SetAsStr(text.substr(start, take));
}

void JCopy(TFunctionCall& call) {
  std::string text = call.Str(0);
  TCharMap map(text);
  auto [start, take] = CopyRange(map.Count(), call.Int(1), call.Has(2) ? call.Int(2) : INT64_MAX);
  size_t begin = map.Offset(start);
  call.Result().SetAsStr(text.substr(begin, map.Offset(start + take) - begin));
}

// Delete and JDelete: nothing when from lies outside 1..length or count <= 0.
void DeleteIn(TFunctionCall& call, bool characters) {
  TParamVar* variable = call.Variable(0);
  if (!variable) return;
  std::string text = variable->GetAsStr();
  TCharMap map(text);
  size_t length = characters ? map.Count() : text.size();
  int64_t from = call.Int(1);
  if (characters && from < 1) from = 1;
  int64_t count = call.Has(2) ? call.Int(2) : static_cast<int64_t>(length);
  if (from < 1 || from > static_cast<int64_t>(length) || count <= 0) return;
  size_t first = static_cast<size_t>(from - 1);
  size_t last = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(length), from - 1 + count));
  if (characters) first = map.Offset(first), last = map.Offset(last);
  text.erase(first, last - first);
  variable->SetAsStr(text);
}

// Insert and JInsert: an index below 1 counts as 1, past the end appends.
void InsertIn(TFunctionCall& call, bool characters) {
  TParamVar* variable = call.Variable(1);
  if (!variable) return;
  std::string part = call.Str(0);
  std::string text = variable->GetAsStr();
  TCharMap map(text);
  size_t length = characters ? map.Count() : text.size();
  int64_t index = std::clamp<int64_t>(call.Int(2), 1, static_cast<int64_t>(length) + 1);
  size_t at = static_cast<size_t>(index - 1);
  if (characters) at = map.Offset(at);
  text.insert(at, part);
  variable->SetAsStr(CheckedText(std::move(text)));
}

void CompareStr(TFunctionCall& call) {
  std::string a = call.Str(0);
  std::string b = call.Str(1);
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) {
      call.Result().SetAsInt(static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i]));
      return;
    }
  }
  call.Result().SetAsInt(static_cast<int32_t>(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size())));
}

void Pos(TFunctionCall& call) {
  std::string part = call.Str(0);
  std::string text = call.Str(1);
  size_t at = part.empty() ? std::string::npos : text.find(part);
  call.Result().SetAsInt(at == std::string::npos ? 0 : static_cast<int32_t>(at + 1));
}

void JPos(TFunctionCall& call) {
  std::string part = call.Str(0);
  std::string text = call.Str(1);
  TCharMap map(text);
  size_t at = FindAligned(text, map, part);
  call.Result().SetAsInt(at == std::string::npos ? 0 : static_cast<int32_t>(map.IndexOf(at) + 1));
}

void JTrim(TFunctionCall& call) {
  std::string text = call.Str(0);
  TCharMap map(text);
  auto is_space = [&](size_t index) {
    size_t at = map.Offset(index);
    size_t length = map.Offset(index + 1) - at;
    return (length == 1 && text[at] == ' ') ||
           (length == 2 && static_cast<uint8_t>(text[at]) == 0x81 && static_cast<uint8_t>(text[at + 1]) == 0x40);
  };
  size_t first = 0;
  size_t last = map.Count();
  while (first < last && is_space(first)) ++first;
  while (last > first && is_space(last - 1)) --last;
  call.Result().SetAsStr(text.substr(map.Offset(first), map.Offset(last) - map.Offset(first)));
}

void FixStr(TFunctionCall& call) {
  std::string text = call.Str(0);
  TCharMap map(text);
  if (text.size() >= 2 && map.Count() > 0) {
    size_t last = map.Offset(map.Count() - 1);
    if (last == text.size() - 1 && IsLeadByte(static_cast<uint8_t>(text[last]))) text.pop_back();
  }
  call.Result().SetAsStr(text);
}

void StringOfChar(TFunctionCall& call) {
  std::string unit = call.Str(0);
  int32_t count = call.Int(1);
  if (count <= 0 || unit.empty()) {
    call.Result().SetAsStr("");
    return;
  }
  if (unit.size() * static_cast<uint64_t>(count) > kMaxScriptString) RaiseVars(TVarsMessage::OutOfMemory);
  // Doubling keeps a long repeat of a short unit at a few copies of the result.
  const size_t total = unit.size() * static_cast<size_t>(count);
  std::string text;
  text.reserve(total);
  text = unit;
  while (text.size() * 2 <= total) text.append(text.data(), text.size());
  text.append(text.data(), total - text.size());
  call.Result().SetAsStr(text);
}

void StringReplace(TFunctionCall& call) {
  std::string text = call.Str(0);
  std::string old_part = call.Str(1);
  std::string new_part = call.Str(2);
  bool all = call.Bool(3, false);
  bool ignore_case = call.Bool(4, false);
  if (old_part.empty()) {
    call.Result().SetAsStr(text);
    return;
  }
  // Case folding keeps every character's length, so offsets agree.
  std::string search = ignore_case ? LocaleUpper(text) : text;
  std::string pattern = ignore_case ? LocaleUpper(old_part) : old_part;
  TCharMap map(search);
  std::string out;
  size_t done = 0;
  for (size_t at = FindAligned(search, map, pattern); at != std::string::npos;
       at = FindAligned(search, map, pattern, done)) {
    out.append(text, done, at - done);
    out += new_part;
    done = at + old_part.size();
    if (out.size() > kMaxScriptString) RaiseVars(TVarsMessage::OutOfMemory);
    if (!all) break;
  }
  out.append(text, done, std::string::npos);
  call.Result().SetAsStr(CheckedText(std::move(out)));
}

void AddDelimiter(TFunctionCall& call) {
  std::string delimiter = call.Str(0);
  std::string text = call.Str(1);
  call.Result().SetAsStr(text.empty() ? std::string() : CheckedText(text + delimiter));
}

void StrToIntDef(TFunctionCall& call) {
  int32_t value = 0;
  call.Result().SetAsInt(TryTextToInt(call.Str(0), value) ? value : call.Int(1));
}

void StrToFloatDef(TFunctionCall& call) {
  long double value = 0;
  call.Result().SetAsFloat(TryTextToReal(call.Str(0), value) ? value : call.Float(1));
}

}  // namespace

void RegisterStringFunctions(TSysFuncMan& functions) {
  functions.Register(0, IntToStr);
  functions.Register(1, IntToHex);
  functions.Register(5, [](TFunctionCall& call) { call.Result().SetAsInt(static_cast<int32_t>(call.Str(0).size())); });
  functions.Register(
      6, [](TFunctionCall& call) { call.Result().SetAsInt(static_cast<int32_t>(TCharMap(call.Str(0)).Count())); });
  functions.Register(7, Copy);
  functions.Register(8, JCopy);
  functions.Register(9, [](TFunctionCall& call) { DeleteIn(call, false); });
  functions.Register(10, [](TFunctionCall& call) { DeleteIn(call, true); });
  functions.Register(11, [](TFunctionCall& call) { InsertIn(call, false); });
  functions.Register(12, [](TFunctionCall& call) { InsertIn(call, true); });
  functions.Register(13, CompareStr);
  functions.Register(
      14, [](TFunctionCall& call) { call.Result().SetAsInt(LocaleCompare(call.Str(0), call.Str(1), true)); });
  functions.Register(15, Pos);
  functions.Register(16, JPos);
  functions.Register(17, [](TFunctionCall& call) { call.Result().SetAsStr(TrimText(call.Str(0))); });
  functions.Register(18, JTrim);
  functions.Register(64, FixStr);
  functions.Register(73, [](TFunctionCall& call) { call.Result().SetAsStr(LocaleLower(call.Str(0))); });
  functions.Register(74, [](TFunctionCall& call) { call.Result().SetAsStr(LocaleUpper(call.Str(0))); });
  functions.Register(82, StringOfChar);
  functions.Register(83, StringReplace);
  functions.Register(85, [](TFunctionCall& call) { call.Result().SetAsStr(CheckedText(HanToZen(call.Str(0)))); });
  functions.Register(86, [](TFunctionCall& call) { call.Result().SetAsStr(ZenToHan(call.Str(0))); });
  functions.Register(133, AddDelimiter);
  functions.Register(138, StrToIntDef);
  functions.Register(139, StrToFloatDef);
  functions.Register(
      152, [](TFunctionCall& call) { call.Result().SetAsStr(std::string(1, static_cast<char>(call.Int(0) & 0xFF))); });
  functions.Register(153, [](TFunctionCall& call) {
    std::string text = call.Str(0);
    call.Result().SetAsInt(text.empty() ? 0 : static_cast<uint8_t>(text[0]));
  });
}

}  // namespace orvo
