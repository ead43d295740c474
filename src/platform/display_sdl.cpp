#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/display.h"
#include "platform/sdl_keys.h"
#include "platform/text_field_sdl.h"
#include "platform/ui_box.h"
#include "platform/ui_text.h"

namespace orvo {

namespace {

// The dock of the Windows player: 18-pixel buttons plus 4.
constexpr int kToolbarHeight = 22;

// Bit count of a display format as scripts see it.
int32_t ModeBits(Uint32 format) {
  switch (format) {
    case SDL_PIXELFORMAT_RGB555:
    case SDL_PIXELFORMAT_BGR555:
    case SDL_PIXELFORMAT_ARGB1555:
    case SDL_PIXELFORMAT_ABGR1555:
    case SDL_PIXELFORMAT_RGBA5551:
    case SDL_PIXELFORMAT_BGRA5551:
      return 15;
    case SDL_PIXELFORMAT_RGB565:
    case SDL_PIXELFORMAT_BGR565:
      return 16;
    default:
      return 8 * SDL_BYTESPERPIXEL(format);
  }
}
constexpr int kButtonWidth = 67;
constexpr int kButtonHeight = 18;
constexpr int kButtonTop = 2;

enum class TToolbarButton { None, Exit, Screen };

class TSdlDisplay : public IDisplay {
 public:
  ~TSdlDisplay() override {
    SetUiBoxOwner(nullptr);
    fields_.reset();
    if (stage_) SDL_DestroyTexture(stage_);
    if (toolbar_) SDL_DestroyTexture(toolbar_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  bool Open(const TDisplayOptions& options) override {
    options_ = options;
    // Without a session bus, the video system would try to start one (slow,
    // and pointless for a game); a desktop session already has one.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    int client_height = options.stage_height + (options.show_toolbar ? kToolbarHeight : 0);
    window_ = SDL_CreateWindow(options.title_utf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               std::max(options.stage_width, 1), std::max(client_height, 1),
                               SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window_) return false;
    SetUiBoxOwner(window_);
    // The stage is small and changes in rectangles: the software renderer
    // presents it fast and starts in a few milliseconds, where a GL context
    // (above all a software one, without a GPU) takes a tenth of a second.
    // ORVO_RENDERER=accelerated asks for the GPU instead.
    const char* choice = std::getenv("ORVO_RENDERER");
    bool accelerated = choice && std::string(choice) == "accelerated";
    if (!accelerated) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    renderer_ = SDL_CreateRenderer(window_, -1, accelerated ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) return false;
    fields_ = std::make_unique<TSdlTextFields>(renderer_);
    stage_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                               std::max(options.stage_width, 1), std::max(options.stage_height, 1));
    if (!stage_) return false;
    SDL_SetTextureScaleMode(stage_, options.scale == TScaleMode::Integer ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    // The stage starts black, as the panel does before the first frame.
    void* pixels;
    int pitch;
    if (SDL_LockTexture(stage_, nullptr, &pixels, &pitch) == 0) {
      std::fill_n(static_cast<uint8_t*>(pixels), static_cast<size_t>(pitch) * static_cast<size_t>(options.stage_height),
                  0);
      SDL_UnlockTexture(stage_);
    }
    Render();
    return true;
  }

  void SetTitle(const std::string& title_utf8) override {
    options_.title_utf8 = title_utf8;
    if (window_) SDL_SetWindowTitle(window_, title_utf8.c_str());
  }

  void WaitEvents(int timeout_ms) override { SDL_WaitEventTimeout(nullptr, std::max(timeout_ms, 0)); }

  void PollEvents(std::vector<TInputEvent>& events) override {
    SDL_Event event;
    while (SDL_PollEvent(&event)) Translate(event, events);
    if (fields_ && fields_->TakeDirty()) needs_render_ = true;
    if (needs_render_) Render();
  }

  void Present(const TFrameView& frame, const std::vector<TRect>& dirty) override {
    for (const TRect& rect : dirty) {
      TRect r = IntersectRect(rect, MakeRect(0, 0, frame.width, frame.height));
      if (r.IsEmpty()) continue;
      SDL_Rect area{r.left, r.top, static_cast<int>(r.Width()), static_cast<int>(r.Height())};
      const uint8_t* start = frame.pixels + static_cast<size_t>(r.top) * frame.stride + static_cast<size_t>(r.left) * 4;
      SDL_UpdateTexture(stage_, &area, start, static_cast<int>(frame.stride));
    }
    Render();
  }

  void SetFullScreen(bool full) override {
    if (full == full_ || !window_) return;
    if (SDL_SetWindowFullscreen(window_, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0) full_ = full;
    pointer_on_top_row_ = false;
    Render();
  }

  bool IsFullScreen() const override { return full_; }

  TDisplayModes DisplayModes() const override {
    TDisplayModes out;
    const int index = window_ ? std::max(SDL_GetWindowDisplayIndex(window_), 0) : 0;
    const auto convert = [](const SDL_DisplayMode& mode) {
      return TDisplayMode{mode.w, mode.h, ModeBits(mode.format), mode.refresh_rate};
    };
    const int count = SDL_GetNumDisplayModes(index);
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode mode;
      if (SDL_GetDisplayMode(index, i, &mode) == 0) out.modes.push_back(convert(mode));
    }
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(index, &desktop) == 0) out.desktop = convert(desktop);
    return out;
  }

  void WarpMouse(int stage_x, int stage_y) override {
    SDL_Rect dest = StageRect();
    float scale_x = static_cast<float>(dest.w) / static_cast<float>(std::max(options_.stage_width, 1));
    float scale_y = static_cast<float>(dest.h) / static_cast<float>(std::max(options_.stage_height, 1));
    float density = PixelDensity();
    int x = static_cast<int>((static_cast<float>(dest.x) + (static_cast<float>(stage_x) + 0.5f) * scale_x) / density);
    int y = static_cast<int>((static_cast<float>(dest.y) + (static_cast<float>(stage_y) + 0.5f) * scale_y) / density);
    SDL_WarpMouseInWindow(window_, x, y);
    mouse_x_ = stage_x;
    mouse_y_ = stage_y;
  }

  void MousePosition(int& stage_x, int& stage_y) const override {
    stage_x = mouse_x_;
    stage_y = mouse_y_;
  }

  bool HasWindow() const override { return true; }

  ITextFields* TextFields() override { return fields_.get(); }

 private:
  float PixelDensity() const {
    int window_w = 1, window_h = 1, output_w = 1, output_h = 1;
    SDL_GetWindowSize(window_, &window_w, &window_h);
    SDL_GetRendererOutputSize(renderer_, &output_w, &output_h);
    return window_w > 0 ? static_cast<float>(output_w) / static_cast<float>(window_w) : 1.0f;
  }

  bool ToolbarShown() const { return options_.show_toolbar && (!full_ || pointer_on_top_row_); }
  // In a window the toolbar has its own strip; in full screen it lies over the stage.
  int ReservedToolbarPixels() const {
    return (options_.show_toolbar && !full_) ? static_cast<int>(std::lround(kToolbarHeight * PixelDensity())) : 0;
  }

  // Where the stage lies in the output, letterboxed and scaled.
  SDL_Rect StageRect() const {
    int output_w = 1, output_h = 1;
    SDL_GetRendererOutputSize(renderer_, &output_w, &output_h);
    int top = ReservedToolbarPixels();
    int area_w = output_w, area_h = std::max(output_h - top, 1);
    double sw = std::max(options_.stage_width, 1), sh = std::max(options_.stage_height, 1);
    double scale = std::min(area_w / sw, area_h / sh);
    if (options_.scale == TScaleMode::Integer && scale >= 1.0) scale = std::floor(scale);
    int w = static_cast<int>(std::lround(sw * scale)), h = static_cast<int>(std::lround(sh * scale));
    return SDL_Rect{(area_w - w) / 2, top + (area_h - h) / 2, w, h};
  }

  void ToStage(int window_x, int window_y, int& stage_x, int& stage_y, bool& inside) const {
    float density = PixelDensity();
    SDL_Rect dest = StageRect();
    double px = window_x * density - dest.x, py = window_y * density - dest.y;
    stage_x = static_cast<int>(std::floor(px * options_.stage_width / std::max(dest.w, 1)));
    stage_y = static_cast<int>(std::floor(py * options_.stage_height / std::max(dest.h, 1)));
    inside = stage_x >= 0 && stage_y >= 0 && stage_x < options_.stage_width && stage_y < options_.stage_height;
  }

  TToolbarButton ToolbarHit(int window_x, int window_y) const {
    if (!ToolbarShown() || window_y < kButtonTop || window_y >= kButtonTop + kButtonHeight) return TToolbarButton::None;
    if (window_x >= 0 && window_x < kButtonWidth) return TToolbarButton::Exit;
    if (window_x >= kButtonWidth && window_x < 2 * kButtonWidth) return TToolbarButton::Screen;
    return TToolbarButton::None;
  }

  void Translate(const SDL_Event& event, std::vector<TInputEvent>& events) {
    TInputEvent out;
    // A focused text field takes the keys and the typed text (full screen's keys aside).
    if (fields_ && !IsFullScreenKey(event) && fields_->HandleEvent(event)) return;
    switch (event.type) {
      case SDL_QUIT:
        out.kind = TInputKind::CloseRequest;
        events.push_back(out);
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
          out.kind = TInputKind::Activate;
          events.push_back(out);
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
          out.kind = TInputKind::Deactivate;
          events.push_back(out);
        } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          out.kind = TInputKind::CloseRequest;
          events.push_back(out);
        }
        needs_render_ = true;
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        SDL_Keycode key = event.key.keysym.sym;
        bool alt_enter = key == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT);
        if (key == SDLK_F11 || alt_enter) {
          if (event.type == SDL_KEYDOWN && !event.key.repeat) {
            out.kind = TInputKind::ToggleFullScreen;
            events.push_back(out);
          }
          break;
        }
        out.key = VirtualKeyFromSdl(key);
        if (out.key == 0) break;
        out.kind = event.type == SDL_KEYDOWN ? TInputKind::KeyDown : TInputKind::KeyUp;
        out.repeat = event.key.repeat != 0;
        events.push_back(out);
        break;
      }
      case SDL_MOUSEMOTION: {
        if (full_) {
          // Shown from row 0 on, and kept while the pointer is over the toolbar itself.
          bool shown = event.motion.y <= 0 || (pointer_on_top_row_ && event.motion.y < kToolbarHeight);
          if (shown != pointer_on_top_row_) {
            pointer_on_top_row_ = shown;
            needs_render_ = true;
          }
        }
        out.kind = TInputKind::MouseMove;
        ToStage(event.motion.x, event.motion.y, out.x, out.y, out.on_stage);
        mouse_x_ = out.x;
        mouse_y_ = out.y;
        events.push_back(out);
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        TToolbarButton hit = ToolbarHit(event.button.x, event.button.y);
        if (down && hit != TToolbarButton::None) {
          pressed_ = hit;
          needs_render_ = true;
          break;
        }
        if (!down && pressed_ != TToolbarButton::None) {
          if (hit == pressed_) {
            out.kind = hit == TToolbarButton::Exit ? TInputKind::ExitButton : TInputKind::ToggleFullScreen;
            events.push_back(out);
          }
          pressed_ = TToolbarButton::None;
          needs_render_ = true;
          break;
        }
        if (event.button.button == SDL_BUTTON_LEFT) {
          out.button = TMouseButton::Left;
        } else if (event.button.button == SDL_BUTTON_RIGHT) {
          out.button = TMouseButton::Right;
        } else {
          out.button = TMouseButton::Middle;
        }
        out.kind = down ? TInputKind::MouseDown : TInputKind::MouseUp;
        ToStage(event.button.x, event.button.y, out.x, out.y, out.on_stage);
        events.push_back(out);
        break;
      }
      case SDL_MOUSEWHEEL:
        if (event.wheel.y == 0) break;
        out.kind = event.wheel.y > 0 ? TInputKind::WheelUp : TInputKind::WheelDown;
        events.push_back(out);
        break;
      default:
        break;
    }
  }

  static bool IsFullScreenKey(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return false;
    const SDL_Keycode key = event.key.keysym.sym;
    return key == SDLK_F11 || (key == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT));
  }

  void BuildToolbar() {
    if (toolbar_) SDL_DestroyTexture(toolbar_);
    toolbar_ = nullptr;
    float density = PixelDensity();
    int width = static_cast<int>(std::lround(2 * kButtonWidth * density));
    int height = static_cast<int>(std::lround(kToolbarHeight * density));
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFFF0F0F0);
    const char* labels[2] = {"終了", "画面切替"};
    for (int b = 0; b < 2; ++b) {
      int x0 = static_cast<int>(std::lround(b * kButtonWidth * density));
      int x1 = static_cast<int>(std::lround((b + 1) * kButtonWidth * density)) - 1;
      int y0 = static_cast<int>(std::lround(kButtonTop * density));
      int y1 = static_cast<int>(std::lround((kButtonTop + kButtonHeight) * density)) - 1;
      bool pressed = pressed_ == (b == 0 ? TToolbarButton::Exit : TToolbarButton::Screen);
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
          bool edge = x == x0 || x == x1 || y == y0 || y == y1;
          pixels[static_cast<size_t>(y) * width + x] = edge ? 0xFFA0A0A0 : pressed ? 0xFFD0D0D0 : 0xFFFFFFFF;
        }
      TUiImage text = font_.RenderText(labels[b], static_cast<int>(std::lround(12 * density)), 0x000000);
      int tx = x0 + (x1 - x0 + 1 - text.width) / 2, ty = y0 + (y1 - y0 + 1 - text.height) / 2;
      for (int y = 0; y < text.height; ++y)
        for (int x = 0; x < text.width; ++x) {
          int dx = tx + x, dy = ty + y;
          if (dx < 0 || dy < 0 || dx >= width || dy >= height) continue;
          uint32_t alpha = text.pixels[static_cast<size_t>(y) * text.width + x] >> 24;
          uint32_t& dst = pixels[static_cast<size_t>(dy) * width + dx];
          uint32_t blended = 0;
          for (int shift = 0; shift < 24; shift += 8) {
            uint32_t d = (dst >> shift) & 0xFF;
            blended |= ((d * (255 - alpha)) / 255) << shift;
          }
          dst = 0xFF000000 | blended;
        }
    }
    toolbar_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, width, height);
    if (toolbar_) SDL_UpdateTexture(toolbar_, nullptr, pixels.data(), width * 4);
    toolbar_state_ = pressed_;
    toolbar_density_ = density;
  }

  void Render() {
    needs_render_ = false;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_Rect dest = StageRect();
    SDL_RenderCopy(renderer_, stage_, nullptr, &dest);
    if (fields_) {
      fields_->TakeDirty();
      fields_->Render(dest, options_.stage_width, options_.stage_height, PixelDensity());
    }
    if (ToolbarShown()) {
      int output_w = 1, output_h = 1;
      SDL_GetRendererOutputSize(renderer_, &output_w, &output_h);
      float density = PixelDensity();
      if (!toolbar_ || toolbar_state_ != pressed_ || toolbar_density_ != density) BuildToolbar();
      SDL_Rect strip{0, 0, output_w, static_cast<int>(std::lround(kToolbarHeight * density))};
      SDL_SetRenderDrawColor(renderer_, 0xF0, 0xF0, 0xF0, 255);
      SDL_RenderFillRect(renderer_, &strip);
      if (toolbar_) {
        int w = 0, h = 0;
        SDL_QueryTexture(toolbar_, nullptr, nullptr, &w, &h);
        SDL_Rect buttons{0, 0, w, h};
        SDL_RenderCopy(renderer_, toolbar_, nullptr, &buttons);
      }
    }
    SDL_RenderPresent(renderer_);
  }

  TDisplayOptions options_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* stage_ = nullptr;
  SDL_Texture* toolbar_ = nullptr;
  TToolbarButton toolbar_state_ = TToolbarButton::None;
  float toolbar_density_ = 0;
  TUiFont font_;
  std::unique_ptr<TSdlTextFields> fields_;
  TToolbarButton pressed_ = TToolbarButton::None;
  bool full_ = false;
  bool pointer_on_top_row_ = false;
  bool needs_render_ = false;
  int mouse_x_ = 0;
  int mouse_y_ = 0;
};

class THeadlessDisplay : public IDisplay {
 public:
  explicit THeadlessDisplay(TDisplayModes modes) : modes_(std::move(modes)) {}
  TDisplayModes DisplayModes() const override { return modes_; }
  bool Open(const TDisplayOptions&) override { return true; }
  void SetTitle(const std::string&) override {}
  void PollEvents(std::vector<TInputEvent>&) override {}
  void WaitEvents(int timeout_ms) override {
    if (timeout_ms > 0) SDL_Delay(static_cast<Uint32>(timeout_ms));
  }
  void Present(const TFrameView&, const std::vector<TRect>&) override {}
  void SetFullScreen(bool full) override { full_ = full; }
  bool IsFullScreen() const override { return full_; }
  void WarpMouse(int stage_x, int stage_y) override {
    x_ = stage_x;
    y_ = stage_y;
  }
  void MousePosition(int& stage_x, int& stage_y) const override {
    stage_x = x_;
    stage_y = y_;
  }
  bool HasWindow() const override { return false; }

 private:
  TDisplayModes modes_;
  bool full_ = false;
  int x_ = 0, y_ = 0;
};

}  // namespace

std::unique_ptr<IDisplay> CreateWindowDisplay() { return std::make_unique<TSdlDisplay>(); }
std::unique_ptr<IDisplay> CreateHeadlessDisplay(TDisplayModes modes) {
  return std::make_unique<THeadlessDisplay>(std::move(modes));
}

bool WindowSystemAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  // Opening the window may still fail; the shell then falls back to headless.
  return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace orvo
