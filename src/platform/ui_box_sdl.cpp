// The box window: the painted box in a window of its own, modal over the
// game window, with the keyboard, the mouse and the input method.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/ui_box.h"

namespace orvo {

namespace {

SDL_Window* g_owner = nullptr;

bool TranslateKey(const SDL_Keysym& key, TUiKey& out) {
  switch (key.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      out = TUiKey::Enter;
      return true;
    case SDLK_ESCAPE:
      out = TUiKey::Escape;
      return true;
    case SDLK_SPACE:
      out = TUiKey::Space;
      return true;
    case SDLK_LEFT:
      out = TUiKey::Left;
      return true;
    case SDLK_RIGHT:
      out = TUiKey::Right;
      return true;
    case SDLK_UP:
      out = TUiKey::Up;
      return true;
    case SDLK_DOWN:
      out = TUiKey::Down;
      return true;
    case SDLK_TAB:
      out = (key.mod & KMOD_SHIFT) ? TUiKey::BackTab : TUiKey::Tab;
      return true;
    case SDLK_BACKSPACE:
      out = TUiKey::Backspace;
      return true;
    default:
      return false;
  }
}

class TBoxWindow {
 public:
  explicit TBoxWindow(const TUiBoxRequest& request) : request_(request) {
    state_.focus = std::min(request.default_button, std::max<size_t>(request.buttons.size(), 1) - 1);
    state_.input = request.input;
  }

  ~TBoxWindow() {
    if (request_.with_input) SDL_StopTextInput();
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    // Without a window manager the focus would go nowhere and the game would
    // stay inactive.
    if (window_ && g_owner) SDL_SetWindowInputFocus(g_owner);
    if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  TUiBoxResult Run() {
    TUiBoxResult result;
    if (!font_.Ready() || !Open()) return result;
    result.shown = true;
    result.button = request_.escape_button;
    bool open = true;
    while (open) {
      if (dirty_) Present();
      // Polled rather than waited for: a wait makes this window the one that
      // other threads wake with a message, and a message that arrives after
      // the window is destroyed is a fatal X error in this version of SDL.
      SDL_Event event;
      if (!SDL_PollEvent(&event)) {
        SDL_Delay(10);
        continue;
      }
      open = Handle(event, result.button);
    }
    result.input = state_.input;
    for (SDL_Event& later : deferred_) SDL_PushEvent(&later);
    return result;
  }

 private:
  bool Open() {
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    video_ = true;
    const double scale = UiScaleFromEnvironment();
    layout_ = LayoutUiBox(request_, font_, scale);
    window_ = SDL_CreateWindow(request_.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, layout_.width,
                               layout_.height, SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window_) return false;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) return false;
    // Where the window system counts in points (HiDPI), the box is laid out
    // again in the output's own pixels so that its text stays sharp.
    int output_w = layout_.width, output_h = layout_.height;
    SDL_GetRendererOutputSize(renderer_, &output_w, &output_h);
    const double density = static_cast<double>(output_w) / std::max(layout_.width, 1);
    if (density > 1.01) {
      layout_ = LayoutUiBox(request_, font_, scale * density);
      SDL_SetWindowSize(window_, static_cast<int>(std::lround(layout_.width / density)),
                        static_cast<int>(std::lround(layout_.height / density)));
    }
    PlaceOverOwner(density);
    SDL_SetWindowResizable(window_, SDL_FALSE);
    if (g_owner) SDL_SetWindowModalFor(window_, g_owner);
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    if (request_.with_input) SDL_StartTextInput();
    return true;
  }

  void PlaceOverOwner(double density) {
    if (!g_owner) return;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(g_owner, &x, &y);
    SDL_GetWindowSize(g_owner, &w, &h);
    const int box_w = static_cast<int>(std::lround(layout_.width / density));
    const int box_h = static_cast<int>(std::lround(layout_.height / density));
    SDL_SetWindowPosition(window_, x + (w - box_w) / 2, y + (h - box_h) / 2);
  }

  void Present() {
    dirty_ = false;
    TUiImage image = PaintUiBox(request_, layout_, font_, state_);
    if (!texture_) {
      texture_ =
          SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, image.width, image.height);
      if (!texture_) return;
    }
    SDL_UpdateTexture(texture_, nullptr, image.pixels.data(), image.width * 4);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  // Box coordinates of a window point.
  void ToBox(int x, int y, int& bx, int& by) const {
    int w = 1, h = 1;
    SDL_GetWindowSize(window_, &w, &h);
    bx = static_cast<int>(std::floor(static_cast<double>(x) * layout_.width / std::max(w, 1)));
    by = static_cast<int>(std::floor(static_cast<double>(y) * layout_.height / std::max(h, 1)));
  }

  int ButtonAt(int x, int y) const {
    int bx = 0, by = 0;
    ToBox(x, y, bx, by);
    for (size_t i = 0; i < layout_.buttons.size(); ++i) {
      if (layout_.buttons[i].Contains(bx, by)) return static_cast<int>(i);
    }
    return -1;
  }

  // False when the box closes (chosen then holds the answer).
  bool Handle(const SDL_Event& event, size_t& chosen) {
    const Uint32 id = SDL_GetWindowID(window_);
    switch (event.type) {
      case SDL_QUIT:
        // The game's close request waits until the box is answered.
        SDL_PushEvent(const_cast<SDL_Event*>(&event));
        chosen = request_.escape_button;
        return false;
      case SDL_WINDOWEVENT:
        if (event.window.windowID != id) {
          // The game window repaints what the box covered once the box is gone.
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED && deferred_.size() < 64) deferred_.push_back(event);
          return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          chosen = request_.escape_button;
          return false;
        }
        dirty_ = true;
        return true;
      case SDL_KEYUP:
      case SDL_MOUSEBUTTONUP:
        // A key or button let go over the box must not stay held for the game.
        if (event.type == SDL_KEYUP || event.button.windowID != id) {
          if (deferred_.size() < 64) deferred_.push_back(event);
          if (event.type == SDL_KEYUP) return true;
        }
        if (event.type == SDL_MOUSEBUTTONUP) return MouseUp(event, chosen);
        return true;
      case SDL_KEYDOWN: {
        if (event.key.windowID != id && event.key.windowID != 0) return true;
        TUiKey key;
        if (!TranslateKey(event.key.keysym, key)) return true;
        dirty_ = true;
        return !HandleUiBoxKey(request_, state_, key, chosen);
      }
      case SDL_TEXTINPUT:
        if (!request_.with_input || event.text.windowID != id) return true;
        state_.input += event.text.text;
        state_.preedit.clear();
        dirty_ = true;
        return true;
      case SDL_TEXTEDITING:
        if (!request_.with_input || event.edit.windowID != id) return true;
        state_.preedit = event.edit.text;
        dirty_ = true;
        return true;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID != id || event.button.button != SDL_BUTTON_LEFT) return true;
        pressed_ = ButtonAt(event.button.x, event.button.y);
        if (pressed_ >= 0) {
          state_.focus = static_cast<size_t>(pressed_);
          dirty_ = true;
        }
        return true;
      default:
        return true;
    }
  }

  bool MouseUp(const SDL_Event& event, size_t& chosen) {
    if (event.button.windowID != SDL_GetWindowID(window_) || event.button.button != SDL_BUTTON_LEFT) return true;
    const int released = ButtonAt(event.button.x, event.button.y);
    const bool clicked = released >= 0 && released == pressed_;
    pressed_ = -1;
    if (!clicked) return true;
    chosen = static_cast<size_t>(released);
    return false;
  }

  const TUiBoxRequest& request_;
  std::vector<SDL_Event> deferred_;
  TUiBoxState state_;
  TUiBoxLayout layout_;
  TUiFont font_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  bool video_ = false;
  bool dirty_ = true;
  int pressed_ = -1;
};

}  // namespace

TUiBoxResult RunUiBox(const TUiBoxRequest& request) {
  if (request.buttons.empty()) return {};
  return TBoxWindow(request).Run();
}

void SetUiBoxOwner(SDL_Window* owner) { g_owner = owner; }

}  // namespace orvo
