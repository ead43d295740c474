#pragma once
// Pictures and input for the bar control tests: a stage of 320 x 240 with
// bar, thumb and button pictures whose cells have colours of their own.
#include <string>
#include <vector>

#include "stage/gauge.h"
#include "stage/picture_fixture.h"
#include "stage/slider.h"

namespace orvo::test {

// Cell colours: the bar's left and right cells, the thumb's three states and
// the buttons' six cells.
constexpr int32_t kBarLeft = 0x0000C0, kBarRight = 0x00C000;
constexpr int32_t kThumbColours[3] = {0xC00000, 0xC000C0, 0xC0C000};
constexpr int32_t kButtonColours[6] = {0x101010, 0x202020, 0x303030, 0x404040, 0x505050, 0x606060};
constexpr int32_t kBackground = 0;

class BarTest : public PictureTest {
 public:
  BarTest();

  // A bar picture of two cells, cell x cell_height pixels each.
  void AddBar(const std::string& name, int32_t cell_width, int32_t cell_height);
  // A slider or scroll bar at (10, 20) with "bar.dov" (200 x 4 cells, or
  // "vbar.dov", 4 x 200, when upright), "thumb.dov"
  // (10 x 10) and "buttons.dov" (8 x 8), minimum 0, maximum 100.
  // "vbar.dov" is the upright bar (4 x 200 cells).
  TOrvoSlider* MakeSlider(uint8_t kind, const std::string& name, int32_t orientation);
  // One whole frame step: input, update, paint.
  void Step(int32_t delta = 15);
  void Move(int32_t x, int32_t y);
  void Press(int32_t x, int32_t y);
  void Release(int32_t x, int32_t y);
  void Key(int32_t code, bool down);
  // Byte images of the stage's record.
  std::string Save() const;
  void Load(const std::string& bytes, int32_t version = 201);
};

}  // namespace orvo::test
