// The preview-menu reader from untrusted bytes, in both forms, with the
// first byte choosing a folder to resolve names against.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "tables/prev_menu_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static constexpr std::string_view kFolders[] = {"", "menu\\sub\\", "\\\\server\\share\\", "m\x83\x5c\\"};
  const std::string_view folder = kFolders[data[0] % 4];
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  orvo::TContSelList list;
  try {
    list.LoadFromBytes(bytes, folder);
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  // Every button read holds only what the file had room for.
  size_t total = 0;
  for (int32_t i = 0; i < list.ButtonCount(); ++i) total += list.Button(i).path.size() + list.Button(i).name.size();
  if (total > size * 2 + 64 * static_cast<size_t>(list.ButtonCount()) + 1024) __builtin_trap();
  return 0;
}
