#pragma once
// A headless stage for buttons, list menus and labels: pictures in memory
// and a pixel font "Pix" whose printable letters are solid 8 x 8 blocks
// in cells 10 pixels wide.
#include <string>
#include <vector>

#include "stage/button.h"
#include "stage/label.h"
#include "stage/list_box.h"
#include "stage/picture_fixture.h"
#include "stage/stage_fixture.h"
#include "surface/font_fixture.h"

namespace orvo::test {

class ChoiceTest : public StageTest {
 protected:
  ChoiceTest();

  // Adds a one-colour picture file.
  void Picture(const std::string& name, int32_t width, int32_t height, int32_t colour);
  TOrvoButton* Button(const std::string& name, int32_t left, int32_t top, const std::string& normal,
                      TOrvoControl* parent = nullptr);
  TOrvoMenu* Menu(const std::string& name, const std::string& items, int32_t rows);
  TOrvoLabel* Label(const std::string& name, const std::string& text);
  // The colour (0x00BBGGRR) the stage shows at a point after painting.
  int32_t Pixel(int32_t x, int32_t y);
  // Rows of the display from top to bottom within [x0, x1) as '#' (colour) and '.' (anything else).
  std::vector<std::string> Rows(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour);
  void Click(int32_t x, int32_t y);

  TTableFonts system_;
  TPixelFontManager pixel_fonts_;
  TFontPixelManager glyphs_;
  TMemoryPictures files_;
};

}  // namespace orvo::test
