// orvokit wipe: the catalogue of transition kinds, and one transition
// rendered between two pictures at a given time, as the flip command makes it.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "base/random.h"
#include "kit.h"
#include "surface/png_writer.h"
#include "surface/surface.h"
#include "wipe/wipe.h"

namespace orvo::kit {
namespace {

constexpr const char* kName = "wipe";

int List(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(kName, "list takes no arguments");
  for (int32_t code = 0; code <= kWipeKindCount; ++code) {
    const TWipeKindInfo& info = *WipeKindInfo(code);
    if (info.has_defaults) {
      std::printf("%d\t%s\t%s\t%d\t%d\n", code, info.name, info.label, info.default0, info.default1);
    } else {
      std::printf("%d\t%s\t%s\t-\t-\n", code, info.name, info.label);
    }
  }
  return 0;
}

// Reads a PNG, BMP or layered picture file (first frame); false when unreadable.
bool ReadPicture(const std::string& path, TDIBSurface& picture) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  try {
    return DecodeRulePicture(bytes, path, 0, picture) && !picture.IsEmpty();
  } catch (const std::exception&) {
    return false;
  }
}

// A surface of the given bit count holding the picture's colours.
std::unique_ptr<TDIBX> ToSurface(const TDIBSurface& picture, int bits) {
  auto surface = std::make_unique<TDIBX>();
  surface->SetSize(picture.Width(), picture.Height(), bits);
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const uint32_t colour = picture.PixelToColor(picture.GetPixel(x, y));
      surface->SetPixel(x, y, static_cast<uint32_t>(surface->ColorToPixel(static_cast<int32_t>(colour & 0xFFFFFF))));
    }
  }
  return surface;
}

// The surface as 8-bit RGB.
std::string EncodeRgb(const TDIBX& surface) {
  const TDIBSurface& store = surface.Store();
  std::vector<uint8_t> rgb(static_cast<size_t>(store.Width()) * static_cast<size_t>(store.Height()) * 3);
  size_t at = 0;
  for (int32_t y = 0; y < store.Height(); ++y) {
    for (int32_t x = 0; x < store.Width(); ++x) {
      const uint32_t colour = store.PixelToColor(store.GetPixel(x, y));
      rgb[at++] = static_cast<uint8_t>(colour);
      rgb[at++] = static_cast<uint8_t>(colour >> 8);
      rgb[at++] = static_cast<uint8_t>(colour >> 16);
    }
  }
  return EncodePngRgb(store.Width(), store.Height(), rgb.data(), static_cast<size_t>(store.Width()) * 3);
}

struct TRenderOptions {
  std::string kind_text, from_path, to_path, output, rule, frames;
  std::optional<long long> duration, time, param0, param1;
  long long step = 15, bits = 32, seed = 0;
  bool reverse = false, option = false;
};

int Render(const std::vector<std::string>& args) {
  TRenderOptions o;
  std::vector<std::string> positional;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    const auto number = [&](long long low, long long high, long long& out) {
      std::string text;
      return value(text) && ParseInteger(text, low, high, out);
    };
    const auto optional_number = [&](long long low, long long high, std::optional<long long>& out) {
      long long n = 0;
      if (!number(low, high, n)) return false;
      out = n;
      return true;
    };
    bool ok = true;
    if (arg == "-o") {
      ok = value(o.output);
    } else if (arg == "--duration") {
      ok = optional_number(INT32_MIN, INT32_MAX, o.duration);
    } else if (arg == "--time") {
      ok = optional_number(0, INT32_MAX, o.time);
    } else if (arg == "--param0") {
      ok = optional_number(INT32_MIN, INT32_MAX, o.param0);
    } else if (arg == "--param1") {
      ok = optional_number(INT32_MIN, INT32_MAX, o.param1);
    } else if (arg == "--step") {
      ok = number(0, INT32_MAX, o.step);
    } else if (arg == "--bits") {
      ok = number(15, 32, o.bits) && (o.bits == 15 || o.bits == 16 || o.bits == 32);
    } else if (arg == "--seed") {
      ok = number(0, UINT32_MAX, o.seed);
    } else if (arg == "--rule") {
      ok = value(o.rule);
    } else if (arg == "--frames") {
      ok = value(o.frames);
    } else if (arg == "--reverse") {
      o.reverse = true;
    } else if (arg == "--option") {
      o.option = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(kName, "unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
    if (!ok) return UsageError(kName, arg + " needs a valid value");
  }
  if (positional.size() != 3) return UsageError(kName, "render needs KIND FROM.png TO.png");
  if (o.output.empty()) return UsageError(kName, "render needs -o OUT.png");
  if (!o.duration || !o.time) return UsageError(kName, "render needs --duration D and --time T");
  int32_t kind = -1;
  long long code = 0;
  if (ParseInteger(positional[0], 0, INT32_MAX, code)) {
    kind = static_cast<int32_t>(std::min<long long>(code, 1000));
  } else {
    kind = WipeKindByName(positional[0]);
  }
  if (kind < 0) return UsageError(kName, "unknown kind " + positional[0]);

  TDIBSurface from_picture, to_picture;
  if (!ReadPicture(positional[1], from_picture)) {
    std::fprintf(stderr, "orvokit wipe: cannot read %s\n", positional[1].c_str());
    return 1;
  }
  if (!ReadPicture(positional[2], to_picture)) {
    std::fprintf(stderr, "orvokit wipe: cannot read %s\n", positional[2].c_str());
    return 1;
  }
  if (from_picture.Width() != to_picture.Width() || from_picture.Height() != to_picture.Height()) {
    std::fprintf(stderr, "orvokit wipe: %s is %dx%d but %s is %dx%d\n", positional[1].c_str(), from_picture.Width(),
                 from_picture.Height(), positional[2].c_str(), to_picture.Width(), to_picture.Height());
    return 1;
  }
  TDIBSurface rule_picture;
  if (!o.rule.empty() && !ReadPicture(o.rule, rule_picture)) {
    std::fprintf(stderr, "orvokit wipe: cannot read %s\n", o.rule.c_str());
    return 1;
  }
  const int bits = static_cast<int>(o.bits);
  std::unique_ptr<TDIBX> from = ToSurface(from_picture, bits);
  std::unique_ptr<TDIBX> to = ToSurface(to_picture, bits);
  std::unique_ptr<TDIBX> destination = ToSurface(from_picture, bits);
  ProcessRandom().Seed(static_cast<uint32_t>(o.seed));

  try {
    if (!o.frames.empty()) ::mkdir(o.frames.c_str(), 0755);
    const auto write_frame = [&](int64_t elapsed, const TDIBX& picture) {
      if (o.frames.empty()) return;
      char name[32];
      std::snprintf(name, sizeof name, "/%08lld.png", static_cast<long long>(elapsed));
      WriteFileAtomically(o.frames + name, EncodeRgb(picture));
    };
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, *destination, *from, *to);
    if (wipe) {
      wipe->SetDuration(static_cast<int32_t>(*o.duration));
      wipe->SetReverse(o.reverse);
      if (o.param0) wipe->SetParam(0, static_cast<int32_t>(*o.param0));
      if (o.param1) wipe->SetParam(1, static_cast<int32_t>(*o.param1));
      if (!o.rule.empty()) {
        wipe->SetText(o.rule);
        wipe->SetRuleLoader([&rule_picture](const std::string&, TDIBSurface& picture) {
          picture.AssignStore(rule_picture);
          return true;
        });
      }
      wipe->SetOption(o.option);
      wipe->Prepare();
      const auto step = [&](int64_t elapsed) {
        wipe->SetElapsed(static_cast<int32_t>(elapsed));
        // A finished wipe hands over to the new picture.
        if (wipe->Step()) destination->Assign(*to);
        write_frame(elapsed, *destination);
      };
      if (o.step > 0) {
        for (int64_t t = 0; t < *o.time; t += o.step) step(t);
      }
      step(*o.time);
    }
    if (!wipe || *o.time >= wipe->Duration()) destination->Assign(*to);
    WriteFileAtomically(o.output, EncodeRgb(*destination));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "orvokit wipe: %s\n", error.what());
    return 1;
  }
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kName);
  if (args[0] == "list") return List(args);
  if (args[0] == "render") return Render(args);
  return UsageError(kName, "unknown action " + args[0]);
}

const bool registered = RegisterCommand(
    {kName,
     "list | render KIND FROM.png TO.png -o OUT.png --duration D --time T [--param0 N] [--param1 N] [--reverse] "
     "[--option] [--rule PICTURE] [--step MS] [--bits 15|16|32] [--seed N] [--frames DIR]",
     "lists the transition kinds; renders one transition between two pictures at a time", Run});

}  // namespace
}  // namespace orvo::kit
