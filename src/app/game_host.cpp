#include "app/game_host.h"

#include <ctime>

#include "base/cp932.h"

namespace orvo {

TLocalTime TShellSystemHost::LocalNow() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!::localtime_r(&now, &local)) return {};
  return TLocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

void TShellScriptHost::Warn(const std::string& text) {
  dialogs_.MessageBox("警告", Cp932ToUtf8(text), TBoxButtons::Ok, TBoxIcon::Warning);
}

}  // namespace orvo
