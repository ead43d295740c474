#include "platform/screen_manager.h"

namespace orvo {

TScreenManager::TScreenManager(IDisplay& display, int32_t game_width, int32_t game_height, int32_t preferred_width,
                               int32_t preferred_height)
    : display_(display),
      game_width_(game_width),
      game_height_(game_height),
      preferred_width_(preferred_width),
      preferred_height_(preferred_height) {
  const TDisplayModes reported = display.DisplayModes();
  if (reported.desktop.bits > 0) desktop_bits_ = reported.desktop.bits;
  for (const TDisplayMode& mode : reported.modes) {
    if (mode.width >= game_width_ && mode.height >= game_height_ && mode.bits > 15) AddModeAndPrefer(mode);
  }
  SelectMode(-1);
}

int32_t TScreenManager::AddMode(const TDisplayMode& mode) {
  modes_.push_back(mode);
  return ModeCount() - 1;
}

int32_t TScreenManager::AddModeAndPrefer(const TDisplayMode& mode) {
  const int32_t index = AddMode(mode);
  if (selected_ < 0) {
    selected_ = index;
    return index;
  }
  const TDisplayMode& chosen = modes_[static_cast<size_t>(selected_)];
  const bool preferred_size = mode.width == preferred_width_ && mode.height == preferred_height_;
  const bool chosen_other_size = chosen.width != preferred_width_ || chosen.height != preferred_height_;
  const bool desktop_bits = mode.bits == desktop_bits_;
  const bool chosen_desktop_bits = chosen.bits == desktop_bits_;
  if (preferred_size && (chosen_other_size || (desktop_bits && !chosen_desktop_bits) ||
                         (desktop_bits && chosen_desktop_bits && mode.refresh < chosen.refresh))) {
    selected_ = index;
  }
  return index;
}

bool TScreenManager::GetMode(int32_t index, TDisplayMode& mode) const {
  if (index < 0 || index >= ModeCount()) return false;
  mode = modes_[static_cast<size_t>(index)];
  return true;
}

int32_t TScreenManager::FindMode(int32_t width, int32_t height, int32_t bits) const {
  for (int32_t i = 0; i < ModeCount(); ++i) {
    const TDisplayMode& mode = modes_[static_cast<size_t>(i)];
    if (mode.width == width && mode.height == height && mode.bits == bits) return i;
  }
  return -1;
}

void TScreenManager::SetSelectedMode(int32_t index) {
  if (index >= 0 && index < ModeCount()) selected_ = index;
}

void TScreenManager::SelectMode(int32_t index) {
  if (index == current_) return;
  if (index >= 0 && index < ModeCount()) {
    display_.SetFullScreen(true);
    // A switch the display refuses leaves the window as it was.
    current_ = display_.IsFullScreen() ? index : -1;
    return;
  }
  display_.SetFullScreen(false);
  current_ = -1;
}

void TScreenManager::EnterDesktopFullScreen() {
  display_.SetFullScreen(true);
  current_ = -1;
}

}  // namespace orvo
