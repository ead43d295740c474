#include "platform/ui_box.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orvo {

namespace {

// A game may show any text in a box; beyond this many lines the box ends in
// an ellipsis instead of growing past the screen.
constexpr size_t kMaxLines = 30;
constexpr uint32_t kFrameColour = 0x808080;
constexpr uint32_t kButtonFace = 0xFFFFFF;
constexpr uint32_t kFocusedFace = 0xE5F1FB;
constexpr uint32_t kButtonEdge = 0xADADAD;
constexpr uint32_t kFocusEdge = 0x0078D7;

size_t Utf8Length(const std::string& text, size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return std::min(length, text.size() - at);
}

class TCanvas {
 public:
  TCanvas(int width, int height) {
    image_.width = std::max(width, 1);
    image_.height = std::max(height, 1);
    image_.pixels.assign(static_cast<size_t>(image_.width) * static_cast<size_t>(image_.height), 0xFF000000);
  }

  void Fill(const TUiRect& r, uint32_t rgb) {
    for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, image_.height); ++y)
      for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, image_.width); ++x) At(x, y) = 0xFF000000 | rgb;
  }

  void Frame(const TUiRect& r, uint32_t rgb, int thickness) {
    Fill({r.x, r.y, r.w, thickness}, rgb);
    Fill({r.x, r.y + r.h - thickness, r.w, thickness}, rgb);
    Fill({r.x, r.y, thickness, r.h}, rgb);
    Fill({r.x + r.w - thickness, r.y, thickness, r.h}, rgb);
  }

  // Lays a text image (alpha = coverage) over the canvas.
  void Draw(const TUiImage& text, int left, int top) {
    for (int y = 0; y < text.height; ++y) {
      const int dy = top + y;
      if (dy < 0 || dy >= image_.height) continue;
      for (int x = 0; x < text.width; ++x) {
        const int dx = left + x;
        if (dx < 0 || dx >= image_.width) continue;
        const uint32_t source = text.pixels[static_cast<size_t>(y) * static_cast<size_t>(text.width) + x];
        const uint32_t alpha = source >> 24;
        if (alpha == 0) continue;
        uint32_t& target = At(dx, dy);
        uint32_t out = 0xFF000000;
        for (int shift = 0; shift < 24; shift += 8) {
          const uint32_t s = (source >> shift) & 0xFF, d = (target >> shift) & 0xFF;
          out |= ((s * alpha + d * (255 - alpha) + 127) / 255) << shift;
        }
        target = out;
      }
    }
  }

  // A disc with a smooth edge.
  void Disc(const TUiRect& r, uint32_t rgb) {
    const double radius = r.w / 2.0, cx = r.x + radius, cy = r.y + radius;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) {
        const double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        const double cover = std::clamp(radius - distance + 0.5, 0.0, 1.0);
        if (cover <= 0 || x < 0 || y < 0 || x >= image_.width || y >= image_.height) continue;
        TUiImage dot{1, 1, {(static_cast<uint32_t>(std::lround(cover * 255)) << 24) | rgb}};
        Draw(dot, x, y);
      }
  }

  TUiImage Take() { return std::move(image_); }

 private:
  uint32_t& At(int x, int y) {
    return image_.pixels[static_cast<size_t>(y) * static_cast<size_t>(image_.width) + static_cast<size_t>(x)];
  }
  TUiImage image_;
};

const char* IconGlyph(TBoxIcon icon) {
  switch (icon) {
    case TBoxIcon::Error:
      return "×";
    case TBoxIcon::Warning:
      return "!";
    case TBoxIcon::Information:
      return "i";
    case TBoxIcon::Question:
      return "?";
    case TBoxIcon::None:
      break;
  }
  return "";
}

uint32_t IconColour(TBoxIcon icon) {
  switch (icon) {
    case TBoxIcon::Error:
      return 0xD03030;
    case TBoxIcon::Warning:
      return 0xE0A000;
    default:
      return 0x2F6FD0;
  }
}

}  // namespace

std::vector<std::string> WrapUiText(const std::string& text, TUiFont& font, int pixel_height, int width) {
  std::vector<std::string> lines;
  std::string line;
  int line_width = 0;
  auto finish = [&] {
    lines.push_back(line);
    line.clear();
    line_width = 0;
  };
  for (size_t i = 0; i < text.size() && lines.size() <= kMaxLines;) {
    const size_t length = Utf8Length(text, i);
    const std::string character = text.substr(i, length);
    i += length;
    if (character == "\r") continue;
    if (character == "\n") {
      finish();
      continue;
    }
    const int character_width = font.MeasureText(character, pixel_height);
    if (!line.empty() && line_width + character_width > width) {
      const size_t space = line.rfind(' ');
      if (space != std::string::npos && space > 0 && character != " ") {
        std::string rest = line.substr(space + 1);
        line.resize(space);
        finish();
        line = rest;
        line_width = rest.empty() ? 0 : font.MeasureText(rest, pixel_height);
      } else {
        finish();
      }
      if (character == " ") continue;  // a space at a break disappears
    }
    line += character;
    line_width += character_width;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  if (lines.size() > kMaxLines) {
    lines.resize(kMaxLines);
    lines.back() += "…";
  }
  return lines;
}

TUiBoxLayout LayoutUiBox(const TUiBoxRequest& request, TUiFont& font, double scale) {
  TUiBoxLayout layout;
  layout.scale = scale;
  auto px = [scale](double value) { return static_cast<int>(std::lround(value * scale)); };
  const int pad = px(14);
  layout.text_pixels = px(14);
  layout.caption_pixels = px(13);
  const int strip_height = px(24);
  const int caption_line = font.LineHeight(layout.caption_pixels);
  layout.caption = {request.caption, pad, (strip_height - caption_line) / 2};
  const int content_top = strip_height + pad;

  int text_left = pad;
  if (request.icon != TBoxIcon::None) {
    layout.icon = {pad, content_top, px(32), px(32)};
    text_left += layout.icon.w + px(12);
  }
  const int line_height = font.LineHeight(layout.text_pixels);
  const int line_step = line_height + px(2);
  std::vector<std::string> lines = WrapUiText(request.text, font, layout.text_pixels, px(440));
  const int block_height = static_cast<int>(lines.size()) * line_step;
  const int text_top = content_top + std::max(0, (layout.icon.h - block_height) / 2);
  int widest = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    widest = std::max(widest, font.MeasureText(lines[i], layout.text_pixels));
    layout.lines.push_back({lines[i], text_left, text_top + static_cast<int>(i) * line_step});
  }
  int bottom = content_top + std::max(layout.icon.h, block_height);
  if (request.with_input) {
    layout.input = {text_left, bottom + px(10), px(320), px(26)};
    bottom = layout.input.y + layout.input.h;
  }

  const int button_height = px(26), gap = px(8);
  int buttons_width = 0;
  std::vector<int> widths;
  for (const std::string& label : request.buttons) {
    widths.push_back(std::max(px(80), font.MeasureText(label, layout.text_pixels) + px(24)));
    buttons_width += widths.back();
  }
  if (!widths.empty()) buttons_width += gap * static_cast<int>(widths.size() - 1);

  layout.width = std::max({px(260), text_left + widest + pad, buttons_width + 2 * pad,
                           font.MeasureText(request.caption, layout.caption_pixels) + 2 * pad,
                           request.with_input ? layout.input.x + layout.input.w + pad : 0});
  if (request.with_input) layout.input.w = layout.width - layout.input.x - pad;
  const int buttons_top = bottom + px(16);
  int x = (layout.width - buttons_width) / 2;
  for (int width : widths) {
    layout.buttons.push_back({x, buttons_top, width, button_height});
    x += width + gap;
  }
  layout.height = buttons_top + button_height + pad;
  layout.caption_strip = {0, 0, layout.width, strip_height};
  return layout;
}

TUiImage PaintUiBox(const TUiBoxRequest& request, const TUiBoxLayout& layout, TUiFont& font, const TUiBoxState& state) {
  auto px = [&layout](double value) { return std::max(1, static_cast<int>(std::lround(value * layout.scale))); };
  TCanvas canvas(layout.width, layout.height);
  canvas.Fill({0, 0, layout.width, layout.height}, kUiBoxBackground);
  canvas.Fill(layout.caption_strip, kUiBoxCaptionStrip);
  canvas.Frame({0, 0, layout.width, layout.height}, kFrameColour, 1);
  canvas.Draw(font.RenderText(layout.caption.text, layout.caption_pixels, kUiBoxCaptionText), layout.caption.x,
              layout.caption.y);
  if (request.icon != TBoxIcon::None) {
    canvas.Disc(layout.icon, IconColour(request.icon));
    const int glyph_pixels = px(20);
    TUiImage glyph = font.RenderText(IconGlyph(request.icon), glyph_pixels, 0xFFFFFF);
    canvas.Draw(glyph, layout.icon.x + (layout.icon.w - glyph.width) / 2,
                layout.icon.y + (layout.icon.h - glyph.height) / 2);
  }
  for (const TUiTextLine& line : layout.lines) {
    canvas.Draw(font.RenderText(line.text, layout.text_pixels, kUiBoxText), line.x, line.y);
  }
  if (request.with_input) {
    const TUiRect& field = layout.input;
    canvas.Fill(field, 0xFFFFFF);
    canvas.Frame(field, kFocusEdge, 1);
    const int inset = px(5);
    const int line_height = font.LineHeight(layout.text_pixels);
    const int top = field.y + (field.h - line_height) / 2;
    int x = field.x + inset;
    if (!state.input.empty()) {
      canvas.Draw(font.RenderText(state.input, layout.text_pixels, kUiBoxText), x, top);
      x += font.MeasureText(state.input, layout.text_pixels);
    }
    if (!state.preedit.empty()) {
      // Text the input method has not committed yet is underlined, as input methods expect.
      const int width = font.MeasureText(state.preedit, layout.text_pixels);
      canvas.Draw(font.RenderText(state.preedit, layout.text_pixels, 0x404040), x, top);
      canvas.Fill({x, top + line_height - 1, width, 1}, 0x404040);
      x += width;
    }
    canvas.Fill({x, top, px(1), line_height}, kUiBoxText);
  }
  for (size_t i = 0; i < layout.buttons.size() && i < request.buttons.size(); ++i) {
    const TUiRect& r = layout.buttons[i];
    const bool focused = i == state.focus;
    canvas.Fill(r, focused ? kFocusedFace : kButtonFace);
    canvas.Frame(r, focused ? kFocusEdge : kButtonEdge, focused ? px(2) : 1);
    TUiImage label = font.RenderText(request.buttons[i], layout.text_pixels, kUiBoxText);
    canvas.Draw(label, r.x + (r.w - label.width) / 2, r.y + (r.h - label.height) / 2);
  }
  return canvas.Take();
}

bool HandleUiBoxKey(const TUiBoxRequest& request, TUiBoxState& state, TUiKey key, size_t& chosen) {
  const size_t count = std::max<size_t>(request.buttons.size(), 1);
  auto step = [&](size_t by) { state.focus = (state.focus % count + by) % count; };
  switch (key) {
    case TUiKey::Enter:
      chosen = std::min(state.focus, count - 1);
      return true;
    case TUiKey::Escape:
      chosen = std::min(request.escape_button, count - 1);
      return true;
    case TUiKey::Space:
      // In an edit line a space is text.
      if (request.with_input) return false;
      chosen = std::min(state.focus, count - 1);
      return true;
    case TUiKey::Left:
    case TUiKey::Up:
      if (!request.with_input || key == TUiKey::Up) step(count - 1);
      return false;
    case TUiKey::Right:
    case TUiKey::Down:
      if (!request.with_input || key == TUiKey::Down) step(1);
      return false;
    case TUiKey::Tab:
      step(1);
      return false;
    case TUiKey::BackTab:
      step(count - 1);
      return false;
    case TUiKey::Backspace:
      if (request.with_input && state.preedit.empty() && !state.input.empty()) {
        size_t at = state.input.size() - 1;
        while (at > 0 && (static_cast<unsigned char>(state.input[at]) & 0xC0) == 0x80) --at;
        state.input.resize(at);
      }
      return false;
  }
  return false;
}

double UiScaleFromEnvironment() {
  for (const char* name : {"ORVO_UI_SCALE", "GDK_SCALE"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    char* end = nullptr;
    const double scale = std::strtod(value, &end);
    if (end && *end == '\0' && scale >= 1 && scale <= 4) return scale;
  }
  return 1;
}

}  // namespace orvo
