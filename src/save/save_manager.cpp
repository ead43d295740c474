#include "save/save_manager.h"

#include <filesystem>

#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "data/zlib_codec.h"
#include "stage/message.h"
#include "stage/prop_table.h"

namespace orvo {

namespace {

void ApplyRecord(const std::string& bytes, const std::function<void(TBinaryReader&)>& read) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  read(reader);
}

}  // namespace

TSaveManager::TSaveManager(TSaveServices services) : services_(std::move(services)) {}

void TSaveManager::SetLocationRule(std::string save_dir, std::string game_folder) {
  save_dir_ = std::move(save_dir);
  game_folder_ = std::move(game_folder);
  located_ = false;
}

void TSaveManager::Locate(const std::string& title) {
  if (located_) return;
  file_ = TSaveFile(LocateSaveFile(title, save_dir_, game_folder_));
  located_ = true;
}

void TSaveManager::ShowError(const std::string& utf8_text) {
  if (services_.dialogs) services_.dialogs->MessageBox("エラー", utf8_text, TBoxButtons::Ok, TBoxIcon::Error);
}

TStatusParts TSaveManager::StatusParts(TParamCollection* store, TOrvoReadList* marks, TDovaCollection* pictures) {
  TStatusParts parts;
  parts.store = store;
  parts.marks = marks;
  parts.pictures = pictures;
  parts.tables = tables_;
  return parts;
}

// ---- status data

void TSaveManager::Load(TProject& project) {
  Locate(project.Title());
  LoadStatus();
  RebuildSlotTitles();
}

void TSaveManager::Save(TProject& project) {
  (void)project;
  SaveStatus();
}

void TSaveManager::LoadStatus() {
  if (!services_.stage || !services_.store) return;
  TVrFileCollection collection;
  std::optional<std::string> status;
  try {
    file_.Open(collection);
    status = ReadVerifiedEntry(collection, kStatusEntry);
    if (status) {
      // Read once into scratch parts, so that a damaged record leaves nothing half applied.
      THeadlessSystemHost scratch_host;
      TParamCollection scratch_store(scratch_host);
      TOrvoReadList scratch_marks;
      TDovaCollection scratch_pictures;
      const std::unique_ptr<ISaveTables> scratch_tables = tables_->MakeScratch();
      TStatusParts scratch = StatusParts(&scratch_store, &scratch_marks, &scratch_pictures);
      scratch.tables = scratch_tables.get();
      ApplyRecord(*status, [&](TBinaryReader& reader) { ReadStatusRecord(reader, scratch); });
    }
  } catch (const EOrvoError& error) {
    // A file that does not read must not stop every start: it is kept aside
    // and the game starts with empty status data.
    file_.SetAside();
    ShowError(error.what());
    return;
  }
  if (status) {
    try {
      ApplyRecord(*status, [&](TBinaryReader& reader) {
        ReadStatusRecord(reader,
                         StatusParts(services_.store, &services_.stage->ReadMarks(), &services_.stage->Pictures()));
      });
    } catch (const EOrvoError& error) {
      ShowError(error.what());
    }
  }
  if (!services_.files) return;
  for (size_t i = 0; i < collection.Count(); ++i) {
    const std::string name = collection.At(i).Name();
    if (name.size() < kSaveFilePrefix.size() || !EqualsNoCase(name.substr(0, kSaveFilePrefix.size()), kSaveFilePrefix))
      continue;
    if (services_.files->CollectionCount() == 0) services_.files->AddArchive("");
    TVrFileCollection& target = services_.files->Collection(0);
    try {
      std::optional<std::string> bytes = ReadVerifiedEntry(collection, name);
      TVrFile* entry = target.Find(name);
      if (!entry) entry = &target.AddMemory(name);
      entry->content = std::make_unique<TMemoryStream>(*bytes);
    } catch (const EOrvoError&) {
      target.Delete(name);
    }
  }
}

void TSaveManager::AddStatusEntry(TVrFileCollection& collection) {
  collection.Delete(kStatusEntry);
  TVrFile& entry = collection.AddMemory(std::string(kStatusEntry));
  TBinaryWriter writer(*entry.content);
  WriteStatusRecord(writer, StatusParts(services_.store, &services_.stage->ReadMarks(), &services_.stage->Pictures()));
}

void TSaveManager::SaveStatus() {
  if (!services_.stage || !services_.store || !located_) return;
  if (services_.save_to_disk && !services_.save_to_disk()) return;
  try {
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::path(file_.Path()).parent_path(), error)) return;
    TVrFileCollection collection;
    file_.Open(collection);
    AddStatusEntry(collection);
    file_.Write(collection);
  } catch (const EOrvoError&) {
    // The status data is written again at the next save and at the end.
  }
}

// ---- game saves

void TSaveManager::WriteGameRecord(TBinaryWriter& writer, const std::string& title, const std::string& resume_page,
                                   int32_t resume_index) {
  writer.WriteInt32(kGameSaveVersion);
  writer.WriteString(title);
  writer.WriteString(resume_page);
  writer.WriteInt32(resume_index);
  services_.stage->WriteState(writer);
  services_.history->WriteFormats(writer);
  TCallMan* interpreter = services_.interpreter ? services_.interpreter() : nullptr;
  if (!interpreter) throw EOrvoError("No interpreter");
  interpreter->SaveTo(writer);
  services_.store->SaveGame(writer);
  tables_->SaveTables(writer, 0);
}

bool TSaveManager::SaveGame(int32_t slot, const std::string& title, const std::string& resume_page,
                            int32_t resume_index) {
  if (title.empty() || !located_) return false;
  try {
    TVrFileCollection collection;
    file_.Open(collection);
    const std::string name = GameEntryName(slot);
    collection.Delete(name);
    TVrFile& entry = collection.AddMemory(name);
    TBinaryWriter writer(*entry.content);
    WriteGameRecord(writer, title, resume_page, resume_index);
    // The status data follows every game save; written in the same file
    // rewrite, unless the project keeps it off the disk.
    const bool status_too = !services_.save_to_disk || services_.save_to_disk();
    if (status_too) AddStatusEntry(collection);
    file_.Write(collection);
  } catch (const EOrvoError&) {
    ShowError("データファイルを作成することができません");
    return false;
  }
  SetSlotTitle(slot, title);
  return true;
}

void TSaveManager::ReadGameRecord(TBinaryReader& reader) {
  const int32_t version = reader.ReadInt32();
  if (version < kOldestGameSave)
    throw ErrorFromUtf8("セーブファイルの形式が古いため読めません\r\nsave.dat を削除してから実行してください");
  reader.ReadString();  // the title
  const std::string resume_page = reader.ReadString();
  const int32_t resume_index = reader.ReadInt32();
  services_.stage->ReadState(reader, version);
  if (version < 135) {
    services_.history->ReadSingleHistory(reader, version);
  } else {
    services_.history->ReadFormats(reader, version);
  }
  TCallMan* interpreter = services_.interpreter ? services_.interpreter() : nullptr;
  if (!interpreter) throw EOrvoError("No interpreter");
  interpreter->LoadFrom(reader, version);
  if (!resume_page.empty()) interpreter->EnterResumePage(resume_page, resume_index);
  services_.store->LoadGame(reader, version);
  if (version > 122) tables_->LoadTables(reader, 0);
  // The stage lays its message windows out again as it reads them.
}

void TSaveManager::FailLoad(const std::string& detail) {
  if (services_.state) {
    services_.state->terminating = true;
    services_.state->SetFatal();
  }
  if (services_.dialogs) {
    if (!detail.empty()) services_.dialogs->MessageBox("エラー", Cp932ToUtf8(detail), TBoxButtons::Ok, TBoxIcon::Error);
    services_.dialogs->MessageBox("警告", "このセーブデータは使用できません\r\n終了します", TBoxButtons::Ok,
                                  TBoxIcon::Warning);
  }
  if (services_.close_window) services_.close_window();
}

bool TSaveManager::LoadGame(int32_t slot) {
  if (!located_ || !file_.Exists()) return false;
  TVrFileCollection collection;
  std::optional<std::string> bytes;
  try {
    file_.Open(collection);
    const std::string name = GameEntryName(slot);
    if (!collection.Find(name)) return false;
    // The whole entry is checked before anything of it is applied.
    bytes = ReadVerifiedEntry(collection, name);
    ApplyRecord(*bytes, [&](TBinaryReader& reader) { ReadGameRecord(reader); });
  } catch (const EOrvoError& error) {
    FailLoad(error.Message());
  } catch (const std::exception&) {
    FailLoad({});
  }
  return true;
}

void TSaveManager::RebuildSlotTitles() {
  slot_titles_.clear();
  if (!located_ || !file_.Exists()) return;
  try {
    TVrFileCollection collection;
    file_.Open(collection);
    for (size_t i = 0; i < collection.Count(); ++i) {
      const std::string name = collection.At(i).Name();
      std::optional<int32_t> slot = SlotOfEntry(name);
      if (!slot) continue;
      try {
        std::optional<std::string> bytes = ReadVerifiedEntry(collection, name);
        ApplyRecord(*bytes, [&](TBinaryReader& reader) {
          reader.ReadInt32();
          slot_titles_.emplace_back(reader.ReadString(), *slot);
        });
      } catch (const EOrvoError&) {
        // A damaged slot has no title to show.
      }
    }
  } catch (const EOrvoError&) {
  }
}

void TSaveManager::StoreSaveFile(std::string_view name, std::string_view bytes) {
  if (!located_) return;
  TVrFileCollection collection;
  file_.Open(collection);
  collection.Delete(name);
  collection.AddMemory(std::string(name)).content = std::make_unique<TMemoryStream>(bytes);
  file_.Write(collection);
}

std::string TSaveManager::SlotTitle(int32_t slot) const {
  for (const auto& [title, number] : slot_titles_) {
    if (number == slot) return title;
  }
  return {};
}

void TSaveManager::SetSlotTitle(int32_t slot, const std::string& title) {
  for (auto& [existing, number] : slot_titles_) {
    if (number == slot) {
      existing = title;
      return;
    }
  }
  slot_titles_.emplace_back(title, slot);
}

// ---- requests

void TSaveManager::RequestSave(int32_t slot, const std::string& title, const std::string& resume_page,
                               int32_t resume_index) {
  pending_save_ = TPendingSave{slot, title, resume_page, resume_index};
}

bool TSaveManager::PerformPending() {
  bool loaded = false;
  if (pending_load_ >= 0) {
    const int32_t slot = pending_load_;
    pending_load_ = -1;
    loaded = LoadGame(slot);
  }
  if (pending_save_) {
    TPendingSave save = std::move(*pending_save_);
    pending_save_.reset();
    SaveGame(save.slot, save.title, save.resume_page, save.resume_index);
  }
  return loaded;
}

// ---- history commands

void TSaveManager::ClearHistories() {
  if (services_.history) services_.history->ClearHistories();
}

void TSaveManager::EntryHistory(const std::string& template_object, const std::string& format_name) {
  if (!services_.history) return;
  TOrvoHistoryFormat& format = services_.history->ObtainFormat(format_name);
  // An empty name would find the active screen, whose size would turn the
  // format into one measured at the stage's width; it names no template.
  TOrvoObject* object =
      services_.stage && !template_object.empty() ? services_.stage->FindComponent(template_object) : nullptr;
  const int32_t ids[8] = {PR_FONTHEIGHT, PR_FONTBORDER, PR_FONTSHADOW,  PR_WIDTH,
                          PR_HEIGHT,     PR_LINESPACE,  PR_PADDINGLEFT, PR_PADDINGRIGHT};
  for (size_t i = 0; i < 8; ++i) format.settings.values[i] = object ? object->GetInt(ids[i]) : 0;
}

void TSaveManager::CallHistory(const std::string& message_name, int32_t start, int32_t count, bool packed,
                               const std::string& format_name) {
  if (!services_.history || !services_.stage) return;
  auto* message = dynamic_cast<TOrvoMes*>(services_.stage->FindControl(message_name));
  if (!message) return;
  TOrvoHistoryFormat* format = services_.history->FindFormat(format_name);
  if (!format) return;
  const int64_t total = format->history.HistoryTotal();
  int64_t shown = count;
  if (int64_t{start} + shown > total) shown = total - start;
  if (shown <= 0) return;
  message->SetPackedDisplay(packed);
  format->history.ShowHistory(start, static_cast<int32_t>(shown), message);
}

}  // namespace orvo
