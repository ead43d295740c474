#include "app/game_host.h"

#include "base/cp932.h"

namespace orvo {

TLocalTime TShellSystemHost::LocalNow() const { return SystemLocalTime(); }

std::vector<std::string> TShellSystemHost::ListFonts(bool fixed_only) const {
  std::vector<std::string> faces;
  if (glyphs_) glyphs_->ListFonts(faces, fixed_only ? TFontListing::FixedOnly : TFontListing::All);
  return faces;
}

void TShellScriptHost::Warn(const std::string& text) {
  dialogs_.MessageBox("警告", Cp932ToUtf8(text), TBoxButtons::Ok, TBoxIcon::Warning);
}

void TShellScriptHost::ReportError(const std::string& text) {
  dialogs_.MessageBox("エラー", Cp932ToUtf8(text), TBoxButtons::Ok, TBoxIcon::Error);
}

}  // namespace orvo
