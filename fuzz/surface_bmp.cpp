// Bitmap files from untrusted bytes: every input is read or refused with an
// error, and whatever is read can be drawn and written back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "base/stream.h"
#include "surface/dibx.h"
#include "surface/picture_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TMemoryStream stream{std::string_view(reinterpret_cast<const char*>(data), size)};
  orvo::TDIBSurface picture;
  try {
    orvo::ReadBmp(stream, picture);
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  if (picture.IsEmpty()) std::abort();
  orvo::TMemoryStream out;
  orvo::WriteBmp(out, picture);
  // Through a surface of another format and back into a bitmap.
  orvo::TDIBX surface;
  surface.SetSize(1, 1, 16);
  out.SetPosition(0);
  surface.LoadFromStream(&out, 0);
  if (surface.Width() != picture.Width() || surface.Height() != picture.Height()) std::abort();
  return 0;
}
