#pragma once
// A reference to one element of another variable (kind 0). Bound, it
// forwards every operation to that variable; unbound, it reads the zero
// values and ignores writes. Expressions use it for variable operands and for
// array elements.
#include <string>

#include "vars/item.h"
#include "vars/param.h"

namespace orvo {

class TParamVar final : public TCustomParam {
 public:
  explicit TParamVar(std::string name = {}) : TCustomParam(true), name_(std::move(name)) {}

  // The name of the variable it refers to.
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  // Binds to item's element offset (item may be null). An item that is itself
  // a reference hands over its own target and offset, so references never chain.
  void Bind(TParamCollectionItem* item, int32_t offset);
  void Unbind() { target_.Reset(), offset_ = 0; }
  TParamCollectionItem* TargetItem() const { return target_.Get(); }
  // The bound variable's value object, or null.
  TCustomParam* Target() const;
  bool IsBound() const { return Target() != nullptr; }
  int32_t Offset() const { return offset_; }
  // Target name read from a record, to be bound by the store.
  const std::string& LoadedTargetName() const { return loaded_target_; }

  int32_t Count() const override;
  void SetCount(int32_t count) override;
  TParamType ParamType() const override;

  bool GetAsBool() const override;
  long double GetAsFloat() const override;
  int32_t GetAsInt() const override;
  std::string GetAsStr() const override;
  void SetAsBool(bool value) override;
  void SetAsFloat(long double value) override;
  void SetAsInt(int32_t value) override;
  void SetAsStr(std::string_view value) override;

  int32_t GetInt(int32_t index) const override;
  void SetInt(int32_t index, int32_t value) override;
  long double GetFloat(int32_t index) const override;
  void SetFloat(int32_t index, long double value) override;
  bool GetBool(int32_t index) const override;
  void SetBool(int32_t index, bool value) override;
  std::string GetStr(int32_t index) const override;
  void SetStr(int32_t index, std::string_view value) override;

  int32_t DimCount() const override;
  int32_t DimSize(int32_t dimension) const override;
  void SetDims(std::span<const int32_t> sizes) override;
  void FillInt(int32_t value) override;
  void FillFloat(long double value) override;
  void FillBool(bool value) override;
  void FillStr(std::string_view value) override;
  void CopyMem(const TCustomParam& source) override;
  void SaveToStream(TBinaryWriter& writer) const override;
  void LoadFromStream(TBinaryReader& reader) override;
  void ClearDims() override;
  void Unique() override;
  void RemoveValue(const TCustomParam* value) override;
  int32_t IndexOf(std::string_view text, bool match_case, bool partial) const override;

  TParamType ClassKind() const override { return PT_NONE; }
  std::unique_ptr<TCustomParam> Clone() const override { return std::make_unique<TParamVar>(name_); }

 private:
  std::string name_;
  TItemLink target_;
  uint8_t flag_ = 0;
  int32_t offset_ = 0;
  std::string loaded_target_;
};

}  // namespace orvo
