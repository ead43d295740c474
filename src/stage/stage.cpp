#include "stage/stage.h"

#include <algorithm>

#include "base/error.h"
#include "stage/cabinet.h"
#include "stage/choice_kinds.h"
#include "stage/http.h"
#include "stage/edit_field.h"
#include "stage/effect_kinds.h"
#include "stage/image_kinds.h"
#include "stage/message.h"
#include "stage/prop_motion.h"
#include "stage/slider.h"
#include "stage/timer.h"
#include "surface/surface_io.h"

namespace orvo {

namespace {

constexpr uint32_t kSlotMask = 0xFFFFFFFFu;

}  // namespace

TOrvoBaseList::TOrvoBaseList(const TRuntimeState& state, IStageHost* host)
    : state_(state), host_(host ? host : &default_host_), pictures_(std::make_unique<TDovaCollection>()) {
  RegisterImageKinds(*this);
  RegisterChoiceKinds(*this);
  RegisterBarKinds(*this);
  RegisterEditKinds(*this);
  RegisterEffectKinds(*this);
  RegisterKind(kcMes, [](TOrvoBaseList& stage) { return std::make_unique<TOrvoMes>(stage); });
  RegisterKind(kcTimer, [](TOrvoBaseList& stage) { return std::make_unique<TOrvoTimer>(stage); });
  RegisterKind(kcHttp, [](TOrvoBaseList& stage) { return std::make_unique<TOrvoHttp>(stage); });
  RegisterKind(kcPropMotion, [](TOrvoBaseList& stage) { return std::make_unique<TOrvoPropMotion>(stage); });
  RegisterKind(kcCabinet, [](TOrvoBaseList& stage) { return std::make_unique<TOrvoCabinet>(stage); });
  // Selection frames: white at (0, 0) and (1, 1), black elsewhere.
  selection_pattern_.SetSize(2, 2, 32);
  selection_pattern_.Clear(0);
  const uint32_t white = static_cast<uint32_t>(selection_pattern_.ColorToPixel(0xFFFFFF));
  selection_pattern_.SetPixel(0, 0, white);
  selection_pattern_.SetPixel(1, 1, white);
  MakeScreen(0);
  MakeScreen(1);
}

TOrvoBaseList::~TOrvoBaseList() {
  wipe_.reset();
  events_.Clear();
  DeleteScreens();
  while (!objects_.empty()) DeleteObject(*objects_.back());
}

// ---- handles and registration

TObjectHandle TOrvoBaseList::Register(std::unique_ptr<TOrvoObject> object) {
  uint32_t index;
  if (!free_slots_.empty()) {
    index = free_slots_.back();
    free_slots_.pop_back();
  } else {
    index = static_cast<uint32_t>(slots_.size());
    slots_.emplace_back();
  }
  TSlot& slot = slots_[index];
  TOrvoObject& registered = *object;
  slot.object = std::move(object);
  registered.handle_ = (TObjectHandle{slot.generation} << 32) | (TObjectHandle{index} + 1);
  if (!registered.name_.empty()) ++name_counts_[registered.name_];
  return registered.handle_;
}

TOrvoObject* TOrvoBaseList::Resolve(TObjectHandle handle) const {
  const uint64_t low = handle & kSlotMask;
  if (low == 0 || low > slots_.size()) return nullptr;
  const TSlot& slot = slots_[low - 1];
  return slot.generation == (handle >> 32) ? slot.object.get() : nullptr;
}

TOrvoControl* TOrvoBaseList::ResolveControl(TObjectHandle handle) const {
  TOrvoObject* object = Resolve(handle);
  return object ? object->AsControl() : nullptr;
}

TOrvoBase& TOrvoBaseList::MakeScreen(int index) {
  auto screen = std::make_unique<TOrvoBase>(*this, index);
  TOrvoBase& made = *screen;
  Register(std::move(screen));
  made.width_ = width_;
  made.height_ = height_;
  screens_[static_cast<size_t>(index)] = &made;
  int32_t x = 0, y = 0;
  if (host_->MousePosition(x, y)) {
    made.Mouse().x = x;
    made.Mouse().y = y;
  }
  made.AddWholeArea();
  return made;
}

void TOrvoBaseList::RegisterKind(uint8_t code, TKindFactory factory) { kinds_[code & 31] = std::move(factory); }

TOrvoObject* TOrvoBaseList::CreateByKind(int32_t code) {
  code &= 0x7F;
  if (!IsKnownKindCode(code) || !kinds_[static_cast<size_t>(code)]) return nullptr;
  std::unique_ptr<TOrvoObject> object = kinds_[static_cast<size_t>(code)](*this);
  return object ? Adopt(std::move(object)) : nullptr;
}

TOrvoObject* TOrvoBaseList::Adopt(std::unique_ptr<TOrvoObject> object) {
  TOrvoObject& adopted = *object;
  Register(std::move(object));
  if (adopted.WantsAutoName()) adopted.StoreName(UniqueName("object"));
  objects_.push_back(&adopted);
  if (adopted.IsVisual() && !Focus()) RequestRefocus();
  adopted.Adopted();
  return &adopted;
}

void TOrvoBaseList::NameChanged(const std::string& old_name, const std::string& new_name) {
  if (!old_name.empty()) {
    auto it = name_counts_.find(old_name);
    if (it != name_counts_.end() && --it->second <= 0) name_counts_.erase(it);
  }
  if (!new_name.empty()) ++name_counts_[new_name];
}

// ---- deletion

void TOrvoBaseList::Scrap(TOrvoObject& object) {
  if (object.scrapped_ || object.IsScreen()) return;
  // Its picture goes with it at the next drawn frame.
  if (TOrvoControl* control = object.AsControl()) control->Invalidate();
  object.scrapped_ = true;
  object.StoreName(std::string());
  scrap_list_.push_back(object.Handle());
}

void TOrvoBaseList::DeleteObject(TOrvoObject& object) {
  const TObjectHandle handle = object.Handle();
  if (TOrvoControl* control = object.AsControl()) {
    if (!object.scrapped_) control->Invalidate();
    if (control->parent_) control->parent_->DetachChild(control);
    while (!control->children_.empty()) DeleteObject(*control->children_.back());
    control->motion_.reset();
    if (focus_ == handle) {
      focus_ = 0;
      refocus_pending_ = true;
    }
    for (TOrvoBase* screen : screens_) {
      if (screen && screen->Hover() == handle) screen->SetHover(0);
    }
  }
  events_.DropWaitingEventsOf(handle);
  std::erase(scrap_list_, handle);
  std::erase(menu_list_, handle);
  auto it = std::find(objects_.begin(), objects_.end(), &object);
  if (it != objects_.end()) {
    const size_t index = static_cast<size_t>(it - objects_.begin());
    objects_.erase(it);
    // The update pass does not skip the object that moves into a deleted place.
    if (index < update_index_) --update_index_;
  }
  NameChanged(object.name_, std::string());
  const uint64_t low = handle & kSlotMask;
  TSlot& slot = slots_[low - 1];
  ++slot.generation;
  std::unique_ptr<TOrvoObject> doomed = std::move(slot.object);
  free_slots_.push_back(static_cast<uint32_t>(low - 1));
  doomed.reset();
}

void TOrvoBaseList::DeleteScreens() {
  for (TOrvoBase*& screen : screens_) {
    if (!screen) continue;
    TOrvoBase* doomed = screen;
    screen = nullptr;
    DeleteObject(*doomed);
  }
}

void TOrvoBaseList::ResetStage() {
  wipe_.reset();
  wipe_kind_ = 0;
  events_.Clear();
  DeleteScreens();
  while (!objects_.empty()) DeleteObject(*objects_.back());
  scrap_list_.clear();
  menu_list_.clear();
  focus_ = 0;
  refocus_pending_ = false;
  MakeScreen(0);
  MakeScreen(1);
}

// ---- lookups

TOrvoObject* TOrvoBaseList::FindComponent(std::string_view name) const {
  if (name.empty() || name == ScreenName(0)) return &ActiveScreen();
  if (name == "\x01" || name == ScreenName(1)) return &InactiveScreen();
  if (!name_counts_.contains(std::string(name))) return nullptr;
  for (TOrvoObject* object : objects_) {
    if (!object->scrapped_ && object->name_ == name) return object;
  }
  return nullptr;
}

TOrvoControl* TOrvoBaseList::FindControl(std::string_view name) const {
  if (name.empty()) return &ActiveScreen();
  if (name == "\x01") return &InactiveScreen();
  if (name == ScreenName(0)) return &Screen(0);
  if (name == ScreenName(1)) return &Screen(1);
  if (!name_counts_.contains(std::string(name))) return nullptr;
  for (TOrvoObject* object : objects_) {
    if (object->IsVisual() && !object->scrapped_ && object->name_ == name) return object->AsControl();
  }
  return nullptr;
}

TOrvoObject* TOrvoBaseList::FindSavedName(std::string_view name) const {
  if (name.empty()) return nullptr;
  if (name == ScreenName(0)) return &Screen(0);
  if (name == ScreenName(1)) return &Screen(1);
  return FindComponent(name);
}

int32_t TOrvoBaseList::IndexOfName(std::string_view name) const {
  if (!name.empty() && !name_counts_.contains(std::string(name))) return -1;
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i]->name_ == name) return static_cast<int32_t>(i);
  }
  return -1;
}

bool TOrvoBaseList::NameInUse(std::string_view name) const { return name_counts_.contains(std::string(name)); }

std::string TOrvoBaseList::UniqueName(std::string_view prefix) const {
  for (uint64_t n = 0;; ++n) {
    std::string candidate = std::string(prefix) + std::to_string(n);
    if (!NameInUse(candidate)) return candidate;
  }
}

int32_t TOrvoBaseList::ListNames(std::vector<std::string>& list, int32_t kind, bool recursive,
                                 const TOrvoControl* parent, bool whole_stage) const {
  int32_t appended = 0;
  for (size_t i = 0; i < objects_.size(); ++i) {
    TOrvoObject* object = objects_[i];
    if (kind != 0 && object->CompoType() != kind) continue;
    const TOrvoControl* control = object->AsControl();
    const TOrvoControl* own_parent = control ? control->Parent() : nullptr;
    if ((!whole_stage && own_parent != parent) || object->scrapped_) continue;
    if (!recursive || std::find(list.begin(), list.end(), object->name_) == list.end()) {
      list.push_back(object->name_);
      ++appended;
    }
    if (recursive && control) ListNames(list, kind, true, control, false);
  }
  return appended;
}

// ---- size and screens

void TOrvoBaseList::SetSize(int32_t width, int32_t height) {
  width_ = std::clamp(width, 1, kMaxStageSide);
  height_ = std::clamp(height, 1, kMaxStageSide);
  for (TOrvoBase* screen : screens_) {
    screen->width_ = width_;
    screen->height_ = height_;
    screen->AddWholeArea();
  }
}

TDIBX& TOrvoBaseList::DisplaySurface() {
  if (display_.Width() != width_ || display_.Height() != height_ || display_.BitCount() != 32) {
    display_.SetSize(width_, height_, 32);
    display_.Clear(0);
  }
  return display_;
}

void TOrvoBaseList::SetActiveScreen(int index) {
  active_screen_ = index & 1;
  Screen(0).AddWholeArea();
  Screen(1).AddWholeArea();
  TOrvoControl* focus = Focus();
  if (!focus || focus->OwnerBase() != &ActiveScreen()) {
    focus_ = 0;
    RequestRefocus();
  }
}

TCustomDIBX& TOrvoBaseList::ScreenTarget(const TOrvoBase& screen) {
  if (&screen == &ActiveScreen() && !wipe_ && !screen.Rendering()) return DisplaySurface();
  return const_cast<TOrvoBase&>(screen).Surface();
}

void TOrvoBaseList::RenderScreen(int index) {
  TOrvoBase& screen = Screen(index);
  screen.SetRendering(true);
  screen.AddWholeArea();
  const int saved = active_screen_;
  active_screen_ = index & 1;
  screen.PaintScreen(screen.Surface());
  active_screen_ = saved;
  screen.SetRendering(false);
}

// ---- focus

void TOrvoBaseList::SetFocusObject(TOrvoControl* object) {
  TOrvoControl* old = Focus();
  if (object == old) return;
  if (old && !old->Name().empty() && !old->EventsBlocked()) {
    const std::string& handler = old->Handler(THandler::FocusOut);
    if (!handler.empty()) events_.PostEvent(old->Handle(), handler, {}, ecFocusOut);
  }
  focus_ = object ? object->Handle() : 0;
  if (object && !object->EventsBlocked()) {
    const std::string& handler = object->Handler(THandler::FocusIn);
    if (!handler.empty()) events_.PostEvent(object->Handle(), handler, {}, ecFocusIn);
  }
  refocus_pending_ = false;
  if (object) object->FocusIn();
}

// ---- per-frame update and paint

void TOrvoBaseList::UpdateAll() {
  Screen(0).Update();
  Screen(1).Update();
  update_index_ = 0;
  while (update_index_ < objects_.size()) {
    TOrvoObject* object = objects_[update_index_];
    const TObjectHandle handle = object->Handle();
    // Paused objects and objects in a cabinet are frozen: no idle event either.
    const bool frozen = object->scrapped_ || object->Paused() || object->InCabinet();
    if (!frozen) {
      std::string_view idle = object->IdleHandler();
      if (!idle.empty() && !object->EventsBlocked() && !events_.HasEvent(handle, ecIdle)) {
        events_.PostEvent(handle, std::string(idle), {}, ecIdle);
      }
    }
    const bool finished = !frozen && object->Update();
    // Update may delete other objects (the index follows) or this one.
    if (update_index_ < objects_.size() && objects_[update_index_]->Handle() == handle) {
      if (finished) {
        DeleteObject(*objects_[update_index_]);
      } else {
        ++update_index_;
      }
    }
  }
  // Deleting may scrap more (a kind freeing what it owns): until none is left.
  while (!scrap_list_.empty()) {
    std::vector<TObjectHandle> scrapped;
    scrapped.swap(scrap_list_);
    for (TObjectHandle handle : scrapped) {
      if (TOrvoObject* object = Resolve(handle)) DeleteObject(*object);
    }
  }
}

void TOrvoBaseList::PaintAll() {
  if (wipe_) {
    Screen(0).PaintScreen(Screen(0).Surface());
    Screen(1).PaintScreen(Screen(1).Surface());
    if (wipe_->Step()) {
      // The time is up: the other screen takes over, whole.
      EndWipe();
      SetActiveScreen(active_screen_ ^ 1);
      Screen(0).PaintScreen(ScreenTarget(Screen(0)));
      Screen(1).PaintScreen(ScreenTarget(Screen(1)));
    }
    return;
  }
  Screen(0).PaintScreen(ScreenTarget(Screen(0)));
  Screen(1).PaintScreen(ScreenTarget(Screen(1)));
}

std::vector<TRect> TOrvoBaseList::PresentRects() const {
  const TRect bounds{0, 0, width_, height_};
  if (wipe_) {
    TRect area = IntersectRect(wipe_->UpdateRect(), bounds);
    return area.IsEmpty() ? std::vector<TRect>{} : std::vector<TRect>{area};
  }
  std::vector<TRect> rects;
  for (const TRect& r : ActiveScreen().Dirty().Rects()) {
    TRect cut = IntersectRect(r, bounds);
    if (!cut.IsEmpty()) rects.push_back(cut);
  }
  return rects;
}

void TOrvoBaseList::ClearDirty() {
  Screen(0).ClearDirty();
  Screen(1).ClearDirty();
}

// ---- transitions, menus, sound, dithering, surfaces

TCustomWipe* TOrvoBaseList::StartFlip(int screen, int32_t kind, int32_t duration, int32_t elapsed, bool restart,
                                      bool reverse) {
  active_screen_ = screen & 1;
  TCustomWipe* created = nullptr;
  if (restart || (kind != 0 && !wipe_)) {
    wipe_.reset();
    SetActiveScreen(active_screen_);
    if (kind != 0) {
      // The wipe reads both screens' own surfaces from the first step on.
      RenderScreen(active_screen_);
      RenderScreen(active_screen_ ^ 1);
      wipe_ =
          CreateWipe(kind, DisplaySurface(), Screen(active_screen_).Surface(), Screen(active_screen_ ^ 1).Surface());
      if (wipe_) {
        wipe_->SetDuration(duration);
        wipe_->SetReverse(reverse);
        wipe_->SetRuleLoader([this](const std::string& name, TDIBSurface& picture) {
          IPictureFiles* files = pictures_->Files();
          if (!files || !files->Contains(name)) return false;
          return DecodeRulePicture(files->Load(name), name, files->ImageCode(), picture);
        });
        created = wipe_.get();
      }
    }
  }
  wipe_kind_ = wipe_ ? static_cast<uint8_t>(kind) : 0;
  if (wipe_) wipe_->SetElapsed(elapsed);
  return created;
}

void TOrvoBaseList::SetWipeElapsed(int32_t elapsed) {
  if (wipe_) wipe_->SetElapsed(elapsed);
}

void TOrvoBaseList::EndWipe() {
  wipe_.reset();
  wipe_kind_ = 0;
  Screen(0).AddWholeArea();
  Screen(1).AddWholeArea();
}

void TOrvoBaseList::AddMenu(const TOrvoObject& object) {
  if (std::find(menu_list_.begin(), menu_list_.end(), object.Handle()) == menu_list_.end()) {
    menu_list_.push_back(object.Handle());
  }
}

void TOrvoBaseList::RemoveMenu(const TOrvoObject& object) { std::erase(menu_list_, object.Handle()); }

void TOrvoBaseList::SetSoundOn(bool on) {
  sound_on_ = on;
  host_->SetSoundOn(on);
}

void TOrvoBaseList::SetCGDither(bool dither) {
  if (dither == cg_dither_) return;
  cg_dither_ = dither;
  pictures_->SetCacheDither(dither);
  host_->SetCacheDither(dither);
  Screen(0).AddWholeArea();
  Screen(1).AddWholeArea();
}

void TOrvoBaseList::ReleaseSurfaces() {
  wipe_.reset();
  wipe_kind_ = 0;
  Screen(0).ReleaseSurfaces();
  Screen(1).ReleaseSurfaces();
  for (TOrvoObject* object : objects_) object->ReleaseSurfaces();
  pictures_->ReleaseCacheSurfaces();
}

void TOrvoBaseList::RestoreSurfaces() {
  display_.Release();
  pictures_->RestoreCacheSurfaces();
  Screen(0).RestoreSurfaces();
  Screen(1).RestoreSurfaces();
  for (TOrvoObject* object : objects_) object->RestoreSurfaces();
}

void TOrvoBaseList::SaveScreenshot(const std::string& path) { SaveSurfacePng(DisplaySurface(), path); }

}  // namespace orvo
