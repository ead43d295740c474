#pragma once
// The system-function dispatcher and the view of one call that every
// function implementation works with. The variables subsystem installs the
// functions that need only the store; the subsystems above register theirs
// (stage objects, files, tables, dialogs) over the neutral defaults.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "vars/functions/function_table.h"
#include "vars/param.h"

namespace orvo {

class TExprEngine;
class TParamCollection;
class TParamCollectionItem;
class TParamVar;
class ISystemHost;

class TFunctionCall {
 public:
  TFunctionCall(TExprEngine& engine, TParamCollectionItem& destination, std::span<TCustomParam* const> arguments)
      : engine_(engine), destination_(destination), arguments_(arguments) {}

  TExprEngine& Engine() const { return engine_; }
  TParamCollection& Store() const;
  ISystemHost& Host() const;

  int ArgCount() const { return static_cast<int>(arguments_.size()); }
  bool Has(int index) const { return index >= 0 && index < ArgCount(); }
  // Argument index; a missing one reads as an unbound reference (zero values).
  TCustomParam& Arg(int index) const;
  int32_t Int(int index) const { return Arg(index).GetAsInt(); }
  long double Float(int index) const { return Arg(index).GetAsFloat(); }
  bool Bool(int index) const { return Arg(index).GetAsBool(); }
  std::string Str(int index) const { return Arg(index).GetAsStr(); }
  // The same with a default for an absent optional argument.
  int32_t Int(int index, int32_t fallback) const { return Has(index) ? Int(index) : fallback; }
  bool Bool(int index, bool fallback) const { return Has(index) ? Bool(index) : fallback; }
  std::string Str(int index, std::string_view fallback) const {
    return Has(index) ? Str(index) : std::string(fallback);
  }

  // An argument written as a variable: its bound reference. Constants (and
  // results of other expressions) give null, so a function never writes into
  // the constants of a compiled page.
  TParamVar* Variable(int index) const;
  // The same, raising "<function>:変数が見つかりません" when it is not a variable.
  TParamVar& RequireVariable(int index, std::string_view function) const;

  // The destination that receives the value (created with the function's result kind).
  TCustomParam& Result() const;

 private:
  TExprEngine& engine_;
  TParamCollectionItem& destination_;
  std::span<TCustomParam* const> arguments_;
};

using TSysFunction = std::function<void(TFunctionCall& call)>;

class TSysFuncMan {
 public:
  // Installs the built-in groups; every other function does nothing.
  TSysFuncMan();
  // Replaces the implementation of function number (0..168).
  void Register(int number, TSysFunction function);
  // Calls function number with the arguments; numbers outside 0..168 do nothing.
  void CallFunction(TExprEngine& engine, TParamCollectionItem& destination, int number,
                    std::span<TCustomParam* const> arguments) const;

 private:
  std::array<TSysFunction, kFunctionCount> functions_;
};

// The groups of functions that need nothing but the store and the compiler.
void RegisterStringFunctions(TSysFuncMan& functions);
void RegisterMathFunctions(TSysFuncMan& functions);
void RegisterDateFunctions(TSysFuncMan& functions);
void RegisterVariableFunctions(TSysFuncMan& functions);
void RegisterArrayFunctions(TSysFuncMan& functions);
void RegisterPathFunctions(TSysFuncMan& functions);
void RegisterDisplayFunctions(TSysFuncMan& functions);

}  // namespace orvo
