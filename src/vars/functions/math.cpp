// Arithmetic functions.
#include <cmath>

#include "base/numeric.h"
#include "base/random.h"
#include "vars/convert.h"
#include "vars/engine.h"
#include "vars/functions/sys_func.h"

namespace orvo {

namespace {

using TRealFunction = long double (*)(long double);

void RegisterReal(TSysFuncMan& functions, int number, TRealFunction function) {
  functions.Register(number, [function](TFunctionCall& call) { call.Result().SetAsFloat(function(call.Float(0))); });
}

}  // namespace

void RegisterMathFunctions(TSysFuncMan& functions) {
  functions.Register(20, [](TFunctionCall& call) { call.Result().SetAsBool(!call.Bool(0)); });
  functions.Register(26, [](TFunctionCall& call) {
    call.Result().SetAsInt(static_cast<int32_t>(call.Engine().Random().NextInt(call.Int(0))));
  });
  functions.Register(37, [](TFunctionCall& call) { call.Result().SetAsInt(RealToScriptInt(call.Float(0))); });
  functions.Register(38, [](TFunctionCall& call) { call.Result().SetAsFloat(call.Float(0)); });
  RegisterReal(functions, 39, [](long double x) { return std::sin(x); });
  RegisterReal(functions, 40, [](long double x) { return std::cos(x); });
  RegisterReal(functions, 41, [](long double x) { return std::tan(x); });
  RegisterReal(functions, 42, [](long double x) { return std::asin(x); });
  RegisterReal(functions, 43, [](long double x) { return std::acos(x); });
  RegisterReal(functions, 44, [](long double x) { return std::atan(x); });
  functions.Register(45,
                     [](TFunctionCall& call) { call.Result().SetAsFloat(std::atan2(call.Float(0), call.Float(1))); });
  functions.Register(46,
                     [](TFunctionCall& call) { call.Result().SetAsFloat(std::hypot(call.Float(0), call.Float(1))); });
  functions.Register(48, [](TFunctionCall& call) {
    int32_t n = call.Int(0);
    call.Result().SetAsInt(n < 0 ? WrapNeg(n) : n);
  });
  RegisterReal(functions, 49, [](long double x) { return std::fabs(x); });
  functions.Register(126, [](TFunctionCall& call) {
    int32_t a = call.Int(0), b = call.Int(1);
    call.Result().SetAsInt(a < b ? a : b);
  });
  functions.Register(127, [](TFunctionCall& call) {
    int32_t a = call.Int(0), b = call.Int(1);
    call.Result().SetAsInt(a > b ? a : b);
  });
  functions.Register(128, [](TFunctionCall& call) {
    long double x = call.Float(0), y = call.Float(1);
    call.Result().SetAsFloat(x < y ? x : y);
  });
  functions.Register(129, [](TFunctionCall& call) {
    long double x = call.Float(0), y = call.Float(1);
    call.Result().SetAsFloat(x > y ? x : y);
  });
}

}  // namespace orvo
