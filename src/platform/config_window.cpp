#include "platform/config_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/ui_text.h"

namespace orvo {

namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 150;

struct TControlRects {
  SDL_Rect check{16, 16, 300, 20};
  SDL_Rect label{16, 52, 170, 20};
  SDL_Rect bar{16, 76, 200, 24};
  SDL_Rect value{230, 76, 80, 24};
  SDL_Rect ok{150, 114, 80, 24};
  SDL_Rect cancel{240, 114, 84, 24};
};

bool Inside(const SDL_Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

class TConfigWindow {
 public:
  explicit TConfigWindow(TConfigValues values) : values_(values) {}

  bool Run(TConfigValues& out) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    window_ = SDL_CreateWindow("動作設定", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight,
                               SDL_WINDOW_ALLOW_HIGHDPI);
    if (window_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    bool accepted = false;
    bool running = window_ && renderer_;
    if (renderer_) SDL_RenderSetLogicalSize(renderer_, kWidth, kHeight);
    while (running) {
      Draw();
      SDL_Event event;
      if (!SDL_WaitEvent(&event)) break;
      do {
        switch (event.type) {
          case SDL_QUIT:
            running = false;
            break;
          case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) running = false;
            break;
          case SDL_KEYDOWN:
            running = Key(event.key.keysym, accepted);
            break;
          case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) running = Click(event.button.x, event.button.y, accepted);
            break;
          case SDL_MOUSEMOTION:
            if (dragging_) SetBarFrom(event.motion.x);
            break;
          case SDL_MOUSEBUTTONUP:
            dragging_ = false;
            break;
          default:
            break;
        }
      } while (running && SDL_PollEvent(&event));
    }
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (accepted) out = values_;
    return accepted;
  }

 private:
  bool DelayEnabled() const { return !values_.use_direct_sound; }

  void SetBarFrom(int x) {
    if (!DelayEnabled()) return;
    int position = 1 + (x - rects_.bar.x) * 4 / std::max(rects_.bar.w - 1, 1);
    values_.delay_position = std::clamp(position, 1, 5);
  }

  bool Key(const SDL_Keysym& key, bool& accepted) {
    bool alt = (key.mod & KMOD_ALT) != 0;
    if (key.sym == SDLK_ESCAPE) return false;
    if (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) {
      accepted = true;
      return false;
    }
    if ((alt && key.sym == SDLK_s) || key.sym == SDLK_SPACE) values_.use_direct_sound = !values_.use_direct_sound;
    if (DelayEnabled() && (key.sym == SDLK_LEFT || key.sym == SDLK_DOWN))
      values_.delay_position = std::max(1, values_.delay_position - 1);
    if (DelayEnabled() && (key.sym == SDLK_RIGHT || key.sym == SDLK_UP))
      values_.delay_position = std::min(5, values_.delay_position + 1);
    return true;
  }

  bool Click(int x, int y, bool& accepted) {
    if (Inside(rects_.check, x, y)) values_.use_direct_sound = !values_.use_direct_sound;
    if (Inside(rects_.bar, x, y) && DelayEnabled()) {
      dragging_ = true;
      SetBarFrom(x);
    }
    if (Inside(rects_.ok, x, y)) {
      accepted = true;
      return false;
    }
    return !Inside(rects_.cancel, x, y);
  }

  void Fill(const SDL_Rect& r, uint32_t rgb) {
    SDL_SetRenderDrawColor(renderer_, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
    SDL_RenderFillRect(renderer_, &r);
  }

  void Frame(const SDL_Rect& r, uint32_t rgb) {
    SDL_SetRenderDrawColor(renderer_, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
    SDL_RenderDrawRect(renderer_, &r);
  }

  void Text(const std::string& text, int x, int y, bool enabled) {
    TUiImage image = font_.RenderText(text, 13, enabled ? 0x000000 : 0x909090);
    if (image.pixels.empty()) return;
    SDL_Texture* texture =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, image.width, image.height);
    if (!texture) return;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_UpdateTexture(texture, nullptr, image.pixels.data(), image.width * 4);
    SDL_Rect dest{x, y, image.width, image.height};
    SDL_RenderCopy(renderer_, texture, nullptr, &dest);
    SDL_DestroyTexture(texture);
  }

  void Button(const SDL_Rect& r, const std::string& label) {
    Fill(r, 0xFFFFFF);
    Frame(r, 0x808080);
    TUiImage image = font_.RenderText(label, 13, 0);
    Text(label, r.x + (r.w - image.width) / 2, r.y + (r.h - image.height) / 2, true);
  }

  void Draw() {
    Fill(SDL_Rect{0, 0, kWidth, kHeight}, 0xF0F0F0);
    SDL_Rect box{rects_.check.x, rects_.check.y + 3, 14, 14};
    Fill(box, 0xFFFFFF);
    Frame(box, 0x404040);
    if (values_.use_direct_sound) Fill(SDL_Rect{box.x + 3, box.y + 3, 8, 8}, 0x202020);
    Text("DirectSoundを使用する(S)", box.x + 22, rects_.check.y + 1, true);
    bool enabled = DelayEnabled();
    Text("サウンドの遅延時間(D)：", rects_.label.x, rects_.label.y, enabled);
    const SDL_Rect& bar = rects_.bar;
    Fill(SDL_Rect{bar.x, bar.y + bar.h / 2 - 2, bar.w, 4}, enabled ? 0xC0C0C0 : 0xE0E0E0);
    for (int p = 1; p <= 5; ++p) Fill(SDL_Rect{bar.x + (p - 1) * (bar.w - 1) / 4, bar.y + bar.h - 3, 1, 3}, 0x808080);
    int knob = bar.x + (values_.delay_position - 1) * (bar.w - 1) / 4;
    Fill(SDL_Rect{knob - 4, bar.y + 2, 9, bar.h - 8}, enabled ? 0x3070D0 : 0xB0B0B0);
    char value[32];
    std::snprintf(value, sizeof value, "%dms", values_.delay_position * 100);
    Text(value, rects_.value.x, rects_.value.y + 3, enabled);
    Button(rects_.ok, "OK");
    Button(rects_.cancel, "キャンセル");
    SDL_RenderPresent(renderer_);
  }

  TConfigValues values_;
  TControlRects rects_;
  TUiFont font_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  bool dragging_ = false;
};

}  // namespace

bool RunConfigWindow(TConfigValues& values) { return TConfigWindow(values).Run(values); }

}  // namespace orvo
