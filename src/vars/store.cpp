#include "vars/store.h"

#include <atomic>

#include "vars/messages.h"
#include "vars/param_var.h"
#include "vars/system_var.h"

namespace orvo {

void TParamCollection::Touch() {
  static std::atomic<uint64_t> next_generation{1};
  generation_ = next_generation.fetch_add(1, std::memory_order_relaxed);
}

TParamCollection::TParamCollection(ISystemHost& host) : host_(&host) {
  Touch();
  system_items_.reserve(kSystemVarCount);
  for (int number = 0; number < kSystemVarCount; ++number) {
    auto item = std::make_unique<TParamCollectionItem>(std::make_unique<TParamSystem>(number, *this), true);
    system_items_.push_back(&items_.Add(std::move(item), SystemVarName(number)));
  }
}

TParamCollection::~TParamCollection() {
  // Script variables may hold links to system items: free them first.
  FreeScriptVariables(false);
}

TParamCollectionItem* TParamCollection::Find(std::string_view name) const {
  TParamCollectionItem* remembered = nullptr;
  TParamCollectionItem* local = nullptr;
  items_.ForEachInChain(name, [&](TParamCollectionItem& item) {
    if (!item.local) {
      remembered = &item;
      return true;
    }
    if (item.owner == current_depth_) {
      local = &item;
      return false;
    }
    return true;
  });
  return local ? local : remembered;
}

TParamCollectionItem* TParamCollection::FindForNew(std::string_view name, bool local) const {
  TParamCollectionItem* found = nullptr;
  items_.ForEachInChain(name, [&](TParamCollectionItem& item) {
    bool fits = local ? (item.local && item.owner == current_depth_) : !item.local;
    if (fits) found = &item;
    return !fits;
  });
  return found;
}

TParamCollectionItem& TParamCollection::Add(int kind) {
  std::unique_ptr<TCustomParam> value = MakeParam(kind & 0x7F);
  Touch();
  return items_.Add(std::make_unique<TParamCollectionItem>(std::move(value)));
}

void TParamCollection::SetName(TParamCollectionItem& item, std::string_view name) {
  if (!IsValidVariableName(name)) RaiseVars(TVarsMessage::BadName, name);
  Touch();
  items_.Rename(item, std::string(name));
}

void TParamCollection::FreeItem(TParamCollectionItem& item) {
  Touch();
  items_.Remove(item);
}

void TParamCollection::Delete(TParamCollectionItem& item) {
  if (!item.IsSystem()) FreeItem(item);
}

TParamCollectionItem& TParamCollection::CreateVariable(std::string_view name, int kind, TVarScope scope) {
  TParamCollectionItem& item = Add(kind);
  try {
    SetName(item, name);
  } catch (...) {
    FreeItem(item);
    throw;
  }
  item.status = scope == TVarScope::Status;
  item.local = scope == TVarScope::Local;
  item.owner = (scope == TVarScope::AutoFree || scope == TVarScope::Local) ? current_depth_ : -1;
  Touch();
  return item;
}

TParamCollectionItem* TParamCollection::DefinePersistent(std::string_view name, const TCustomParam& value) {
  if (Find(name)) return nullptr;
  TParamCollectionItem& item = CreateVariable(name, value.ParamType(), TVarScope::Status);
  if (item.Value().ClassKind() == value.ClassKind()) {
    item.Value().Assign(value);
  } else {
    AssignConverted(item.Value(), value);
  }
  return &item;
}

void TParamCollection::DeleteOwnedBy(int32_t depth) {
  for (size_t i = items_.Count(); i-- > 0;) {
    TParamCollectionItem& item = items_.At(i);
    if (!item.IsSystem() && item.owner == depth) FreeItem(item);
  }
}

void TParamCollection::LowerOwnersAbove(int32_t depth) {
  for (const auto& item : items_) {
    if (!item->IsSystem() && item->owner > depth) --item->owner;
  }
  Touch();
}

void TParamCollection::FreeScriptVariables(bool keep_status) {
  for (size_t i = items_.Count(); i-- > 0;) {
    TParamCollectionItem& item = items_.At(i);
    if (item.IsSystem() || (keep_status && item.IsStatus())) continue;
    FreeItem(item);
  }
}

void TParamCollection::ResetGame() {
  FreeScriptVariables(true);
  text_delay_ = kInitialTextDelay;
  cursor_name_.clear();
}

std::unique_ptr<TCustomParam> CopyOutValue(const TCustomParam& value, std::string_view name) {
  TParamType kind = value.ParamType();
  if (kind < PT_INT || kind > PT_STR) RaiseVars(TVarsMessage::BadVariable, name);
  if (dynamic_cast<const TParamSystem*>(&value)) return value.Clone();
  std::unique_ptr<TCustomParam> copy = MakeParam(kind);
  if (value.IsReference()) {
    // A reference copies the one element it stands for.
    switch (kind) {
      case PT_INT:
        copy->SetAsInt(value.GetAsInt());
        break;
      case PT_FLOAT:
        copy->SetAsFloat(value.GetAsFloat());
        break;
      case PT_BOOL:
        copy->SetAsBool(value.GetAsBool());
        break;
      default:
        copy->SetAsStr(value.GetAsStr());
        break;
    }
  } else {
    copy->Assign(value);
  }
  return copy;
}

std::unique_ptr<TCustomParam> TParamCollection::CopyOut(std::string_view name) const {
  TParamCollectionItem* item = Find(name);
  return item ? CopyOutValue(item->Value(), name) : nullptr;
}

void TParamCollection::SetCurrentDepth(int32_t depth) {
  if (depth == current_depth_) return;
  current_depth_ = depth;
  Touch();
}

const TLocalTime& TParamCollection::LocalNow() const {
  int32_t clock = host_->TotalElapsed();
  if (!time_valid_ || clock != time_clock_) {
    time_ = host_->LocalNow();
    time_clock_ = clock;
    time_valid_ = true;
  }
  return time_;
}

}  // namespace orvo
