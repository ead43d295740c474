#pragma once
// Making small lossless video files (raw BGRA pictures in FFmpeg's own
// container), for the kit's generated videos and test fixtures.
#include <cstdint>
#include <vector>

namespace orvo {

// Frames of width × height BGRA pixels (0xAARRGGBB words, top row first) at
// fps frames a second; empty when FFmpeg refuses.
std::vector<uint8_t> EncodeRawVideo(const std::vector<std::vector<uint32_t>>& frames, int32_t width, int32_t height,
                                    int32_t fps);

}  // namespace orvo
