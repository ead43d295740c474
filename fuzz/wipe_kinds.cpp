// Every wipe kind stepped on tiny screens with extreme parameters, durations
// and times (zero, the last millisecond, the end, beyond, backwards, the
// largest int32), in every pixel format the stage uses.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <limits>
#include <memory>

#include "base/random.h"
#include "surface/dibx.h"
#include "wipe/wipe.h"

namespace {

using namespace orvo;

int32_t Extreme(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 6)) {
    case 0:
      return std::numeric_limits<int32_t>::min();
    case 1:
      return std::numeric_limits<int32_t>::max();
    case 2:
      return 0;
    case 3:
      return in.ConsumeIntegral<int32_t>();
    default:
      return in.ConsumeIntegralInRange<int32_t>(-3, 300);
  }
}

std::unique_ptr<TDIBX> Picture(FuzzedDataProvider& in, int32_t w, int32_t h, int bits) {
  auto surface = std::make_unique<TDIBX>();
  surface->SetSize(w, h, bits);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) surface->SetPixel(x, y, in.ConsumeIntegralInRange<uint32_t>(0, 3) * 0x3F3F3Fu);
  }
  return surface;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int32_t kind = in.ConsumeIntegralInRange<int32_t>(0, 40);
  const int32_t w = in.ConsumeIntegralInRange<int32_t>(1, 13);
  const int32_t h = in.ConsumeIntegralInRange<int32_t>(1, 13);
  const int bits = in.PickValueInArray({15, 16, 24, 32});
  auto destination = Picture(in, w, h, bits);
  auto from = Picture(in, w, h, bits);
  auto to = Picture(in, w, h, bits);
  ProcessRandom().Seed(in.ConsumeIntegral<uint32_t>());
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, *destination, *from, *to);
  if (!wipe) return 0;
  const int32_t duration = Extreme(in);
  wipe->SetDuration(duration);
  wipe->SetReverse(in.ConsumeBool());
  if (in.ConsumeBool()) wipe->SetParam(0, Extreme(in));
  if (in.ConsumeBool()) wipe->SetParam(1, Extreme(in));
  wipe->SetOption(in.ConsumeBool());
  if (in.ConsumeBool()) {
    wipe->SetText("rule");
    const int32_t rule_w = in.ConsumeIntegralInRange<int32_t>(1, 5);
    const int32_t rule_h = in.ConsumeIntegralInRange<int32_t>(1, 5);
    const uint32_t seed = in.ConsumeIntegral<uint32_t>();
    wipe->SetRuleLoader([=](const std::string&, TDIBSurface& picture) {
      picture.SetSize(rule_w, rule_h, 24);
      uint32_t value = seed;
      for (int32_t y = 0; y < rule_h; ++y) {
        for (int32_t x = 0; x < rule_w; ++x) picture.SetPixel(x, y, (value = value * 69069u + 1u) >> 8);
      }
      return true;
    });
  }
  wipe->Prepare();
  const int32_t d = wipe->Duration();
  while (in.remaining_bytes() > 0) {
    int32_t t = 0;
    switch (in.ConsumeIntegralInRange<int>(0, 6)) {
      case 0:
        t = 0;
        break;
      case 1:
        t = d - 1;
        break;
      case 2:
        t = d;
        break;
      case 3:
        t = std::numeric_limits<int32_t>::max();
        break;
      case 4:
        t = d > 1 ? d - 2 : 0;
        break;
      default:
        t = in.ConsumeIntegralInRange<int32_t>(0, d);
        break;
    }
    wipe->SetElapsed(t);
    wipe->Step();
  }
  return 0;
}
