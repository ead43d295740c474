#pragma once
// The four element classes: integers, reals, flags and strings.
#include <cstdint>
#include <string>
#include <vector>

#include "vars/param.h"

namespace orvo {

template <class Element, TParamType Kind>
class TParamElements : public TCustomParam {
 public:
  TParamElements() : elements_(1) {}

  int32_t Count() const override { return static_cast<int32_t>(elements_.size()); }
  void SetCount(int32_t count) override;
  TParamType ParamType() const override { return Kind; }

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

  void Assign(const TCustomParam& source) override;
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

  TParamType ClassKind() const override { return Kind; }
  std::unique_ptr<TCustomParam> Clone() const override;

  // Direct access for the functions that move elements in bulk.
  std::vector<Element>& Elements() { return elements_; }
  const std::vector<Element>& Elements() const { return elements_; }

 private:
  const Element& At(int32_t index) const;
  Element& At(int32_t index);
  // Element 0 for the scalar setters: drops dimensions, keeps at least one element.
  Element& Scalar();
  // Keeps the one dimension of a vector in step with its element count.
  void SyncVectorDims();

  std::vector<Element> elements_;
};

using TParamInt = TParamElements<int32_t, PT_INT>;
using TParamFloat = TParamElements<long double, PT_FLOAT>;
using TParamFlag = TParamElements<uint8_t, PT_BOOL>;
using TParamStr = TParamElements<std::string, PT_STR>;

extern template class TParamElements<int32_t, PT_INT>;
extern template class TParamElements<long double, PT_FLOAT>;
extern template class TParamElements<uint8_t, PT_BOOL>;
extern template class TParamElements<std::string, PT_STR>;

}  // namespace orvo
