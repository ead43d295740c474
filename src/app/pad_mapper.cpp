#include "app/pad_mapper.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/virtual_keys.h"

namespace orvo {

namespace {

constexpr int kDeadZone = 8000;
constexpr int kVkReturn = 13, kVkEscape = 27;

bool ParseKey(const std::string& text, int& key) {
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
    key = text.size() <= 3 ? std::atoi(text.c_str()) : 0;
    return key > 0 && key < 256;
  }
  key = VirtualKeyFromKeyName(text.c_str());
  return key != 0;
}

bool ParseAction(const std::string& text, TPadBinding& binding) {
  static const std::map<std::string, TPadAction> kSimple = {
      {"select", TPadAction::Select},     {"back", TPadAction::Back},
      {"click", TPadAction::Click},       {"rightclick", TPadAction::RightClick},
      {"fast", TPadAction::FastForward},  {"fullscreen", TPadAction::FullScreen},
      {"pointerx", TPadAction::PointerX}, {"pointery", TPadAction::PointerY},
      {"none", TPadAction::None}};
  auto simple = kSimple.find(text);
  if (simple != kSimple.end()) {
    binding = {simple->second, 0};
    return true;
  }
  for (auto [prefix, action] : {std::pair{"key:", TPadAction::Key}, std::pair{"focus:", TPadAction::FocusKey}}) {
    std::string head = prefix;
    if (text.compare(0, head.size(), head) == 0) {
      binding.action = action;
      return ParseKey(text.substr(head.size()), binding.key);
    }
  }
  return false;
}

}  // namespace

TPadMap TPadMap::Defaults() {
  TPadMap map;
  std::string unused;
  map.Apply(
      "a:select b:back start:key:27 back:fullscreen leftshoulder:fast rightshoulder:fast "
      "dpup:focus:38 dpdown:focus:40 dpleft:focus:37 dpright:focus:39 leftx:pointerx lefty:pointery",
      unused);
  return map;
}

bool TPadMap::Apply(const std::string& line, std::string& error) {
  std::map<std::string, TPadBinding> changed = bindings_;
  std::string spaced = line;
  std::replace(spaced.begin(), spaced.end(), ',', ' ');
  size_t start = 0;
  while ((start = spaced.find_first_not_of(" \t", start)) != std::string::npos) {
    size_t end = spaced.find_first_of(" \t", start);
    std::string entry = spaced.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end;
    size_t colon = entry.find(':');
    TPadBinding binding;
    if (colon == std::string::npos || colon == 0 || !ParseAction(entry.substr(colon + 1), binding)) {
      error = "bad pad mapping entry '" + entry + "'";
      return false;
    }
    changed[entry.substr(0, colon)] = binding;
  }
  bindings_ = std::move(changed);
  return true;
}

TPadBinding TPadMap::Find(const std::string& name) const {
  auto found = bindings_.find(name);
  return found == bindings_.end() ? TPadBinding{} : found->second;
}

void TPadMapper::SetStage(int width, int height) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  x_ = width_ / 2;
  y_ = height_ / 2;
}

void TPadMapper::FollowPointer(int x, int y) {
  // The window reports the pointer back after the stick moved it; keeping the
  // fraction then lets slow pushes move as evenly left as right.
  x = std::clamp(x, 0, width_ - 1);
  y = std::clamp(y, 0, height_ - 1);
  if (x != PointerX()) x_ = x;
  if (y != PointerY()) y_ = y;
}

TInputEvent TPadMapper::Mouse(TInputKind kind, TMouseButton button) const {
  TInputEvent event;
  event.kind = kind;
  event.button = button;
  event.x = PointerX();
  event.y = PointerY();
  return event;
}

void TPadMapper::Handle(const TInputEvent& pad, std::vector<TInputEvent>& out) {
  const TPadBinding binding = map_.Find(pad.text);
  if (pad.kind == TInputKind::PadAxis) {
    if (binding.action == TPadAction::PointerX) axis_x_ = pad.x;
    if (binding.action == TPadAction::PointerY) axis_y_ = pad.x;
    return;
  }
  const bool down = pad.kind == TInputKind::PadButtonDown;
  if (pad.kind != TInputKind::PadButtonDown && pad.kind != TInputKind::PadButtonUp) return;
  if (!down) {
    auto held = pressed_.find(pad.text);
    if (held == pressed_.end()) return;
    TInputEvent release = held->second;
    pressed_.erase(held);
    if (release.kind == TInputKind::FastForward) {
      --fast_held_;
      return;
    }
    if (release.kind == TInputKind::KeyDown) release.kind = TInputKind::KeyUp;
    if (release.kind == TInputKind::MouseDown) release = Mouse(TInputKind::MouseUp, release.button);
    out.push_back(release);
    return;
  }
  if (pressed_.count(pad.text)) return;  // a second press without a release
  TInputEvent press;
  switch (binding.action) {
    case TPadAction::Select:
    case TPadAction::Back: {
      const bool select = binding.action == TPadAction::Select;
      if (focus_mode_) {
        press.kind = TInputKind::KeyDown;
        press.key = select ? kVkReturn : kVkEscape;
      } else {
        press = Mouse(TInputKind::MouseDown, select ? TMouseButton::Left : TMouseButton::Right);
      }
      break;
    }
    case TPadAction::Click:
    case TPadAction::RightClick:
      press =
          Mouse(TInputKind::MouseDown, binding.action == TPadAction::Click ? TMouseButton::Left : TMouseButton::Right);
      break;
    case TPadAction::FocusKey:
      focus_mode_ = true;
      [[fallthrough]];
    case TPadAction::Key:
      press.kind = TInputKind::KeyDown;
      press.key = binding.key;
      break;
    case TPadAction::FastForward:
      press.kind = TInputKind::FastForward;
      ++fast_held_;
      pressed_[pad.text] = press;
      return;
    case TPadAction::FullScreen:
      press.kind = TInputKind::ToggleFullScreen;
      out.push_back(press);
      return;
    default:
      return;
  }
  pressed_[pad.text] = press;
  out.push_back(press);
}

void TPadMapper::Tick(std::vector<TInputEvent>& out) {
  // Within the dead zone the stick rests; beyond it the speed grows with the
  // deflection and with the time held, so that a short push moves one pixel
  // at a time and a long one crosses the stage in about a second.
  auto deflection = [](int value) {
    int magnitude = std::abs(value);
    if (magnitude <= kDeadZone) return 0.0;
    double share = static_cast<double>(std::min(magnitude, 32767) - kDeadZone) / (32767 - kDeadZone);
    return value < 0 ? -share : share;
  };
  const double dx = deflection(axis_x_), dy = deflection(axis_y_);
  if (dx == 0 && dy == 0) {
    held_ticks_ = 0;
    return;
  }
  held_ticks_ = std::min(held_ticks_ + 1, 60);
  const double speed = 1.0 + 0.25 * held_ticks_;
  const int old_x = PointerX(), old_y = PointerY();
  x_ = std::clamp(x_ + dx * speed, 0.0, static_cast<double>(width_ - 1));
  y_ = std::clamp(y_ + dy * speed, 0.0, static_cast<double>(height_ - 1));
  focus_mode_ = false;
  if (PointerX() != old_x || PointerY() != old_y) out.push_back(Mouse(TInputKind::MouseMove, TMouseButton::Left));
}

}  // namespace orvo
