#include "app/game_host.h"

#include "base/cp932.h"

namespace orvo {

TLocalTime TShellSystemHost::LocalNow() const { return SystemLocalTime(); }

void TShellScriptHost::Warn(const std::string& text) {
  dialogs_.MessageBox("警告", Cp932ToUtf8(text), TBoxButtons::Ok, TBoxIcon::Warning);
}

void TShellScriptHost::ReportError(const std::string& text) {
  dialogs_.MessageBox("エラー", Cp932ToUtf8(text), TBoxButtons::Ok, TBoxIcon::Error);
}

}  // namespace orvo
