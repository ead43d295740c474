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

  ORVO_PARAM_VALUE_OVERRIDES

  int32_t DimCount() const override;
  int32_t DimSize(int32_t dimension) const override;
  void SetDims(std::span<const int32_t> sizes) override;
  ORVO_PARAM_BULK_OVERRIDES

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
