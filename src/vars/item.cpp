#include "vars/item.h"

namespace orvo {

void TItemLink::Set(TParamCollectionItem* item) {
  if (item == item_) return;
  Reset();
  if (!item) return;
  item_ = item;
  next_ = item->links_;
  if (next_) next_->prev_ = this;
  item->links_ = this;
}

void TItemLink::Reset() {
  if (!item_) return;
  if (prev_) {
    prev_->next_ = next_;
  } else {
    item_->links_ = next_;
  }
  if (next_) next_->prev_ = prev_;
  item_ = nullptr;
  prev_ = next_ = nullptr;
}

TParamCollectionItem::~TParamCollectionItem() {
  while (links_) links_->Reset();
}

bool IsValidVariableName(std::string_view name) {
  if (name.empty()) return false;
  if (name[0] >= '0' && name[0] <= '9') return false;
  return name.find(' ') == std::string_view::npos;
}

}  // namespace orvo
