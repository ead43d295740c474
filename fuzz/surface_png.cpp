// PNG pictures from untrusted bytes: read or refused with an error, never a
// crash, a leak or an allocation beyond the size limits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "base/stream.h"
#include "surface/picture_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TMemoryStream stream{std::string_view(reinterpret_cast<const char*>(data), size)};
  orvo::TDIBSurface picture;
  try {
    int32_t key = orvo::ReadPng(stream, picture);
    if (key < -1 || key > 0xFFFFFF) std::abort();
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  if (picture.HasMask() && (picture.Mask()->Width() != picture.Width())) std::abort();
  orvo::EncodePng(picture);
  return 0;
}
