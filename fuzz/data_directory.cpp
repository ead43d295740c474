// Archive directories from untrusted bytes: the directory reader and the
// decoding of every entry it finds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "data/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orvo::TMemoryStream stream{bytes};
  orvo::TVrFileCollection collection;
  try {
    collection.ReadDirectory(stream);
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  for (size_t i = 0; i < collection.Count(); ++i) {
    const orvo::TVrFile& entry = collection.At(i);
    collection.Find(entry.Name());
    try {
      orvo::DecodeStored(bytes.substr(static_cast<size_t>(entry.offset), static_cast<size_t>(entry.size)),
                         entry.storage);
    } catch (const orvo::EOrvoError&) {
    }
  }
  return 0;
}
