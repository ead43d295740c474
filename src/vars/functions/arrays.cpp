// Array functions. Arrays are reached through the argument's reference,
// which stands for the whole variable.
#include <algorithm>
#include <cmath>

#include "base/cp932.h"
#include "vars/functions/sys_func.h"
#include "vars/locale_text.h"
#include "vars/messages.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

// Copies element from of source into element to of target, in the target's kind.
void CopyElement(TCustomParam& target, int32_t to, const TCustomParam& source, int32_t from) {
  switch (target.ParamType()) {
    case PT_INT:
      target.SetInt(to, source.GetInt(from));
      break;
    case PT_FLOAT:
      target.SetFloat(to, source.GetFloat(from));
      break;
    case PT_BOOL:
      target.SetBool(to, source.GetBool(from));
      break;
    case PT_STR:
      target.SetStr(to, source.GetStr(from));
      break;
    default:
      break;
  }
}

void ResizeVector(TCustomParam& target, int64_t count) {
  if (count < 1 || count > kMaxParamElements) {
    RaiseVars(TVarsMessage::BadElementCount, std::to_string(count));
  }
  int32_t size = static_cast<int32_t>(count);
  target.SetDims(std::span<const int32_t>(&size, 1));
}

void GetArraySize(TFunctionCall& call) {
  TParamVar& array = call.RequireVariable(0, "GetArraySize");
  if (call.Has(1)) {
    call.Result().SetAsInt(array.DimSize(array.DimCount() - 1 - call.Int(1)));
  } else {
    call.Result().SetAsInt(array.Count());
  }
}

void SetArray(TFunctionCall& call) {
  TParamVar& array = call.RequireVariable(0, "SetArray");
  std::vector<int32_t> sizes;
  for (int i = 1; i < call.ArgCount(); ++i) sizes.push_back(call.Int(i));
  array.SetDims(sizes);
}

void FillMem(TFunctionCall& call) {
  TParamVar& array = call.RequireVariable(0, "FillMem");
  switch (array.ParamType()) {
    case PT_INT:
      array.FillInt(call.Int(1));
      break;
    case PT_FLOAT:
      array.FillFloat(call.Float(1));
      break;
    case PT_BOOL:
      array.FillBool(call.Bool(1));
      break;
    default:
      array.FillStr(call.Str(1));
      break;
  }
}

void CopyMem(TFunctionCall& call) {
  TParamVar* target = call.Variable(0);
  TParamVar* source = call.Variable(1);
  if (!target || !source) RaiseVars(TVarsMessage::VariableNotFound, "CopyMem");
  target->CopyMem(*source->Target());
}

void ArrayToString(TFunctionCall& call) {
  const TCustomParam& array = call.Arg(0);
  std::string delimiter = call.Str(1, "\r\n");
  std::string text;
  int32_t count = array.Count();
  for (int32_t i = 0; i < count; ++i) {
    if (i) text += delimiter;
    text += array.GetStr(i);
    if (text.size() > kMaxScriptString) RaiseVars(TVarsMessage::OutOfMemory);
  }
  call.Result().SetAsStr(text);
}

// Lines the way a string list takes text: ends at CR, LF or CR LF (and at a
// NUL byte); a final line break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text.substr(start, i - start));
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

// Cuts at every byte of the delimiter set that is not the second byte of a
// double-byte character; a delimiter at the very end adds no empty part.
std::vector<std::string> SplitAtBytes(std::string_view text, std::string_view delimiters) {
  std::vector<std::string> parts;
  while (!text.empty()) {
    size_t cut = std::string_view::npos;
    for (size_t i = 0; i < text.size(); ++i) {
      if (delimiters.find(text[i]) != std::string_view::npos) {
        cut = i;
        break;
      }
      if (IsLeadByte(static_cast<uint8_t>(text[i]))) ++i;  // skip the trail byte
    }
    if (cut == std::string_view::npos) {
      parts.emplace_back(text);
      break;
    }
    parts.emplace_back(text.substr(0, cut));
    text.remove_prefix(cut + 1);
  }
  return parts;
}

void StringToArray(TFunctionCall& call) {
  TParamVar* array = call.Variable(1);
  if (!array) return;
  std::string text = call.Str(0);
  std::string delimiters = call.Str(2, "\r\n");
  std::vector<std::string> parts = delimiters == "\r\n" ? SplitLines(text) : SplitAtBytes(text, delimiters);
  if (parts.empty()) {
    array->SetAsStr("");
    return;
  }
  ResizeVector(*array, static_cast<int64_t>(parts.size()));
  for (size_t i = 0; i < parts.size(); ++i) array->SetStr(static_cast<int32_t>(i), parts[i]);
}

void SortStr(TFunctionCall& call) {
  TParamVar* array = call.Variable(0);
  if (!array) return;
  bool descending = call.Bool(1, false);
  bool numeric = call.Bool(2, false);
  int32_t count = array->Count();
  if (numeric) {
    std::vector<long double> values;
    for (int32_t i = 0; i < count; ++i) values.push_back(array->GetFloat(i));
    // NaN after every number: a total order even for damaged values.
    auto before = [](long double a, long double b) {
      if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
      return a < b;
    };
    std::stable_sort(values.begin(), values.end(), before);
    if (descending) std::reverse(values.begin(), values.end());
    for (int32_t i = 0; i < count; ++i) array->SetFloat(i, values[static_cast<size_t>(i)]);
  } else {
    // Each text is folded once; only texts equal without case compare again.
    struct TEntry {
      std::string folded;
      std::string text;
    };
    std::vector<TEntry> entries;
    for (int32_t i = 0; i < count; ++i) {
      std::string text = array->GetStr(i);
      entries.push_back({LocaleLower(text), std::move(text)});
    }
    std::stable_sort(entries.begin(), entries.end(), [descending](const TEntry& a, const TEntry& b) {
      int order = a.folded.compare(b.folded);
      if (order == 0) order = LocaleCompare(a.text, b.text, false);
      return descending ? order > 0 : order < 0;
    });
    std::vector<std::string> values;
    for (TEntry& entry : entries) values.push_back(std::move(entry.text));
    for (int32_t i = 0; i < count; ++i) array->SetStr(i, values[static_cast<size_t>(i)]);
  }
}

void AddArray(TFunctionCall& call) {
  TParamVar* target = call.Variable(0);
  const TCustomParam& source = call.Arg(1);
  int32_t d = target ? target->Count() : call.Arg(0).Count();
  int32_t e = source.Count();
  if (!target || target->DimCount() >= 2 || source.DimCount() >= 2) {
    call.Result().SetAsInt(d);
    return;
  }
  ResizeVector(*target, int64_t{d} + e);
  for (int32_t i = 0; i < e; ++i) CopyElement(*target, d + i, source, i);
  call.Result().SetAsInt(d + e);
}

void InsertArray(TFunctionCall& call) {
  TParamVar* target = call.Variable(0);
  const TCustomParam& source = call.Arg(2);
  int32_t d = target ? target->Count() : call.Arg(0).Count();
  int32_t e = source.Count();
  if (!target || target->DimCount() >= 2 || source.DimCount() >= 2) {
    call.Result().SetAsInt(d);
    return;
  }
  int32_t index = std::clamp(call.Int(1), 0, d);
  ResizeVector(*target, int64_t{d} + e);
  for (int32_t i = d - 1; i >= index; --i) CopyElement(*target, i + e, *target, i);
  for (int32_t i = 0; i < e; ++i) CopyElement(*target, index + i, source, i);
  call.Result().SetAsInt(d + e);
}

void DeleteArray(TFunctionCall& call) {
  TParamVar* array = call.Variable(0);
  if (!array || array->DimCount() != 1) {
    call.Result().SetAsInt(array ? array->Count() : call.Arg(0).Count());
    return;
  }
  int64_t n = array->Count();
  int64_t index = n > 0 ? std::clamp<int64_t>(call.Int(1), 0, n - 1) : 0;
  int64_t count = call.Int(2);
  if (index + count > n) count = n - index;
  for (int64_t i = index + count; i < n; ++i) {
    CopyElement(*array, static_cast<int32_t>(i - count), *array, static_cast<int32_t>(i));
  }
  // Deleting every element leaves no valid size: the element-count error.
  ResizeVector(*array, n - count);
  call.Result().SetAsInt(static_cast<int32_t>(n - count));
}

void CopyArray(TFunctionCall& call) {
  TParamVar* target = call.Variable(0);
  if (!target) {
    call.Result().SetAsBool(false);
    return;
  }
  AssignConverted(*target, call.Arg(1));
  call.Result().SetAsBool(true);
}

}  // namespace

void RegisterArrayFunctions(TSysFuncMan& functions) {
  functions.Register(4, GetArraySize);
  functions.Register(21, SetArray);
  functions.Register(22, FillMem);
  functions.Register(23, CopyMem);
  functions.Register(28, ArrayToString);
  functions.Register(29, StringToArray);
  functions.Register(30, [](TFunctionCall& call) {
    call.Result().SetAsInt(call.Arg(0).IndexOf(call.Str(1), call.Bool(2, true), call.Bool(3, false)));
  });
  functions.Register(31, SortStr);
  functions.Register(66, AddArray);
  functions.Register(67, InsertArray);
  functions.Register(68, DeleteArray);
  functions.Register(70, CopyArray);
  functions.Register(164, [](TFunctionCall& call) {
    TParamVar* array = call.Variable(0);
    if (array && array->DimCount() == 1) array->Unique();
    call.Result().SetAsInt(array ? array->Count() : call.Arg(0).Count());
  });
  functions.Register(165, [](TFunctionCall& call) {
    TParamVar* array = call.Variable(0);
    if (array && array->DimCount() == 1) array->RemoveValue(call.Has(1) ? &call.Arg(1) : nullptr);
    call.Result().SetAsInt(array ? array->Count() : call.Arg(0).Count());
  });
}

}  // namespace orvo
