#pragma once
// orvokit text layout|reveal|render, the check of the text layout.
#include <string>
#include <vector>

namespace orvo::kit {

// args[0] is the action; answers the exit status.
int RunTextLayout(const std::vector<std::string>& args);
bool IsTextLayoutAction(const std::string& action);

}  // namespace orvo::kit
