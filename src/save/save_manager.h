#pragma once
// Game saves, loads and the status data of a running game. Commands only
// request saves and loads; the frame loop performs them between the stage
// update and drawing (PerformPending).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/runtime_state.h"
#include "data/file_manager.h"
#include "platform/dialogs.h"
#include "save/empty_tables.h"
#include "save/history.h"
#include "save/save_file.h"
#include "save/status_record.h"
#include "script/call_man.h"
#include "script/project.h"
#include "stage/stage.h"
#include "vars/store.h"

namespace orvo {

// The version game saves are written with, and the oldest one read.
constexpr int32_t kGameSaveVersion = 201;
constexpr int32_t kOldestGameSave = 107;

struct TSaveServices {
  TRuntimeState* state = nullptr;
  TOrvoBaseList* stage = nullptr;
  TParamCollection* store = nullptr;
  TOrvoHistoryFormatManager* history = nullptr;
  // "save:" entries are copied into the first collection at start.
  TVrFileManager* files = nullptr;
  std::function<TCallMan*()> interpreter;
  // The project's save-to-disk setting (governs only the status write).
  std::function<bool()> save_to_disk;
  IDialogs* dialogs = nullptr;
  // The main window closes after a load failed.
  std::function<void()> close_window;
};

class TSaveManager : public IProjectStatus, public ISaveCommands {
 public:
  explicit TSaveManager(TSaveServices services);

  // Where the file is found once the title is known (at project start).
  void SetLocationRule(std::string save_dir, std::string game_folder);
  // A location given at once (tests, tools).
  void SetLocation(TSaveLocation location) {
    file_ = TSaveFile(std::move(location));
    located_ = true;
  }
  TSaveFile& File() { return file_; }
  // The table store's sections; null: written empty.
  void SetTables(ISaveTables* tables) { tables_ = tables ? tables : &empty_tables_; }
  ISaveTables* Tables() const { return tables_; }

  // ---- the project's status data
  void Load(TProject& project) override;
  void Save(TProject& project) override;

  // ---- what the commands request
  void RequestSave(int32_t slot, const std::string& title, const std::string& resume_page,
                   int32_t resume_index) override;
  void RequestLoad(int32_t slot) override { pending_load_ = slot; }
  void ClearHistories() override;
  void EntryHistory(const std::string& template_object, const std::string& format) override;
  void CallHistory(const std::string& message, int32_t start, int32_t count, bool packed,
                   const std::string& format) override;
  // The frame step: a pending load, then a pending save; true when a load was performed.
  bool PerformPending();

  // ---- the operations
  // Reads the status data and copies the "save:" entries into the game's
  // files. A file that does not read is set aside, its error shown, and the
  // game starts with empty status data.
  void LoadStatus();
  // Rewrites the status entry (on disk only with save-to-disk on); failures are ignored.
  void SaveStatus();
  // Writes slot; nothing for an empty title. A failed write is shown and the old file stays.
  // True when the file was written.
  bool SaveGame(int32_t slot, const std::string& title, const std::string& resume_page, int32_t resume_index);
  // Loads slot: false (nothing happens) without a file or that slot; a
  // failure stops the game (both flags, a warning, the window closes).
  bool LoadGame(int32_t slot);
  void RebuildSlotTitles();
  // Keeps a "save:" file in the save file (raises when it cannot be written).
  void StoreSaveFile(std::string_view name, std::string_view bytes);

  // ---- slot titles (title, slot) in list order
  std::string SlotTitle(int32_t slot) const;
  void SetSlotTitle(int32_t slot, const std::string& title);
  const std::vector<std::pair<std::string, int32_t>>& SlotTitles() const { return slot_titles_; }

  // The game record of a slot into writer (what SaveGame stores).
  void WriteGameRecord(TBinaryWriter& writer, const std::string& title, const std::string& resume_page,
                       int32_t resume_index);
  // Applies a game record; raises on any failure (the caller reacts).
  void ReadGameRecord(TBinaryReader& reader);

 private:
  TStatusParts StatusParts(TParamCollection* store, TOrvoReadList* marks, TDovaCollection* pictures);
  void Locate(const std::string& title);
  void ShowError(const std::string& utf8_text);
  void FailLoad(const std::string& cp932_detail);
  void AddStatusEntry(TVrFileCollection& collection);

  TSaveServices services_;
  TSaveFile file_;
  bool located_ = false;
  std::string save_dir_, game_folder_;
  TEmptySaveTables empty_tables_;
  ISaveTables* tables_ = &empty_tables_;
  std::vector<std::pair<std::string, int32_t>> slot_titles_;
  int32_t pending_load_ = -1;
  struct TPendingSave {
    int32_t slot = 0;
    std::string title, resume_page;
    int32_t resume_index = 0;
  };
  std::optional<TPendingSave> pending_save_;
};

}  // namespace orvo
