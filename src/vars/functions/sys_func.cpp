#include "vars/functions/sys_func.h"

#include "vars/engine.h"
#include "vars/messages.h"
#include "vars/param_var.h"

namespace orvo {

TParamCollection& TFunctionCall::Store() const { return engine_.Store(); }

ISystemHost& TFunctionCall::Host() const { return engine_.Host(); }

TCustomParam& TFunctionCall::Arg(int index) const {
  static TParamVar missing;  // never bound: reads the zero values
  return Has(index) ? *arguments_[static_cast<size_t>(index)] : missing;
}

TParamVar* TFunctionCall::Variable(int index) const {
  if (!Has(index)) return nullptr;
  TCustomParam* argument = arguments_[static_cast<size_t>(index)];
  if (!argument->IsReference()) return nullptr;
  auto* reference = static_cast<TParamVar*>(argument);
  return reference->IsBound() ? reference : nullptr;
}

TParamVar& TFunctionCall::RequireVariable(int index, std::string_view function) const {
  TParamVar* variable = Variable(index);
  if (!variable) RaiseVars(TVarsMessage::VariableNotFound, function);
  return *variable;
}

TCustomParam& TFunctionCall::Result() const { return destination_.Value(); }

TSysFuncMan::TSysFuncMan() {
  RegisterStringFunctions(*this);
  RegisterMathFunctions(*this);
  RegisterDateFunctions(*this);
  RegisterVariableFunctions(*this);
  RegisterArrayFunctions(*this);
  RegisterPathFunctions(*this);
  RegisterDisplayFunctions(*this);
}

void TSysFuncMan::Register(int number, TSysFunction function) {
  if (number >= 0 && number < kFunctionCount) functions_[static_cast<size_t>(number)] = std::move(function);
}

void TSysFuncMan::CallFunction(TExprEngine& engine, TParamCollectionItem& destination, int number,
                               std::span<TCustomParam* const> arguments) const {
  if (number < 0 || number >= kFunctionCount) return;
  const TSysFunction& function = functions_[static_cast<size_t>(number)];
  if (!function) return;  // not built yet: the destination keeps its neutral value
  TFunctionCall call(engine, destination, arguments);
  function(call);
}

}  // namespace orvo
