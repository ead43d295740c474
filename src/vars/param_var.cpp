#include "vars/param_var.h"

namespace orvo {

void TParamVar::Bind(TParamCollectionItem* item, int32_t offset) {
  if (item && item->Value().IsReference()) {
    auto& reference = static_cast<TParamVar&>(item->Value());
    offset = reference.offset_;
    item = reference.target_.Get();
  }
  target_.Set(item);
  offset_ = offset;
}

TCustomParam* TParamVar::Target() const {
  TParamCollectionItem* item = target_.Get();
  if (!item) return nullptr;
  TCustomParam& value = item->Value();
  // A target whose value was replaced by a reference meanwhile is not followed.
  return value.IsReference() ? nullptr : &value;
}

int32_t TParamVar::Count() const {
  TCustomParam* t = Target();
  return t ? t->Count() : 1;
}
void TParamVar::SetCount(int32_t count) {
  if (TCustomParam* t = Target()) t->SetCount(count);
}
TParamType TParamVar::ParamType() const {
  TCustomParam* t = Target();
  return t ? t->ParamType() : PT_NONE;
}

bool TParamVar::GetAsBool() const {
  TCustomParam* t = Target();
  return t ? t->GetBool(offset_) : false;
}
long double TParamVar::GetAsFloat() const {
  TCustomParam* t = Target();
  return t ? t->GetFloat(offset_) : 0;
}
int32_t TParamVar::GetAsInt() const {
  TCustomParam* t = Target();
  return t ? t->GetInt(offset_) : 0;
}
std::string TParamVar::GetAsStr() const {
  TCustomParam* t = Target();
  return t ? t->GetStr(offset_) : std::string();
}
void TParamVar::SetAsBool(bool value) {
  if (TCustomParam* t = Target()) t->SetBool(offset_, value);
}
void TParamVar::SetAsFloat(long double value) {
  if (TCustomParam* t = Target()) t->SetFloat(offset_, value);
}
void TParamVar::SetAsInt(int32_t value) {
  if (TCustomParam* t = Target()) t->SetInt(offset_, value);
}
void TParamVar::SetAsStr(std::string_view value) {
  if (TCustomParam* t = Target()) t->SetStr(offset_, value);
}

int32_t TParamVar::GetInt(int32_t index) const {
  TCustomParam* t = Target();
  return t ? t->GetInt(index) : 0;
}
void TParamVar::SetInt(int32_t index, int32_t value) {
  if (TCustomParam* t = Target()) t->SetInt(index, value);
}
long double TParamVar::GetFloat(int32_t index) const {
  TCustomParam* t = Target();
  return t ? t->GetFloat(index) : 0;
}
void TParamVar::SetFloat(int32_t index, long double value) {
  if (TCustomParam* t = Target()) t->SetFloat(index, value);
}
bool TParamVar::GetBool(int32_t index) const {
  TCustomParam* t = Target();
  return t ? t->GetBool(index) : false;
}
void TParamVar::SetBool(int32_t index, bool value) {
  if (TCustomParam* t = Target()) t->SetBool(index, value);
}
std::string TParamVar::GetStr(int32_t index) const {
  TCustomParam* t = Target();
  return t ? t->GetStr(index) : std::string();
}
void TParamVar::SetStr(int32_t index, std::string_view value) {
  if (TCustomParam* t = Target()) t->SetStr(index, value);
}

int32_t TParamVar::DimCount() const {
  TCustomParam* t = Target();
  return t ? t->DimCount() : TCustomParam::DimCount();
}
int32_t TParamVar::DimSize(int32_t dimension) const {
  TCustomParam* t = Target();
  return t ? t->DimSize(dimension) : TCustomParam::DimSize(dimension);
}
void TParamVar::SetDims(std::span<const int32_t> sizes) {
  if (TCustomParam* t = Target()) t->SetDims(sizes);
}
void TParamVar::FillInt(int32_t value) {
  if (TCustomParam* t = Target()) t->FillInt(value);
}
void TParamVar::FillFloat(long double value) {
  if (TCustomParam* t = Target()) t->FillFloat(value);
}
void TParamVar::FillBool(bool value) {
  if (TCustomParam* t = Target()) t->FillBool(value);
}
void TParamVar::FillStr(std::string_view value) {
  if (TCustomParam* t = Target()) t->FillStr(value);
}
void TParamVar::CopyMem(const TCustomParam& source) {
  if (TCustomParam* t = Target()) t->CopyMem(source);
}
void TParamVar::ClearDims() {
  if (TCustomParam* t = Target()) t->ClearDims();
}
void TParamVar::Unique() {
  if (TCustomParam* t = Target()) t->Unique();
}
void TParamVar::RemoveValue(const TCustomParam* value) {
  if (TCustomParam* t = Target()) t->RemoveValue(value);
}
int32_t TParamVar::IndexOf(std::string_view text, bool match_case, bool partial) const {
  TCustomParam* t = Target();
  return t ? t->IndexOf(text, match_case, partial) : -1;
}

void TParamVar::SaveToStream(TBinaryWriter& writer) const {
  WriteDims(writer);
  writer.WriteString(name_);
  TParamCollectionItem* item = target_.Get();
  writer.WriteString(item ? std::string_view(item->Name()) : std::string_view());
  writer.WriteByte(flag_);
  writer.WriteInt32(offset_);
}

void TParamVar::LoadFromStream(TBinaryReader& reader) {
  ReadDims(reader);
  name_ = reader.ReadString();
  loaded_target_ = reader.ReadString();
  flag_ = reader.ReadByte();
  offset_ = reader.ReadInt32();
  target_.Reset();
}

}  // namespace orvo
