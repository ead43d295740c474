#include "app/game_host.h"

#include "base/cp932.h"
#include "platform/screen_manager.h"

namespace orvo {

TLocalTime TShellSystemHost::LocalNow() const { return SystemLocalTime(); }

std::vector<std::string> TShellSystemHost::ListFonts(bool fixed_only) const {
  std::vector<std::string> faces;
  if (glyphs_) glyphs_->ListFonts(faces, fixed_only ? TFontListing::FixedOnly : TFontListing::All);
  return faces;
}

bool TShellSystemHost::FullScreen() const {
  const TScreenManager* screens = Screens();
  return screens && screens->FullScreen();
}

void TShellSystemHost::SetFullScreen(bool value) {
  if (screen_control_) screen_control_->ScriptSetFullScreen(value);
}

int32_t TShellSystemHost::DisplayModeCount() const {
  const TScreenManager* screens = Screens();
  return screens ? screens->ModeCount() : 0;
}

int32_t TShellSystemHost::DisplayModeIndex() const {
  const TScreenManager* screens = Screens();
  return screens ? screens->SelectedMode() : 0;
}

void TShellSystemHost::SetDisplayModeIndex(int32_t index) {
  TScreenManager* screens = Screens();
  if (!screens || index < 0 || index >= screens->ModeCount()) return;
  screens->SetSelectedMode(index);
  screen_control_->ApplyScreenMode();
}

bool TShellSystemHost::DisplayMode(int32_t index, int32_t& width, int32_t& height, int32_t& bits,
                                   int32_t& refresh) const {
  const TScreenManager* screens = Screens();
  TDisplayMode mode;
  if (!screens || !screens->GetMode(index, mode)) return false;
  width = mode.width;
  height = mode.height;
  bits = mode.bits;
  refresh = mode.refresh;
  return true;
}

int32_t TShellSystemHost::HistoryCount() const {
  return history_ ? history_->DefaultFormat().history.HistoryTotal() : 0;
}

int32_t TShellSystemHost::HistoryMaxCount() const { return history_ ? history_->DefaultFormat().history.Limit() : 0; }

void TShellSystemHost::SetHistoryMaxCount(int32_t count) {
  if (history_) history_->DefaultFormat().history.SetLimit(count);
}

void TShellSystemHost::ApplyOldHistoryFormat(const std::array<int32_t, 6>& values) {
  if (!history_) return;
  // Saves of those versions kept the default format's first six settings with the variables.
  THistorySettings& settings = history_->DefaultFormat().settings;
  for (size_t i = 0; i < values.size(); ++i) settings.values[i] = values[i];
}

void TShellScriptHost::Warn(const std::string& text) {
  dialogs_.MessageBox("警告", Cp932ToUtf8(text), TBoxButtons::Ok, TBoxIcon::Warning);
}

void TShellScriptHost::ReportError(const std::string& text) {
  dialogs_.MessageBox("エラー", Cp932ToUtf8(text), TBoxButtons::Ok, TBoxIcon::Error);
}

}  // namespace orvo
