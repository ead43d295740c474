// Table files from untrusted bytes: the status section, then the game
// section. Whatever loads saves again and reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "base/stream.h"
#include "tables/db_manager.h"

namespace {

std::string Save(orvo::TDBManager& tables) {
  orvo::TMemoryStream stream;
  orvo::TBinaryWriter writer(stream);
  tables.SaveTables(writer, 1);
  tables.SaveTables(writer, 0);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TDBManager tables;
  try {
    orvo::TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data), size));
    orvo::TBinaryReader reader(stream);
    tables.LoadTables(reader, 1);
    tables.LoadTables(reader, 0);
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  const std::string saved = Save(tables);
  orvo::TDBManager again;
  orvo::TMemoryStream stream(saved);
  orvo::TBinaryReader reader(stream);
  again.LoadTables(reader, 1);
  again.LoadTables(reader, 0);
  if (Save(again) != saved) std::abort();
  return 0;
}
