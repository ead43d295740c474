// orvokit video: make a small lossless test video of moving colour bars.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "kit.h"
#include "platform/video_encoder.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "video";

int Bars(const std::vector<std::string>& args) {
  std::string output;
  long long frames = 10, width = 64, height = 48, fps = 10;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto number = [&](long long low, long long high, long long& value) {
      return i + 1 < args.size() && ParseInteger(args[++i], low, high, value);
    };
    bool ok = true;
    if (arg == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (arg == "--frames") {
      ok = number(1, 1000, frames);
    } else if (arg == "--width") {
      ok = number(1, 1024, width);
    } else if (arg == "--height") {
      ok = number(1, 1024, height);
    } else if (arg == "--fps") {
      ok = number(1, 60, fps);
    } else {
      ok = false;
    }
    if (!ok) return UsageError(kName, "bars: bad argument " + arg);
  }
  if (output.empty()) return UsageError(kName, "bars needs -o OUT");
  // Eight bars of full colours that move one bar to the left each frame.
  static const uint32_t kColours[8] = {0xFFFFFFFF, 0xFFFFFF00, 0xFF00FFFF, 0xFF00FF00,
                                       0xFFFF00FF, 0xFFFF0000, 0xFF0000FF, 0xFF000000};
  std::vector<std::vector<uint32_t>> pictures;
  for (long long f = 0; f < frames; ++f) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height));
    for (long long y = 0; y < height; ++y) {
      for (long long x = 0; x < width; ++x) {
        pixels[static_cast<size_t>(y * width + x)] = kColours[(x * 8 / width + f) % 8];
      }
    }
    pictures.push_back(std::move(pixels));
  }
  const std::vector<uint8_t> bytes =
      EncodeRawVideo(pictures, static_cast<int32_t>(width), static_cast<int32_t>(height), static_cast<int32_t>(fps));
  if (bytes.empty()) throw EOrvoError("cannot encode " + output);
  WriteFileAtomically(output, std::string(bytes.begin(), bytes.end()));
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kName);
  try {
    if (args[0] == "bars") return Bars(args);
  } catch (const EOrvoError& failure) {
    std::fprintf(stderr, "orvokit video: %s\n", failure.what());
    return 1;
  }
  return UsageError(kName, "unknown action " + args[0]);
}

const bool kRegistered =
    RegisterCommand({kName, "bars -o OUT.nut [--frames N] [--width W] [--height H] [--fps F]",
                     "make a small lossless video of moving colour bars (raw BGRA in FFmpeg's container)", Run});

}  // namespace
}  // namespace orvo::kit
