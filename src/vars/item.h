#pragma once
// One named variable of the store, and the weak link through which element
// references and running expressions hold it: freeing an item clears every
// link to it, so nothing ever reaches a freed variable.
#include <cstdint>
#include <memory>
#include <string>

#include "base/hash_collection.h"
#include "vars/param.h"

namespace orvo {

class TParamCollectionItem;

class TItemLink {
 public:
  TItemLink() = default;
  ~TItemLink() { Reset(); }
  TItemLink(const TItemLink&) = delete;
  TItemLink& operator=(const TItemLink&) = delete;

  void Set(TParamCollectionItem* item);
  void Reset();
  TParamCollectionItem* Get() const { return item_; }

 private:
  friend class TParamCollectionItem;
  TParamCollectionItem* item_ = nullptr;
  TItemLink* prev_ = nullptr;
  TItemLink* next_ = nullptr;
};

// Scope codes of the variable-creation command.
enum class TVarScope : uint8_t { Global = 0, AutoFree = 1, Local = 2, Status = 3 };

class TParamCollectionItem : public THashItem {
 public:
  explicit TParamCollectionItem(std::unique_ptr<TCustomParam> value, bool system = false)
      : value_(std::move(value)), system_(system) {}
  ~TParamCollectionItem() override;
  TParamCollectionItem(const TParamCollectionItem&) = delete;
  TParamCollectionItem& operator=(const TParamCollectionItem&) = delete;

  TCustomParam& Value() const { return *value_; }
  // Replaces the value object as a whole (a variable re-created with another kind).
  void ReplaceValue(std::unique_ptr<TCustomParam> value) { value_ = std::move(value); }

  // One of the 51 system variables: never deleted, reset, saved or loaded.
  bool IsSystem() const { return system_; }
  // Persistent (status) variables live in the status data, not in game saves.
  bool IsStatus() const { return status; }

  // Scope fields. Lookups cache their answers by the store's generation, so
  // change owner and local through the store (CreateVariable, LowerOwnersAbove).
  uint8_t reserved = 0;
  bool status = false;
  int32_t owner = -1;
  bool local = false;

 private:
  friend class TItemLink;
  std::unique_ptr<TCustomParam> value_;
  bool system_;
  TItemLink* links_ = nullptr;
};

// True for a name the store accepts: not empty, no blank, not starting with a digit.
bool IsValidVariableName(std::string_view name);

}  // namespace orvo
