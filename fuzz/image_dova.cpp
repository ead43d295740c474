// Layered pictures from untrusted bytes: both generations, every block
// storage, flattening, and what the image cache does with the frames after.
#include <cstddef>
#include <cstdint>

#include "base/error.h"
#include "base/stream.h"
#include "image/dova.h"
#include "image/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A code other than 0 sends keyed rows and tables through their shuffle.
  for (int32_t code : {0, 0x4F76}) {
    orvo::TSpanStream stream(data, size);
    orvo::TDovaFrameList list(code);
    try {
      list.LoadFromStream(stream, orvo::TFrameSelection::All, orvo::TLayerRetention::Keep);
    } catch (const orvo::EOrvoError&) {
      continue;
    }
    for (size_t i = 0; i < list.Count(); ++i) {
      orvo::TDovaFrame& frame = list.Frame(static_cast<int64_t>(i));
      orvo::TDovaFrameList::MakeMask(frame, orvo::TMaskLayers::WithLayers);
      orvo::TDovaFrameList::ContentRect(frame);
      orvo::DitherFrame(frame, 16);
    }
  }
  orvo::TSpanStream stream(data, size);
  try {
    orvo::TDovaFrameList::ReadInfo(stream);
  } catch (const orvo::EOrvoError&) {
  }
  return 0;
}
