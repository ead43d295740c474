#pragma once
// Pictures for the stage tests: layered picture files made in memory, a game
// file source over them, and a stage that shows them headless.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/runtime_state.h"
#include "stage/picture_cache.h"
#include "stage/stage.h"

namespace orvo::test {

// One frame: colours 0x00BBGGRR by position, an optional transparent colour
// and an optional mask (0 transparent .. 255 opaque).
struct TTestFrame {
  int32_t width = 4;
  int32_t height = 4;
  std::function<int32_t(int32_t x, int32_t y)> colour = [](int32_t, int32_t) { return 0x0000FF; };
  int32_t key = -1;
  std::function<int32_t(int32_t x, int32_t y)> mask;
  int32_t delay = 100;
};

// A ".dov" file of the frames.
std::string DovaBytes(const std::vector<TTestFrame>& frames);
// A single frame of one colour.
TTestFrame Plain(int32_t width, int32_t height, int32_t colour);

class TMemoryPictures : public IPictureFiles {
 public:
  bool Contains(const std::string& name) override { return files.count(name) > 0; }
  std::string Load(const std::string& name) override {
    ++loads[name];
    return files.at(name);
  }
  std::map<std::string, std::string> files;
  std::map<std::string, int> loads;
};

class PictureTest : public ::testing::Test {
 public:
  PictureTest();

  // A new object of a kind on the active screen (or under parent), named.
  TOrvoControl* Make(uint8_t kind, const std::string& name, TOrvoControl* parent = nullptr);
  void Set(TOrvoObject& object, int32_t id, TPropValue value) { object.SetProperty(id, std::move(value)); }
  // One frame: update (the clock advances by delta first), paint, dirty lists cleared.
  void Frame(int32_t delta = 15);
  // The colour (0x00BBGGRR) the stage shows at a point after painting.
  int32_t Pixel(int32_t x, int32_t y);
  std::vector<std::string> TakeEvents();

  TRuntimeState state_;
  TOrvoBaseList stage_;
  TMemoryPictures files_;
};

}  // namespace orvo::test
