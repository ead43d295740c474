// GetDisplayMode: the screen manager's modes as the host reports them.
#include "vars/functions/sys_func.h"
#include "vars/host.h"
#include "vars/param_var.h"

namespace orvo {

void RegisterDisplayFunctions(TSysFuncMan& functions) {
  functions.Register(65, [](TFunctionCall& call) {
    int32_t values[4] = {0, 0, 0, 0};
    const bool found = call.Host().DisplayMode(call.Int(0), values[0], values[1], values[2], values[3]);
    call.Result().SetAsBool(found);
    if (!found) return;
    for (int i = 0; i < 4; ++i) {
      if (TParamVar* variable = call.Variable(i + 1)) variable->SetAsInt(values[i]);
    }
  });
}

}  // namespace orvo
