#include "stage/choice_fixture.h"

namespace orvo::test {

ChoiceTest::ChoiceTest() : system_({}), glyphs_(&system_, pixel_fonts_) {
  EXPECT_NE(pixel_fonts_.AddFontFile(SquareLetterFontFile(255)), nullptr);
  stage_.SetSize(200, 120);
  stage_.SetGlyphs(&glyphs_);
  stage_.Pictures().SetFiles(&files_);
}

void ChoiceTest::Picture(const std::string& name, int32_t width, int32_t height, int32_t colour) {
  files_.files[name] = DovaBytes({Plain(width, height, colour)});
}

TOrvoButton* ChoiceTest::Button(const std::string& name, int32_t left, int32_t top, const std::string& normal,
                                TOrvoControl* parent) {
  auto* button = static_cast<TOrvoButton*>(stage_.CreateByKind(kcButton));
  button->SetName(name);
  button->SetParent(parent ? parent : &stage_.ActiveScreen());
  button->SetProperty(PR_SOURCE, TPropValue::Str(normal));
  button->SetProperty(PR_LEFT, TPropValue::Int(left));
  button->SetProperty(PR_TOP, TPropValue::Int(top));
  return button;
}

TOrvoMenu* ChoiceTest::Menu(const std::string& name, const std::string& items, int32_t rows) {
  auto* menu = static_cast<TOrvoMenu*>(stage_.CreateByKind(kcMenu));
  menu->SetName(name);
  menu->SetParent(&stage_.ActiveScreen());
  menu->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
  menu->SetProperty(PR_FONTHEIGHT, TPropValue::Int(10));
  menu->SetProperty(PR_ROWCOUNT, TPropValue::Int(rows));
  menu->SetProperty(PR_TEXT, TPropValue::Str(items));
  menu->SetProperty(PR_HANDLEKEY, TPropValue::Bool(true));
  return menu;
}

TOrvoLabel* ChoiceTest::Label(const std::string& name, const std::string& text) {
  auto* label = static_cast<TOrvoLabel*>(stage_.CreateByKind(kcLabel));
  label->SetName(name);
  label->SetParent(&stage_.ActiveScreen());
  label->SetProperty(PR_FONTNAME, TPropValue::Str("Pix"));
  label->SetProperty(PR_FONTHEIGHT, TPropValue::Int(10));
  label->SetProperty(PR_FONTCOLOR, TPropValue::Int(0xFFFFFF));
  label->SetProperty(PR_TEXT, TPropValue::Str(text));
  return label;
}

int32_t ChoiceTest::Pixel(int32_t x, int32_t y) {
  stage_.PaintAll();
  stage_.ClearDirty();
  const uint32_t p = stage_.DisplaySurface().GetPixel(x, y);
  return static_cast<int32_t>(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
}

std::vector<std::string> ChoiceTest::Rows(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour) {
  std::vector<std::string> rows;
  for (int32_t y = y0; y < y1; ++y) {
    std::string row;
    for (int32_t x = x0; x < x1; ++x) row += Pixel(x, y) == colour ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

void ChoiceTest::Click(int32_t x, int32_t y) {
  Move(x, y);
  Frame();
  Press(TMouseButton::Left, x, y);
  Frame();
  Release(TMouseButton::Left, x, y);
  Frame();
}

}  // namespace orvo::test
