#pragma once
// Text for the shell's own controls (toolbar buttons, the run-configuration
// window): a system Japanese font rasterised with anti-aliasing.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvo {

// 32-bit pixels 0xAARRGGBB, alpha = coverage.
struct TUiImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

class TUiFont {
 public:
  TUiFont();
  ~TUiFont();
  // False when no font file could be found or opened; RenderText then gives empty images.
  bool Ready() const;
  // Renders one line of UTF-8 text at a pixel height, in colour 0x00RRGGBB.
  TUiImage RenderText(const std::string& utf8, int pixel_height, uint32_t rgb);
  // The width and height RenderText gives the same line, without drawing it.
  int MeasureText(const std::string& utf8, int pixel_height);
  int LineHeight(int pixel_height);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

// The file of the default Japanese interface font (fontconfig match), or "".
std::string FindUiFontFile();

}  // namespace orvo
