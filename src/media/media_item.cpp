#include "media/media_item.h"

#include <algorithm>

namespace orvo {

void TDMediaItem::Play() {
  if (!owner_.Enabled()) {
    suspend_mark_ = true;
    return;
  }
  StartPlaying();
}

TMediaManager::TMediaManager(TItemMaker maker, bool has_enabled_flag)
    : maker_(std::move(maker)), has_enabled_flag_(has_enabled_flag) {}

TDMediaItem* TMediaManager::CreateItem(const std::string& source) {
  std::unique_ptr<TDMediaItem> item = maker_ ? maker_(*this, source) : nullptr;
  if (!item) return nullptr;
  items_.push_back(std::move(item));
  return items_.back().get();
}

void TMediaManager::FreeItem(TDMediaItem* item) {
  auto it = std::find_if(items_.begin(), items_.end(),
                         [item](const std::unique_ptr<TDMediaItem>& held) { return held.get() == item; });
  if (it != items_.end()) items_.erase(it);
}

void TMediaManager::Suspend() {
  if (!enabled_ || suspended_) return;
  suspended_ = true;
  for (const auto& item : items_) {
    // An item that ended is not playing; asking IsEnd here would use up its one end report.
    if (item->IsPlaying() && !item->IsPaused()) {
      item->Pause();
      item->SetSuspendMark(true);
    } else {
      item->SetSuspendMark(false);
    }
  }
}

void TMediaManager::Resume() {
  if (!enabled_ || !suspended_) return;
  suspended_ = false;
  for (const auto& item : items_) {
    if (!item->SuspendMark()) continue;
    item->Play();
    item->SetSuspendMark(false);
  }
}

void TMediaManager::SetEnabled(bool enabled) {
  if (!has_enabled_flag_ || enabled == enabled_) return;
  if (!enabled) {
    Suspend();
    enabled_ = false;
  } else {
    enabled_ = true;
    Resume();
  }
}

void TMediaManager::Restore() {
  for (const auto& item : items_) item->Restore();
}

}  // namespace orvo
