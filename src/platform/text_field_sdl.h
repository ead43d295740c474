#pragma once
// Internal to the platform layer: the window's text fields, drawn by the
// player over the stage (scaled with it) and typed into through SDL text
// input, so that the desktop's input method (fcitx5, IBus with Mozc) composes
// into them: its pre-edit text is drawn underlined at the caret and its
// candidate window is placed there.
#include <SDL.h>

#include <map>
#include <string>

#include "platform/text_field_base.h"
#include "platform/ui_text.h"

namespace orvo {

class TSdlTextFields : public TTextFieldGroup {
 public:
  explicit TSdlTextFields(SDL_Renderer* renderer);
  ~TSdlTextFields() override;

  std::string ClipboardText() const override;
  void SetClipboardText(const std::string& utf8) override;
  void FieldChanged(TTextField& field) override;

  // Takes keyboard and text events while a field holds the focus; true when the event was the field's.
  bool HandleEvent(const SDL_Event& event);
  // Draws the shown fields over the stage, which lies at stage_rect of the
  // output (stage_width x stage_height stage pixels); density is output
  // pixels per window point.
  void Render(const SDL_Rect& stage_rect, int stage_width, int stage_height, float density);
  // True once after a field changed: the window must be drawn again.
  bool TakeDirty();

 protected:
  void FocusMoved(TTextField* old, TTextField* now) override;

 private:
  void RenderField(TTextField& field, const SDL_Rect& stage_rect, double scale_x, double scale_y, float density);
  // A texture of one line of text (cached while the cache is small).
  SDL_Texture* LineTexture(const std::string& utf8, int pixel_height, int32_t colour, int& width, int& height);
  void UpdateTextInput();

  SDL_Renderer* renderer_;
  TUiFont font_;
  std::map<std::string, SDL_Texture*> lines_;
  bool dirty_ = false;
  bool text_input_ = false;
};

}  // namespace orvo
