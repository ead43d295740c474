#include "stage/functions/memory_files.h"

#include <filesystem>

#include "base/files.h"
#include "base/stream.h"
#include "stage/functions/function_support.h"

namespace orvo {

TMemoryFileKind MemoryFileKind(std::string_view name) {
  if (HasPrefixNoCase(name, "mem:")) return TMemoryFileKind::Memory;
  if (HasPrefixNoCase(name, "save:")) return TMemoryFileKind::Save;
  return TMemoryFileKind::None;
}

void TMemoryFiles::Store(std::string_view name, std::string_view bytes) {
  TVrFile* entry = files_.FindEntry(name);
  if (!entry) {
    if (files_.CollectionCount() == 0) files_.AddArchive("");
    entry = &files_.Collection(0).AddMemory(std::string(name));
  }
  // An archive entry of that name is shadowed by the new content from now on.
  entry->content = std::make_unique<TMemoryStream>(bytes);
  if (MemoryFileKind(name) == TMemoryFileKind::Save) StoreInSaveFile(name, bytes);
}

void TMemoryFiles::StoreInSaveFile(std::string_view name, std::string_view bytes) {
  if (store_) {
    store_(name, bytes);
    return;
  }
  const std::string path = save_file_ ? save_file_() : std::string();
  if (path.empty()) return;
  // Read first: a save file that does not read raises here and stays untouched.
  TVrFileCollection save;
  save.Open(path);
  save.Delete(name);
  save.AddMemory(std::string(name)).content = std::make_unique<TMemoryStream>(bytes);
  TMemoryStream written;
  save.Write(written);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  const std::vector<uint8_t>& data = written.Bytes();
  WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

std::vector<uint8_t> TMemoryFiles::Content(const TVrFile& entry, std::string_view name) {
  if (entry.content) return entry.content->Bytes();
  return files_.LoadBytes(name);
}

}  // namespace orvo
