#include "vars/param.h"

#include <algorithm>
#include <unordered_set>

#include "base/cp932.h"
#include "vars/convert.h"
#include "vars/locale_text.h"
#include "vars/messages.h"
#include "vars/param_types.h"
#include "vars/param_var.h"

namespace orvo {

const std::string& ParamTypeDisplayName(TParamType kind) {
  static const std::string kNames[5] = {"", Utf8ToCp932("整数"), Utf8ToCp932("実数"), Utf8ToCp932("フラグ"),
                                        Utf8ToCp932("文字列")};
  return kNames[kind <= PT_STR ? kind : 0];
}

// ---- base class -----------------------------------------------------------

int32_t TCustomParam::DimCount() const { return dims_.empty() ? 1 : static_cast<int32_t>(dims_.size()); }

int32_t TCustomParam::DimSize(int32_t dimension) const {
  return (dimension >= 0 && static_cast<size_t>(dimension) < dims_.size()) ? dims_[static_cast<size_t>(dimension)] : 1;
}

void TCustomParam::Assign(const TCustomParam& source) { dims_ = source.dims_; }

int32_t TCustomParam::CheckedProduct(std::span<const int32_t> sizes) {
  int64_t product = 1;
  bool valid = true;
  for (int32_t size : sizes) {
    if (size < 1) valid = false;
    if (valid) product = std::min<int64_t>(product * size, kMaxParamElements + 1);
  }
  if (!valid || product > kMaxParamElements) {
    std::string joined;
    for (size_t i = 0; i < sizes.size(); ++i) {
      if (i) joined += ',';
      joined += std::to_string(sizes[i]);
    }
    RaiseVars(TVarsMessage::BadElementCount, joined);
  }
  return static_cast<int32_t>(product);
}

void TCustomParam::SetDims(std::span<const int32_t> sizes) {
  int32_t product = CheckedProduct(sizes);
  dims_.assign(sizes.begin(), sizes.end());
  SetCount(product);
}

void TCustomParam::WriteDims(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(dims_.size()));
  for (int32_t size : dims_) writer.WriteInt32(size);
}

void TCustomParam::ReadDims(TBinaryReader& reader) {
  int32_t count = reader.ReadInt32();
  if (count < 0) RaiseVars(TVarsMessage::InvalidVariableData);
  size_t checked = reader.RequireCount(count, 4);
  std::vector<int32_t> dims(checked);
  for (int32_t& size : dims) size = reader.ReadInt32();
  dims_ = std::move(dims);
}

void TCustomParam::SaveToStream(TBinaryWriter& writer) const { WriteDims(writer); }

void TCustomParam::LoadFromStream(TBinaryReader& reader) { ReadDims(reader); }

int32_t TCustomParam::IndexOf(std::string_view text, bool match_case, bool partial) const {
  (void)text, (void)match_case, (void)partial;
  return -1;
}

std::unique_ptr<TCustomParam> MakeParam(int kind) {
  switch (kind) {
    case PT_NONE:
      return std::make_unique<TParamVar>();
    case PT_INT:
      return std::make_unique<TParamInt>();
    case PT_FLOAT:
      return std::make_unique<TParamFloat>();
    case PT_BOOL:
      return std::make_unique<TParamFlag>();
    case PT_STR:
      return std::make_unique<TParamStr>();
    default:
      RaiseVars(TVarsMessage::InvalidVariableData);
  }
}

void AssignConverted(TCustomParam& target, const TCustomParam& source) {
  std::vector<int32_t> sizes(static_cast<size_t>(source.DimCount()));
  for (size_t d = 0; d < sizes.size(); ++d) sizes[d] = source.DimSize(static_cast<int32_t>(d));
  target.SetDims(sizes);
  int32_t count = std::min(source.Count(), target.Count());
  for (int32_t i = 0; i < count; ++i) {
    switch (target.ParamType()) {
      case PT_INT:
        target.SetInt(i, source.GetInt(i));
        break;
      case PT_FLOAT:
        target.SetFloat(i, source.GetFloat(i));
        break;
      case PT_BOOL:
        target.SetBool(i, source.GetBool(i));
        break;
      case PT_STR:
        target.SetStr(i, source.GetStr(i));
        break;
      default:
        return;
    }
  }
}

// ---- element conversions --------------------------------------------------

namespace {

template <class Element>
struct TElement;

template <>
struct TElement<int32_t> {
  static int32_t ToInt(int32_t v) { return v; }
  static long double ToFloat(int32_t v) { return v; }
  static bool ToBool(int32_t v) { return v != 0; }
  static bool ToBoolScalar(int32_t v) { return v != 0; }
  static std::string ToStr(int32_t v) { return IntToText(v); }
  static int32_t FromInt(int32_t v) { return v; }
  static int32_t FromFloat(long double v) { return RealToScriptInt(v); }
  static int32_t FromBool(bool v) { return v ? 1 : 0; }
  static int32_t FromStr(std::string_view v) { return TextToInt(v); }
  static constexpr int64_t kRecordBytes = 4;
  static void Write(TBinaryWriter& w, int32_t v) { w.WriteInt32(v); }
  static int32_t Read(TBinaryReader& r) { return r.ReadInt32(); }
  static bool Equal(int32_t a, int32_t b) { return a == b; }
};

template <>
struct TElement<long double> {
  static int32_t ToInt(long double v) { return RealToScriptInt(v); }
  static long double ToFloat(long double v) { return v; }
  static bool ToBool(long double v) { return v != 0; }
  static bool ToBoolScalar(long double v) { return v != 0; }
  static std::string ToStr(long double v) { return RealToText(v); }
  static long double FromInt(int32_t v) { return v; }
  static long double FromFloat(long double v) { return v; }
  static long double FromBool(bool v) { return v ? 1 : 0; }
  static long double FromStr(std::string_view v) { return TextToReal(v); }
  static constexpr int64_t kRecordBytes = 10;
  static void Write(TBinaryWriter& w, long double v) { w.WriteExt80(v); }
  static long double Read(TBinaryReader& r) { return r.ReadExt80(); }
  static bool Equal(long double a, long double b) { return a == b; }
};

template <>
struct TElement<uint8_t> {
  static int32_t ToInt(uint8_t v) { return v ? 1 : 0; }
  static long double ToFloat(uint8_t v) { return v ? 1 : 0; }
  static bool ToBool(uint8_t v) { return v != 0; }
  static bool ToBoolScalar(uint8_t v) { return v != 0; }
  static std::string ToStr(uint8_t v) { return BoolToText(v != 0); }
  static uint8_t FromInt(int32_t v) { return v != 0; }
  static uint8_t FromFloat(long double v) { return v != 0; }
  static uint8_t FromBool(bool v) { return v; }
  static uint8_t FromStr(std::string_view v) { return TextToBoolStrict(v); }
  static constexpr int64_t kRecordBytes = 1;
  static void Write(TBinaryWriter& w, uint8_t v) { w.WriteByte(v ? 1 : 0); }
  static uint8_t Read(TBinaryReader& r) { return r.ReadByte() != 0; }
  static bool Equal(uint8_t a, uint8_t b) { return (a != 0) == (b != 0); }
};

template <>
struct TElement<std::string> {
  static int32_t ToInt(const std::string& v) { return TextToInt(v); }
  static long double ToFloat(const std::string& v) { return TextToReal(v); }
  static bool ToBool(const std::string& v) { return TextToBoolStrict(v); }
  static bool ToBoolScalar(const std::string& v) { return TextToBoolLoose(v); }
  static std::string ToStr(const std::string& v) { return v; }
  static std::string FromInt(int32_t v) { return IntToText(v); }
  static std::string FromFloat(long double v) { return RealToText(v); }
  static std::string FromBool(bool v) { return BoolToText(v); }
  static std::string FromStr(std::string_view v) { return std::string(v); }
  static constexpr int64_t kRecordBytes = 4;
  static void Write(TBinaryWriter& w, const std::string& v) { w.WriteString(v); }
  static std::string Read(TBinaryReader& r) { return r.ReadString(); }
  static bool Equal(const std::string& a, const std::string& b) { return a == b; }
};

// Hash that agrees with TElement::Equal (0.0 and -0.0 are one value).
template <class Element>
struct TElementHash {
  size_t operator()(const Element& v) const { return std::hash<Element>()(v); }
};
template <>
struct TElementHash<long double> {
  size_t operator()(long double v) const { return std::hash<long double>()(v == 0 ? 0.0L : v); }
};
template <class Element>
struct TElementEqual {
  bool operator()(const Element& a, const Element& b) const { return TElement<Element>::Equal(a, b); }
};

// The scalar of a value object in the element kind of an array.
template <class Element>
Element ScalarAs(const TCustomParam* value) {
  if constexpr (std::is_same_v<Element, int32_t>) return value ? value->GetAsInt() : 0;
  if constexpr (std::is_same_v<Element, long double>) return value ? value->GetAsFloat() : 0;
  if constexpr (std::is_same_v<Element, uint8_t>) return value ? value->GetAsBool() : false;
  if constexpr (std::is_same_v<Element, std::string>) return value ? value->GetAsStr() : std::string();
}

}  // namespace

bool TextMatches(std::string_view element, std::string_view text, bool match_case, bool partial) {
  if (partial) {
    if (match_case) return element.find(text) != std::string_view::npos;
    return LocaleLower(element).find(LocaleLower(text)) != std::string::npos;
  }
  if (match_case) return element == text;
  return element.size() == text.size() && LocaleLower(element) == LocaleLower(text);
}

// ---- element classes ------------------------------------------------------

template <class Element, TParamType Kind>
const Element& TParamElements<Element, Kind>::At(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= elements_.size()) RaiseBadIndex(index);
  return elements_[static_cast<size_t>(index)];
}

template <class Element, TParamType Kind>
Element& TParamElements<Element, Kind>::At(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= elements_.size()) RaiseBadIndex(index);
  return elements_[static_cast<size_t>(index)];
}

template <class Element, TParamType Kind>
Element& TParamElements<Element, Kind>::Scalar() {
  ClearDims();
  if (elements_.empty()) elements_.resize(1);
  return elements_[0];
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetCount(int32_t count) {
  if (count < 0 || count > kMaxParamElements) RaiseVars(TVarsMessage::BadElementCount, std::to_string(count));
  elements_.resize(static_cast<size_t>(count));
}

template <class Element, TParamType Kind>
bool TParamElements<Element, Kind>::GetAsBool() const {
  return !elements_.empty() && TElement<Element>::ToBoolScalar(elements_[0]);
}
template <class Element, TParamType Kind>
long double TParamElements<Element, Kind>::GetAsFloat() const {
  return elements_.empty() ? 0 : TElement<Element>::ToFloat(elements_[0]);
}
template <class Element, TParamType Kind>
int32_t TParamElements<Element, Kind>::GetAsInt() const {
  return elements_.empty() ? 0 : TElement<Element>::ToInt(elements_[0]);
}
template <class Element, TParamType Kind>
std::string TParamElements<Element, Kind>::GetAsStr() const {
  return elements_.empty() ? std::string() : TElement<Element>::ToStr(elements_[0]);
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetAsBool(bool value) {
  Scalar() = TElement<Element>::FromBool(value);
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetAsFloat(long double value) {
  Scalar() = TElement<Element>::FromFloat(value);
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetAsInt(int32_t value) {
  Scalar() = TElement<Element>::FromInt(value);
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetAsStr(std::string_view value) {
  Scalar() = TElement<Element>::FromStr(value);
}

template <class Element, TParamType Kind>
int32_t TParamElements<Element, Kind>::GetInt(int32_t index) const {
  return TElement<Element>::ToInt(At(index));
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetInt(int32_t index, int32_t value) {
  At(index) = TElement<Element>::FromInt(value);
}
template <class Element, TParamType Kind>
long double TParamElements<Element, Kind>::GetFloat(int32_t index) const {
  return TElement<Element>::ToFloat(At(index));
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetFloat(int32_t index, long double value) {
  At(index) = TElement<Element>::FromFloat(value);
}
template <class Element, TParamType Kind>
bool TParamElements<Element, Kind>::GetBool(int32_t index) const {
  return TElement<Element>::ToBool(At(index));
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetBool(int32_t index, bool value) {
  At(index) = TElement<Element>::FromBool(value);
}
template <class Element, TParamType Kind>
std::string TParamElements<Element, Kind>::GetStr(int32_t index) const {
  return TElement<Element>::ToStr(At(index));
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SetStr(int32_t index, std::string_view value) {
  At(index) = TElement<Element>::FromStr(value);
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::Assign(const TCustomParam& source) {
  dims_ = source.Dims();
  if (auto* same = dynamic_cast<const TParamElements*>(&source)) elements_ = same->elements_;
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::FillInt(int32_t value) {
  if constexpr (Kind == PT_INT) std::fill(elements_.begin(), elements_.end(), value);
  (void)value;
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::FillFloat(long double value) {
  if constexpr (Kind == PT_FLOAT) std::fill(elements_.begin(), elements_.end(), value);
  (void)value;
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::FillBool(bool value) {
  if constexpr (Kind == PT_BOOL) std::fill(elements_.begin(), elements_.end(), static_cast<uint8_t>(value));
  (void)value;
}
template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::FillStr(std::string_view value) {
  if constexpr (Kind == PT_STR) std::fill(elements_.begin(), elements_.end(), std::string(value));
  (void)value;
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::CopyMem(const TCustomParam& source) {
  auto* same = dynamic_cast<const TParamElements*>(&source);
  if (!same) RaiseVars(TVarsMessage::CopyMemMismatch);
  if (same == this) return;
  SetCount(source.Count());
  std::vector<int32_t> dims(static_cast<size_t>(source.DimCount()));
  for (size_t d = 0; d < dims.size(); ++d) dims[d] = source.DimSize(static_cast<int32_t>(d));
  dims_ = std::move(dims);
  elements_ = same->elements_;
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SaveToStream(TBinaryWriter& writer) const {
  WriteDims(writer);
  writer.WriteInt32(static_cast<int32_t>(elements_.size()));
  for (const Element& element : elements_) TElement<Element>::Write(writer, element);
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::LoadFromStream(TBinaryReader& reader) {
  ReadDims(reader);
  int32_t count = reader.ReadInt32();
  if (count < 0 || count > kMaxParamElements) RaiseVars(TVarsMessage::InvalidVariableData);
  size_t checked = reader.RequireCount(count, TElement<Element>::kRecordBytes);
  std::vector<Element> elements(checked);
  for (Element& element : elements) element = TElement<Element>::Read(reader);
  elements_ = std::move(elements);
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::ClearDims() {
  if (dims_.empty()) return;
  dims_.clear();
  elements_.resize(1);
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::SyncVectorDims() {
  if (dims_.size() == 1) dims_[0] = static_cast<int32_t>(elements_.size());
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::Unique() {
  std::unordered_set<Element, TElementHash<Element>, TElementEqual<Element>> seen;
  std::vector<Element> kept;
  for (Element& element : elements_) {
    if (seen.insert(element).second) kept.push_back(std::move(element));
  }
  elements_ = std::move(kept);
  SyncVectorDims();
}

template <class Element, TParamType Kind>
void TParamElements<Element, Kind>::RemoveValue(const TCustomParam* value) {
  Element removed = ScalarAs<Element>(value);
  std::erase_if(elements_, [&](const Element& e) { return TElement<Element>::Equal(e, removed); });
  SyncVectorDims();
}

template <class Element, TParamType Kind>
int32_t TParamElements<Element, Kind>::IndexOf(std::string_view text, bool match_case, bool partial) const {
  for (size_t i = 0; i < elements_.size(); ++i) {
    bool matched;
    if constexpr (Kind == PT_STR) {
      matched = TextMatches(elements_[i], text, match_case, partial);
    } else {
      matched = TextMatches(TElement<Element>::ToStr(elements_[i]), text, match_case, partial);
    }
    if (matched) return static_cast<int32_t>(i);
  }
  return -1;
}

template <class Element, TParamType Kind>
std::unique_ptr<TCustomParam> TParamElements<Element, Kind>::Clone() const {
  return std::make_unique<TParamElements>(*this);
}

template class TParamElements<int32_t, PT_INT>;
template class TParamElements<long double, PT_FLOAT>;
template class TParamElements<uint8_t, PT_BOOL>;
template class TParamElements<std::string, PT_STR>;

}  // namespace orvo
