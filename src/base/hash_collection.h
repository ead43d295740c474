#pragma once
// Keyed collection with 256 name buckets, shared by the variable store, the
// archives, the image cache, the fonts and the read marks. Items keep their
// insertion order in the list; each bucket chain is newest first, and an item
// re-enters the head of its chain whenever its name changes.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp932.h"

namespace orvo {

// Bucket of a name: on the lower-cased name, with n its length, b0 its first
// and b1 its next-to-last byte, (n * 16 + b0 + b1) mod 256; (n * 16) mod 256
// when n < 2. Lowering touches ASCII letters only, never trail bytes.
uint8_t HashBucket(std::string_view name);

class THashItem {
 public:
  virtual ~THashItem() = default;
  const std::string& Name() const { return name_; }

 private:
  template <class>
  friend class THashCollection;
  std::string name_;
  THashItem* chain_next_ = nullptr;
  THashItem* chain_prev_ = nullptr;
  uint8_t bucket_ = 0;
};

template <class Item>
class THashCollection {
 public:
  THashCollection() { heads_.fill(nullptr); }
  THashCollection(const THashCollection&) = delete;
  THashCollection& operator=(const THashCollection&) = delete;

  // Takes ownership; the item enters the head of its name's chain.
  Item& Add(std::unique_ptr<Item> item, std::string name = {}) {
    Item& added = *item;
    items_.push_back(std::move(item));
    added.name_ = std::move(name);
    Link(added);
    return added;
  }

  // Changes the name and moves the item to the head of the new chain.
  void Rename(Item& item, std::string name) {
    Unlink(item);
    item.name_ = std::move(name);
    Link(item);
  }

  // Unlinks and frees the item.
  void Remove(Item& item) { Extract(item); }

  // Unlinks the item and hands it back to the caller.
  std::unique_ptr<Item> Extract(Item& item) {
    for (size_t i = items_.size(); i-- > 0;) {
      if (items_[i].get() == &item) {
        Unlink(item);
        std::unique_ptr<Item> owned = std::move(items_[i]);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        return owned;
      }
    }
    return nullptr;
  }

  void Clear() {
    items_.clear();
    heads_.fill(nullptr);
  }

  // The match that entered its chain first (nearest the tail), as the
  // variable store's lookup of non-local names does; none when absent.
  Item* Find(std::string_view name) const {
    Item* found = nullptr;
    ForEachInChain(name, [&](Item& item) {
      found = &item;
      return true;
    });
    return found;
  }

  // Calls visit(item) for every item of the name's chain whose name matches,
  // from the head (newest) on; visit returns false to stop.
  template <class Visit>
  void ForEachInChain(std::string_view name, Visit visit) const {
    for (THashItem* node = heads_[HashBucket(name)]; node != nullptr;) {
      THashItem* next = node->chain_next_;
      if (EqualsNoCase(node->name_, name) && !visit(static_cast<Item&>(*node))) return;
      node = next;
    }
  }

  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  Item& At(size_t index) const { return *items_[index]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void Link(Item& item) {
    THashItem& node = item;
    node.bucket_ = HashBucket(node.name_);
    node.chain_prev_ = nullptr;
    node.chain_next_ = heads_[node.bucket_];
    if (node.chain_next_) node.chain_next_->chain_prev_ = &node;
    heads_[node.bucket_] = &node;
  }

  void Unlink(Item& item) {
    THashItem& node = item;
    if (node.chain_prev_) {
      node.chain_prev_->chain_next_ = node.chain_next_;
    } else if (heads_[node.bucket_] == &node) {
      heads_[node.bucket_] = node.chain_next_;
    }
    if (node.chain_next_) node.chain_next_->chain_prev_ = node.chain_prev_;
    node.chain_next_ = node.chain_prev_ = nullptr;
  }

  std::vector<std::unique_ptr<Item>> items_;
  std::array<THashItem*, 256> heads_;
};

}  // namespace orvo
