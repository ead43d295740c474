#pragma once
// The variable store: one keyed collection that owns every script variable
// and the 51 system variables, finds names through the four scopes, and
// writes and reads the game and status records.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "base/hash_collection.h"
#include "base/stream.h"
#include "vars/host.h"
#include "vars/item.h"
#include "vars/param.h"

namespace orvo {

constexpr int32_t kInitialTextDelay = 50;

// A free-standing copy of a variable's value (CopyOut's copy): kinds other
// than 1..4 raise "%s:不正な変数です" with name.
std::unique_ptr<TCustomParam> CopyOutValue(const TCustomParam& value, std::string_view name);

class TParamCollection {
 public:
  // Builds the store with its 51 system variables, which read the host.
  explicit TParamCollection(ISystemHost& host);
  ~TParamCollection();
  TParamCollection(const TParamCollection&) = delete;
  TParamCollection& operator=(const TParamCollection&) = delete;

  ISystemHost& Host() const { return *host_; }
  void SetHost(ISystemHost& host) { host_ = &host; }

  // ---- lookup
  // The variable visible under name: a local of the current depth first,
  // else the non-local that entered its chain first; null when none.
  TParamCollectionItem* Find(std::string_view name) const;
  // For the variable-creation command: the first match in the chain that is
  // a local of the current depth (local) or a non-local item (!local).
  TParamCollectionItem* FindForNew(std::string_view name, bool local) const;
  // The system variable number 0..50.
  TParamCollectionItem& SystemItem(int number) const { return *system_items_[static_cast<size_t>(number)]; }

  // ---- items
  // Appends an unnamed global item holding a new value of kind (top bit
  // ignored; kinds above 4 raise "Invalid variable data").
  TParamCollectionItem& Add(int kind);
  // Names an item; an invalid name raises "\"%s\"：変数名が不正です".
  void SetName(TParamCollectionItem& item, std::string_view name);
  // Frees an item (system items are never freed).
  void Delete(TParamCollectionItem& item);
  // Creates a named variable of kind with the scope's fields (owner = the current depth for scopes 1 and 2).
  TParamCollectionItem& CreateVariable(std::string_view name, int kind, TVarScope scope);
  // For the project's default variables: unless name is already defined,
  // creates a persistent variable of value's kind holding value. Returns the
  // new item, or null when the name existed.
  TParamCollectionItem* DefinePersistent(std::string_view name, const TCustomParam& value);
  // Frees every item owned by depth (the call at that depth returns).
  void DeleteOwnedBy(int32_t depth);
  // Lowers by one the owner of every item owned by a depth above depth (a frame below was removed).
  void LowerOwnersAbove(int32_t depth);
  // Frees every script variable except the persistent ones; text delay 50, no cursor name.
  void ResetGame();
  // A free-standing copy of the named variable; null when none; kinds other
  // than 1..4 raise "%s:不正な変数です".
  std::unique_ptr<TCustomParam> CopyOut(std::string_view name) const;

  size_t Count() const { return items_.Count(); }
  TParamCollectionItem& At(size_t index) const { return items_.At(index); }

  // ---- call depth, set by the interpreter after every push, pop and clear
  int32_t CurrentDepth() const { return current_depth_; }
  void SetCurrentDepth(int32_t depth);

  // ---- values kept beside the store
  int32_t TextDelay() const { return text_delay_; }
  void SetTextDelay(int32_t delay) { text_delay_ = delay; }
  const std::string& CursorName() const { return cursor_name_; }
  void SetCursorName(std::string name) { cursor_name_ = std::move(name); }
  // The variable "@Temp" stands for (AssignTemp); empty when none.
  const std::string& TempName() const { return temp_name_; }
  void SetTempName(std::string name) { temp_name_ = std::move(name); }
  const std::string& SelectedString() const { return selected_string_; }
  void SetSelectedString(std::string text) { selected_string_ = std::move(text); }
  int32_t SelectedIndex() const { return selected_index_; }
  void SetSelectedIndex(int32_t index) { selected_index_ = index; }

  // ---- records
  // The game record (the newest layout, as version 201 reads it).
  void SaveGame(TBinaryWriter& writer) const;
  // Reads a game record of the given save version (107 and later).
  void LoadGame(TBinaryReader& reader, int32_t version);
  // The persistent variables only; LoadStatus adds them without clearing.
  void SaveStatus(TBinaryWriter& writer) const;
  void LoadStatus(TBinaryReader& reader);

  // ---- snapshots (PushVar and PopVar)
  void PushVars(std::span<const std::string> names);
  void PopVars();
  size_t SnapshotCount() const { return snapshots_.size(); }

  // Changes whenever a lookup could give another answer (items added,
  // freed or renamed, scope fields or the depth changed): callers may keep a
  // found item while it stays the same.
  uint64_t Generation() const { return generation_; }

  // The local date and time, read once per value of the frame clock.
  const TLocalTime& LocalNow() const;

 private:
  void FreeItem(TParamCollectionItem& item);
  void FreeScriptVariables(bool keep_status);
  void WriteVariables(TBinaryWriter& writer, bool status) const;
  void ReadVariables(TBinaryReader& reader);
  void ReadVariable(TBinaryReader& reader);
  void BindLoadedReference(TCustomParam& value);
  void ReadSnapshots(TBinaryReader& reader);
  // Moves to a generation no store has had before.
  void Touch();

  ISystemHost* host_;
  THashCollection<TParamCollectionItem> items_;
  std::vector<TParamCollectionItem*> system_items_;
  int32_t current_depth_ = 0;
  int32_t text_delay_ = kInitialTextDelay;
  std::string cursor_name_;
  std::string temp_name_;
  std::string selected_string_;
  int32_t selected_index_ = 0;
  std::vector<std::string> snapshots_;
  uint64_t generation_ = 0;
  mutable bool time_valid_ = false;
  mutable int32_t time_clock_ = 0;
  mutable TLocalTime time_;
};

}  // namespace orvo
