#pragma once
// What orvokit's image command does, as functions that tests can call:
// pictures into a layered file, a frame out as RGBA, and a description.
#include <cstdint>
#include <string>
#include <vector>

#include "image/dova.h"

namespace orvo {

enum class TInputsAs { Frames, Layers };

struct TPicturesToDova {
  TInputsAs inputs = TInputsAs::Frames;
  int32_t key_color = -1;  // 0x00BBGGRR made transparent, -1 none
  int32_t delay = 100;     // of every frame, milliseconds
};

// One frame (or one layer of a single frame) per picture file (PNG, BMP, or
// the first frame of a layered file). An alpha channel becomes the mask, a
// PNG colour key the transparent colour. Layers must share one size; they
// take the bit depth of the first. Raises EOrvoError for unreadable inputs.
TDovaFrameList ListFromPictures(const std::vector<std::string>& paths, const TPicturesToDova& options);

// The frame as RGBA rows (top first): alpha from the mask, else 0 where the
// pixel is the transparent pixel and 255 elsewhere.
std::vector<uint8_t> FrameToRgba(const TDovaFrame& frame);

// A few lines for a person: form, header, then each frame and its layers
// with sizes, bit depths and how their blocks are stored. bytes: the file.
std::string DescribeDova(const std::string& bytes, int32_t code);

}  // namespace orvo
