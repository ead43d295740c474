// Date and time functions on date values (days since 30 December 1899).
#include <array>

#include "base/cp932.h"
#include "base/error.h"
#include "vars/date_time.h"
#include "vars/functions/sys_func.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

[[noreturn]] void InvalidDate(std::string_view what) { throw EOrvoError("Invalid argument to " + std::string(what)); }

TDateParts DateOf(TFunctionCall& call) {
  TDateParts parts;
  if (!TryDecodeDate(call.Float(0), parts)) InvalidDate("date decode");
  return parts;
}

TTimeParts TimeOf(TFunctionCall& call) {
  TTimeParts parts;
  if (!TryDecodeTime(call.Float(0), parts)) InvalidDate("time decode");
  return parts;
}

int32_t WeekOf(TFunctionCall& call) {
  int32_t week = 1;
  if (!TryDayOfWeek(call.Float(0), week)) InvalidDate("date decode");
  return week;
}

// Writes value into the variable argument index (constants are left alone).
void Store(TFunctionCall& call, int index, int32_t value) {
  if (TParamVar* variable = call.Variable(index)) variable->SetAsInt(value);
}

}  // namespace

void RegisterDateFunctions(TSysFuncMan& functions) {
  functions.Register(51, [](TFunctionCall& call) {
    long double date = 0;
    if (!TryEncodeDate(call.Int(0), call.Int(1), call.Int(2), date)) InvalidDate("date encode");
    call.Result().SetAsFloat(date);
  });
  functions.Register(52, [](TFunctionCall& call) {
    long double time = 0;
    if (!TryEncodeTime(call.Int(0), call.Int(1), call.Int(2), time)) InvalidDate("time encode");
    call.Result().SetAsFloat(time);
  });
  functions.Register(53, [](TFunctionCall& call) {
    TDateParts parts = DateOf(call);
    Store(call, 1, parts.year);
    Store(call, 2, parts.month);
    Store(call, 3, parts.day);
  });
  functions.Register(54, [](TFunctionCall& call) {
    TTimeParts parts = TimeOf(call);
    Store(call, 1, parts.hour);
    Store(call, 2, parts.minute);
    Store(call, 3, parts.second);
  });
  functions.Register(55, [](TFunctionCall& call) { call.Result().SetAsInt(DateOf(call).year); });
  functions.Register(56, [](TFunctionCall& call) { call.Result().SetAsInt(DateOf(call).month); });
  functions.Register(57, [](TFunctionCall& call) { call.Result().SetAsInt(DateOf(call).day); });
  functions.Register(58, [](TFunctionCall& call) { call.Result().SetAsInt(TimeOf(call).hour); });
  functions.Register(59, [](TFunctionCall& call) { call.Result().SetAsInt(TimeOf(call).minute); });
  functions.Register(60, [](TFunctionCall& call) { call.Result().SetAsInt(TimeOf(call).second); });
  functions.Register(61, [](TFunctionCall& call) { call.Result().SetAsInt(WeekOf(call)); });
  functions.Register(62, [](TFunctionCall& call) {
    static constexpr std::array<const char*, 7> kNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                          "Thursday", "Friday", "Saturday"};
    call.Result().SetAsStr(kNames[static_cast<size_t>(WeekOf(call) - 1)]);
  });
  functions.Register(63, [](TFunctionCall& call) {
    static const std::array<std::string, 7> kNames = {Utf8ToCp932("日"), Utf8ToCp932("月"), Utf8ToCp932("火"),
                                                      Utf8ToCp932("水"), Utf8ToCp932("木"), Utf8ToCp932("金"),
                                                      Utf8ToCp932("土")};
    call.Result().SetAsStr(kNames[static_cast<size_t>(WeekOf(call) - 1)]);
  });
}

}  // namespace orvo
