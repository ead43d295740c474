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

  ORVO_PARAM_VALUE_OVERRIDES

  void Assign(const TCustomParam& source) override;
  ORVO_PARAM_BULK_OVERRIDES

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
