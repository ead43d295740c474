// orvokit image: make layered pictures from PNG or BMP files, turn a frame
// back into an RGBA PNG, and describe a layered file.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "base/stream.h"
#include "image/dova.h"
#include "image/image_tool.h"
#include "kit.h"
#include "surface/png_writer.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "image";

// Splits "-o PATH" and options with one value out of args.
struct TArguments {
  std::vector<std::string> inputs;
  std::string output;
  std::vector<std::pair<std::string, std::string>> options;  // name, value ("" for flags)
};

bool Split(const std::vector<std::string>& args, const std::vector<std::string>& with_value,
           const std::vector<std::string>& flags, TArguments& out, std::string& problem) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool takes_value = arg == "-o";
    for (const std::string& name : with_value) takes_value = takes_value || arg == name;
    bool is_flag = false;
    for (const std::string& name : flags) is_flag = is_flag || arg == name;
    if (takes_value) {
      if (i + 1 >= args.size()) {
        problem = arg + " needs a value";
        return false;
      }
      if (arg == "-o") {
        out.output = args[++i];
      } else {
        out.options.emplace_back(arg, args[++i]);
      }
    } else if (is_flag) {
      out.options.emplace_back(arg, "");
    } else if (arg.size() > 1 && arg[0] == '-') {
      problem = "unknown option " + arg;
      return false;
    } else {
      out.inputs.push_back(arg);
    }
  }
  return true;
}

int ToDov(const std::vector<std::string>& args) {
  TArguments parsed;
  std::string problem;
  if (!Split(args, {"--key", "--delay", "--compression", "--quality", "--code"}, {"--frames", "--layers"}, parsed,
             problem)) {
    return UsageError(kName, problem);
  }
  if (parsed.output.empty()) return UsageError(kName, "to-dov needs -o OUT.dov");
  if (parsed.inputs.empty()) return UsageError(kName, "to-dov needs at least one picture");
  TPicturesToDova options;
  TDovaCompression compression = TDovaCompression::Zlib;
  long long quality = 70, code = 0;
  int modes = 0;
  for (const auto& [name, value] : parsed.options) {
    long long number = 0;
    if (name == "--frames" || name == "--layers") {
      options.inputs = name == "--frames" ? TInputsAs::Frames : TInputsAs::Layers;
      ++modes;
    } else if (name == "--key") {
      if (!ParseInteger(value, 0, 0xFFFFFF, number, 0)) return UsageError(kName, "--key takes a colour 0x00BBGGRR");
      options.key_color = static_cast<int32_t>(number);
    } else if (name == "--delay") {
      if (!ParseInteger(value, 0, INT32_MAX, number, 0)) return UsageError(kName, "--delay takes milliseconds");
      options.delay = static_cast<int32_t>(number);
    } else if (name == "--quality") {
      if (!ParseInteger(value, 1, 100, quality, 0)) return UsageError(kName, "--quality takes 1..100");
    } else if (name == "--code") {
      if (!ParseInteger(value, INT32_MIN, INT32_MAX, code, 0))
        return UsageError(kName, "--code takes a 32-bit integer");
    } else if (name == "--compression") {
      if (value == "zlib") {
        compression = TDovaCompression::Zlib;
      } else if (value == "none") {
        compression = TDovaCompression::None;
      } else if (value == "jpeg") {
        compression = TDovaCompression::Jpeg;
      } else {
        return UsageError(kName, "--compression takes zlib, none or jpeg");
      }
    }
  }
  if (modes > 1) return UsageError(kName, "give --frames or --layers, not both");
  TDovaFrameList list = ListFromPictures(parsed.inputs, options);
  list.SetCode(static_cast<int32_t>(code));
  TMemoryStream stream;
  list.SaveToStream(stream, compression, static_cast<int>(quality));
  const std::vector<uint8_t>& bytes = stream.Bytes();
  WriteFileAtomically(parsed.output, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  std::printf("%zu %s written to %s\n", options.inputs == TInputsAs::Frames ? list.Count() : parsed.inputs.size(),
              options.inputs == TInputsAs::Frames ? "frames" : "layers", parsed.output.c_str());
  return 0;
}

int ToPng(const std::vector<std::string>& args) {
  TArguments parsed;
  std::string problem;
  if (!Split(args, {"--frame", "--code"}, {}, parsed, problem)) return UsageError(kName, problem);
  if (parsed.output.empty() || parsed.inputs.size() != 1) return UsageError(kName, "to-png takes IN.dov -o OUT.png");
  long long frame_index = 0, code = 0;
  for (const auto& [name, value] : parsed.options) {
    if (name == "--frame" && !ParseInteger(value, 0, INT32_MAX, frame_index, 0)) {
      return UsageError(kName, "--frame takes a frame number from 0");
    }
    if (name == "--code" && !ParseInteger(value, INT32_MIN, INT32_MAX, code, 0)) {
      return UsageError(kName, "--code takes a 32-bit integer");
    }
  }
  TDovaFrameList list(static_cast<int32_t>(code));
  list.LoadFromFile(parsed.inputs[0]);
  if (list.Count() == 0) throw EOrvoError("Not a picture: " + parsed.inputs[0]);
  if (static_cast<size_t>(frame_index) >= list.Count()) {
    throw EOrvoError("The picture has " + std::to_string(list.Count()) + " frames");
  }
  const TDovaFrame& frame = list.Frame(frame_index);
  std::vector<uint8_t> rgba = FrameToRgba(frame);
  SavePngRgba(parsed.output, frame.picture.Width(), frame.picture.Height(), rgba.data(),
              static_cast<size_t>(frame.picture.Width()) * 4);
  std::printf("frame %lld (%dx%d) written to %s\n", frame_index, frame.picture.Width(), frame.picture.Height(),
              parsed.output.c_str());
  return 0;
}

int Info(const std::vector<std::string>& args) {
  TArguments parsed;
  std::string problem;
  if (!Split(args, {"--code"}, {}, parsed, problem)) return UsageError(kName, problem);
  if (parsed.inputs.size() != 1 || !parsed.output.empty()) return UsageError(kName, "info takes one IN.dov");
  long long code = 0;
  for (const auto& [name, value] : parsed.options) {
    if (!ParseInteger(value, INT32_MIN, INT32_MAX, code, 0)) return UsageError(kName, "--code takes a 32-bit integer");
  }
  std::string bytes;
  if (!ReadWholeFile(parsed.inputs[0], bytes)) throw EReadError("Cannot read " + parsed.inputs[0]);
  std::fputs(DescribeDova(bytes, static_cast<int32_t>(code)).c_str(), stdout);
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kName, "give to-dov, to-png or info");
  if (args[0] == "to-dov") return ToDov(args);
  if (args[0] == "to-png") return ToPng(args);
  if (args[0] == "info") return Info(args);
  return UsageError(kName, "unknown action " + args[0]);
}

const bool registered = RegisterCommand(
    {kName,
     "to-dov IN.png... -o OUT.dov [--frames | --layers] [--key 0xBBGGRR] [--delay MS] "
     "[--compression zlib|none|jpeg] [--quality N] [--code N]  |  to-png IN.dov -o OUT.png [--frame N] [--code N]  "
     "|  info IN.dov [--code N]",
     "make layered pictures from PNG/BMP files, write a frame as RGBA PNG, or describe a layered picture", Run});

}  // namespace
}  // namespace orvo::kit
