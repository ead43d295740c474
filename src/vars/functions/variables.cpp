// Functions on the variable store itself: existence, @Temp, kinds, Calc,
// snapshots and the call stack.
#include "vars/engine.h"
#include "vars/functions/sys_func.h"
#include "vars/parser.h"

namespace orvo {

namespace {

void AssignTemp(TFunctionCall& call) {
  std::string name = call.Str(0);
  TParamCollectionItem* item = name.empty() ? nullptr : call.Store().Find(name);
  // A system variable would make @Temp stand for itself or for another
  // forwarding value: refused.
  if (!item || item->IsSystem()) {
    call.Result().SetAsBool(false);
    return;
  }
  call.Store().SetTempName(name);
  call.Result().SetAsBool(true);
}

void DeleteStack(TFunctionCall& call) {
  int32_t frame = call.Int(0);
  ISystemHost& host = call.Host();
  if (frame < 0 || frame >= host.CallStackCount()) {
    call.Result().SetAsBool(false);
    return;
  }
  call.Store().DeleteOwnedBy(frame);
  host.RemoveCallFrame(frame);
  call.Store().LowerOwnersAbove(frame);
  call.Result().SetAsBool(true);
}

}  // namespace

void RegisterVariableFunctions(TSysFuncMan& functions) {
  functions.Register(50,
                     [](TFunctionCall& call) { call.Result().SetAsBool(call.Store().Find(call.Str(0)) != nullptr); });
  functions.Register(84, AssignTemp);
  functions.Register(130, [](TFunctionCall& call) { call.Result().SetAsInt(call.Arg(0).ParamType()); });
  functions.Register(136,
                     [](TFunctionCall& call) { call.Result().SetAsBool(RunStatement(call.Engine(), call.Str(0))); });
  functions.Register(155, [](TFunctionCall& call) {
    std::vector<std::string> names;
    for (int i = 0; i < call.ArgCount(); ++i) names.push_back(call.Str(i));
    call.Store().PushVars(names);
    call.Result().SetAsBool(true);
  });
  functions.Register(156, [](TFunctionCall& call) {
    call.Store().PopVars();
    call.Result().SetAsBool(true);
  });
  functions.Register(157, DeleteStack);
}

}  // namespace orvo
