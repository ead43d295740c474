#include "platform/text_field_sdl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/cp932.h"
#include "platform/sdl_keys.h"

namespace orvo {

namespace {

constexpr size_t kLineCacheLimit = 128;
constexpr int32_t kSelectionColour = 0xD77800;  // 0x00BBGGRR

void SetColour(SDL_Renderer* renderer, int32_t colour, Uint8 alpha = 255) {
  SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(colour & 0xFF), static_cast<Uint8>((colour >> 8) & 0xFF),
                         static_cast<Uint8>((colour >> 16) & 0xFF), alpha);
}

// The lines of a field's text (CP932, split at CR LF) with their byte offsets.
struct TLine {
  size_t start;
  std::string text;
};

std::vector<TLine> SplitLines(const std::string& text, bool multi_line) {
  std::vector<TLine> lines;
  if (!multi_line) {
    lines.push_back({0, text});
    return lines;
  }
  size_t start = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == '\n') {
      const size_t end = i > start && text[i - 1] == '\r' ? i - 1 : i;
      lines.push_back({start, text.substr(start, end - start)});
      start = i + 1;
    }
  }
  lines.push_back({start, text.substr(start)});
  return lines;
}

}  // namespace

TSdlTextFields::TSdlTextFields(SDL_Renderer* renderer) : renderer_(renderer) {
  // SDL starts with text input on: the input method would compose for the game itself.
  SDL_StopTextInput();
}

TSdlTextFields::~TSdlTextFields() {
  for (auto& [key, texture] : lines_) SDL_DestroyTexture(texture);
  if (text_input_) SDL_StopTextInput();
}

std::string TSdlTextFields::ClipboardText() const {
  char* text = SDL_GetClipboardText();
  std::string out = text ? text : "";
  SDL_free(text);
  return out;
}

void TSdlTextFields::SetClipboardText(const std::string& utf8) { SDL_SetClipboardText(utf8.c_str()); }

void TSdlTextFields::FieldChanged(TTextField& field) {
  dirty_ = true;
  if (&field == Focused()) UpdateTextInput();
}

void TSdlTextFields::FocusMoved(TTextField* old, TTextField* now) {
  (void)old;
  (void)now;
  dirty_ = true;
  UpdateTextInput();
}

void TSdlTextFields::UpdateTextInput() {
  // The disabled input-method mode takes no text at all; every other mode types.
  TTextField* field = Focused();
  const bool wanted = field && field->Enabled() && !field->ReadOnly() && field->ImeMode() != imDisable;
  if (wanted == text_input_) return;
  text_input_ = wanted;
  if (wanted) {
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
  }
}

bool TSdlTextFields::TakeDirty() {
  const bool dirty = dirty_;
  dirty_ = false;
  return dirty;
}

bool TSdlTextFields::HandleEvent(const SDL_Event& event) {
  TTextField* field = Focused();
  if (!field) return false;
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int key = VirtualKeyFromSdl(event.key.keysym.sym);
      if (key == 0) return true;
      if (event.type == SDL_KEYUP) {
        field->KeyUp(key);
      } else if (field->Preedit().empty()) {
        // While the input method composes, its keys are its own.
        field->KeyDown(key);
      }
      return true;
    }
    case SDL_TEXTINPUT:
      field->CommitText(event.text.text);
      return true;
    case SDL_TEXTEDITING:
      field->SetPreedit(event.edit.text, event.edit.start);
      return true;
    default:
      return false;
  }
}

SDL_Texture* TSdlTextFields::LineTexture(const std::string& utf8, int pixel_height, int32_t colour, int& width,
                                         int& height) {
  width = height = 0;
  if (utf8.empty() || !font_.Ready()) return nullptr;
  const std::string key = std::to_string(pixel_height) + ":" + std::to_string(colour) + ":" + utf8;
  auto it = lines_.find(key);
  if (it == lines_.end()) {
    if (lines_.size() >= kLineCacheLimit) {
      for (auto& [old_key, texture] : lines_) SDL_DestroyTexture(texture);
      lines_.clear();
    }
    const uint32_t rgb = static_cast<uint32_t>(((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF));
    TUiImage image = font_.RenderText(utf8, pixel_height, rgb);
    SDL_Texture* texture =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, image.width, image.height);
    if (!texture) return nullptr;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_UpdateTexture(texture, nullptr, image.pixels.data(), image.width * 4);
    it = lines_.emplace(key, texture).first;
  }
  SDL_QueryTexture(it->second, nullptr, nullptr, &width, &height);
  return it->second;
}

void TSdlTextFields::Render(const SDL_Rect& stage_rect, int stage_width, int stage_height, float density) {
  const double scale_x = static_cast<double>(stage_rect.w) / std::max(stage_width, 1);
  const double scale_y = static_cast<double>(stage_rect.h) / std::max(stage_height, 1);
  for (TTextField* field : Fields()) {
    if (field->Visible()) RenderField(*field, stage_rect, scale_x, scale_y, density);
  }
  SDL_RenderSetClipRect(renderer_, nullptr);
}

void TSdlTextFields::RenderField(TTextField& field, const SDL_Rect& stage_rect, double scale_x, double scale_y,
                                 float density) {
  const TRect b = field.Bounds();
  SDL_Rect area{stage_rect.x + static_cast<int>(std::lround(b.left * scale_x)),
                stage_rect.y + static_cast<int>(std::lround(b.top * scale_y)),
                static_cast<int>(std::lround(static_cast<double>(b.Width()) * scale_x)),
                static_cast<int>(std::lround(static_cast<double>(b.Height()) * scale_y))};
  if (area.w <= 0 || area.h <= 0) return;
  SDL_RenderSetClipRect(renderer_, &area);
  if (field.Background() >= 0) {
    SetColour(renderer_, field.Background());
    SDL_RenderFillRect(renderer_, &area);
  }
  const TTextFieldFont& font = field.Font();
  const int32_t height = font.height == 0 ? 12 : std::min(std::abs(std::max(font.height, -4096)), 4096);
  const int pixel_height = std::max(1, static_cast<int>(std::lround(height * scale_y)));
  const int line_height = std::max(1, font_.LineHeight(pixel_height));
  const int pad = std::max(1, static_cast<int>(std::lround(2 * scale_x)));
  const std::vector<TLine> lines = SplitLines(field.Text(), field.MultiLine());
  const size_t caret = field.Caret(), sel_start = field.SelectionStart(), sel_end = field.SelectionEnd();
  const auto measure = [this, pixel_height](const std::string& cp932) {
    return cp932.empty() ? 0 : font_.MeasureText(Cp932ToUtf8(cp932), pixel_height);
  };
  // The caret's line and x; the memo scrolls by lines, the edit by pixels, to keep it in view.
  size_t caret_line = lines.size() - 1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (caret >= lines[i].start && caret <= lines[i].start + lines[i].text.size()) {
      caret_line = i;
      break;
    }
  }
  const TLine& here = lines[caret_line];
  const std::string before_caret = here.text.substr(0, std::min(here.text.size(), caret - here.start));
  const int caret_x_in_line = measure(before_caret);
  const int preedit_width = field.Preedit().empty() ? 0 : font_.MeasureText(field.Preedit(), pixel_height);
  const int visible_lines = std::max(1, area.h / line_height);
  int first_line = field.ScrollLine();
  if (static_cast<int>(caret_line) < first_line) first_line = static_cast<int>(caret_line);
  if (static_cast<int>(caret_line) >= first_line + visible_lines)
    first_line = static_cast<int>(caret_line) - visible_lines + 1;
  field.SetScrollLine(first_line);
  int shift_x = 0;
  if (!field.MultiLine()) shift_x = std::max(0, caret_x_in_line + preedit_width + 2 * pad - area.w);
  const int top = field.MultiLine() ? area.y + pad : area.y + (area.h - line_height) / 2;

  int caret_x = area.x, caret_y = top;
  for (size_t i = static_cast<size_t>(first_line); i < lines.size(); ++i) {
    const int y = top + static_cast<int>(i - static_cast<size_t>(first_line)) * line_height;
    if (y >= area.y + area.h) break;
    const TLine& line = lines[i];
    std::string shown = line.text;
    const bool composing = i == caret_line && !field.Preedit().empty();
    const int line_width = measure(line.text) + (composing ? preedit_width : 0);
    int x = area.x + pad - shift_x;
    if (field.Alignment() == 1) x = area.x + area.w - pad - line_width;
    if (field.Alignment() == 2) x = area.x + (area.w - line_width) / 2;
    // The selected part of the line behind its text.
    const size_t line_end = line.start + line.text.size();
    const size_t from = std::max(sel_start, line.start), to = std::min(sel_end, line_end);
    if (from < to && field.Focused()) {
      const int x0 = x + measure(line.text.substr(0, from - line.start));
      const int x1 = x + measure(line.text.substr(0, to - line.start));
      SDL_Rect band{x0, y, std::max(1, x1 - x0), line_height};
      SetColour(renderer_, kSelectionColour);
      SDL_RenderFillRect(renderer_, &band);
    }
    const std::string head = composing ? before_caret : line.text;
    int width = 0, h = 0;
    if (SDL_Texture* texture = LineTexture(Cp932ToUtf8(head), pixel_height, font.colour, width, h)) {
      SDL_Rect to_rect{x, y, width, h};
      SDL_RenderCopy(renderer_, texture, nullptr, &to_rect);
    }
    if (i == caret_line) {
      caret_x = x + caret_x_in_line;
      caret_y = y;
    }
    if (composing) {
      // The word being composed, underlined, then the rest of the line after it.
      int pw = 0, ph = 0;
      if (SDL_Texture* texture = LineTexture(field.Preedit(), pixel_height, font.colour, pw, ph)) {
        SDL_Rect to_rect{caret_x, y, pw, ph};
        SDL_RenderCopy(renderer_, texture, nullptr, &to_rect);
      }
      SetColour(renderer_, font.colour);
      SDL_Rect underline{caret_x, y + line_height - std::max(1, pad / 2), preedit_width, std::max(1, pad / 2)};
      SDL_RenderFillRect(renderer_, &underline);
      const std::string tail = line.text.substr(before_caret.size());
      if (SDL_Texture* texture = LineTexture(Cp932ToUtf8(tail), pixel_height, font.colour, width, h)) {
        SDL_Rect to_rect{caret_x + preedit_width, y, width, h};
        SDL_RenderCopy(renderer_, texture, nullptr, &to_rect);
      }
    }
    if (font.style & kFieldUnderline) {
      SetColour(renderer_, font.colour);
      SDL_Rect underline{x, y + line_height - 1, line_width, 1};
      SDL_RenderFillRect(renderer_, &underline);
    }
  }
  if (field.Focused() && field.Enabled()) {
    const int caret_at = caret_x + (field.Preedit().empty() ? 0 : preedit_width);
    SetColour(renderer_, font.colour);
    SDL_Rect bar{caret_at, caret_y, std::max(1, pad / 2), line_height};
    SDL_RenderFillRect(renderer_, &bar);
    // The input method's candidate window opens below the caret (window points).
    const float points = density > 0 ? density : 1.0f;
    SDL_Rect input{static_cast<int>(static_cast<float>(caret_at) / points),
                   static_cast<int>(static_cast<float>(caret_y) / points), 1,
                   static_cast<int>(static_cast<float>(line_height) / points)};
    SDL_SetTextInputRect(&input);
  }
}

}  // namespace orvo
