// Playing a track at a frame: the values of every kind, and how they reach
// the track's own stage object or, in a motion film, the one Target.
#include <algorithm>
#include <numbers>

#include "base/numeric.h"
#include "film/film.h"
#include "film/film_image.h"
#include "stage/particle_param.h"
#include "stage/stage.h"

namespace orvo {

namespace {

int32_t Channel(int32_t colour, int shift) { return (colour >> shift) & 0xFF; }

// Each of the three channels on its own, linear; the top byte is 0.
int32_t BlendColour(int32_t s, int32_t e, int32_t t, int32_t n) {
  if (s == e) return s;
  int32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int32_t c = InterpolateInt(0, Channel(s, shift), Channel(e, shift), t, n);
    result |= (c & 0xFF) << shift;
  }
  return result;
}

void Set(TOrvoObject& object, int32_t id, int32_t value) { object.SetProperty(id, TPropValue::Int(value)); }
void SetReal(TOrvoObject& object, int32_t id, long double value) { object.SetProperty(id, TPropValue::Float(value)); }
void SetFlag(TOrvoObject& object, int32_t id, bool value) { object.SetProperty(id, TPropValue::Bool(value)); }

void ApplyClip(TOrvoObject& object, const TClipValue& clip) {
  Set(object, PR_CLIPLEFT, clip.left);
  Set(object, PR_CLIPTOP, clip.top);
  Set(object, PR_CLIPWIDTH, clip.width);
  Set(object, PR_CLIPHEIGHT, clip.height);
}

TPictureView ViewOf(const TFilmFrame& frame) {
  TPictureView view;
  view.surface = frame.picture.surface;
  view.mask = frame.picture.mask;
  view.key_color = frame.picture.key_color;
  view.draw_rects = frame.picture.draw_rects;
  return view;
}

}  // namespace

TTrackValues TrackValuesAt(const TCustomFrameList& track, int32_t f) {
  TTrackValues v;
  const int32_t t = track.StepAt(f);
  const int32_t n = track.Steps();
  const auto lerp = [&](int32_t mode, TIntQuantity q) { return track.IntAt(mode, q, f); };
  const auto both_zero = [&](TIntQuantity q) { return track.StartInt(q) == 0 && track.EndInt(q) == 0; };
  int32_t sx, sy, ex, ey;
  track.StartEndPositions(sx, sy, ex, ey);
  // Clip, opacity and blur, shared by the drawing kinds.
  const int32_t cw = lerp(track.ease_clip_x, qClipWidth);
  const int32_t ch = lerp(track.ease_clip_y, qClipHeight);
  if (cw >= 1 && ch >= 1) v.clip = {lerp(track.ease_clip_x, qClipLeft), lerp(track.ease_clip_y, qClipTop), cw, ch};
  if (!both_zero(qAlpha)) {
    const int32_t a = track.StartInt(qAlpha) == 0 ? 255 : track.StartInt(qAlpha);
    const int32_t b = track.EndInt(qAlpha) == 0 ? 255 : track.EndInt(qAlpha);
    v.alpha = InterpolateInt(0, a, b, t, n);
    if (v.alpha < 0) v.alpha = WrapSub(256, v.alpha);
  }
  v.blur_span = both_zero(qBlurSpan) ? 0 : lerp(0, qBlurSpan);
  v.blur_delay = both_zero(qBlurDelay) ? 0 : lerp(0, qBlurDelay);
  const auto rectangle = [&] {
    v.left = InterpolateInt(track.ease_x, sx, ex, t, n);
    const int32_t right = InterpolateInt(track.ease_x, WrapAdd(WrapAdd(track.StartInt(qWidth), sx), -1),
                                         WrapAdd(WrapAdd(track.EndInt(qWidth), ex), -1), t, n);
    v.top = InterpolateInt(track.ease_y, sy, ey, t, n);
    const int32_t bottom = InterpolateInt(track.ease_y, WrapAdd(WrapAdd(track.StartInt(qHeight), sy), -1),
                                          WrapAdd(WrapAdd(track.EndInt(qHeight), ey), -1), t, n);
    v.width = WrapAdd(WrapSub(right, v.left), 1);
    v.height = WrapAdd(WrapSub(bottom, v.top), 1);
  };
  switch (track.Kind()) {
    case TTrackKind::Image:
    case TTrackKind::Label:
    case TTrackKind::Tile: {
      const int32_t i = track.FrameIndexAt(t);
      v.frame = i;
      v.valid = i >= 0 && i < track.FrameCount();
      if (!v.valid) {
        v.frame = -1;
        break;
      }
      const TFilmFrame& frame = track.Frames()[static_cast<size_t>(i)];
      v.hot_x = WrapSub(track.anchor_x, frame.picture.offset_x);
      v.hot_y = WrapSub(track.anchor_y, frame.picture.offset_y);
      v.x = InterpolateInt(track.ease_x, sx, ex, t, n);
      v.y = InterpolateInt(track.ease_y, sy, ey, t, n);
      v.zoom_x = track.RealAt(track.ease_zoom_x, qZoomX, f);
      v.zoom_y = track.RealAt(track.ease_zoom_y, qZoomY, f);
      if (track.StartReal(qAngle) != 0 || track.EndReal(qAngle) != 0)
        v.angle = track.RealAt(track.ease_angle, qAngle, f);
      if (track.Kind() == TTrackKind::Tile) {
        rectangle();
        v.scroll_x = lerp(track.ease_scroll_x, qScrollX);
        v.scroll_y = lerp(track.ease_scroll_y, qScrollY);
      }
      break;
    }
    case TTrackKind::Box:
      rectangle();
      v.fill = BlendColour(track.StartInt(qFillColor), track.EndInt(qFillColor), t, n);
      v.border_color = BlendColour(track.StartInt(qBorderColor), track.EndInt(qBorderColor), t, n);
      v.border_width = track.StartInt(qBorderWidth) == track.EndInt(qBorderWidth) ? track.StartInt(qBorderWidth)
                                                                                  : lerp(0, qBorderWidth);
      break;
    case TTrackKind::Particle:
      rectangle();
      v.interval = lerp(0, qInterval);
      v.spread = lerp(0, qSpread);
      v.emit_x = lerp(track.ease_emit_x, qEmitX);
      v.emit_y = lerp(track.ease_emit_y, qEmitY);
      v.range_x = lerp(0, qRangeX);
      v.range_y = lerp(0, qRangeY);
      for (int k = 0; k < 3; ++k) v.factors[k] = track.RealAt(0, static_cast<TRealQuantity>(qFactor1 + k), f);
      break;
    case TTrackKind::Fire:
      v.x = InterpolateInt(track.ease_x, sx, ex, t, n);
      v.y = InterpolateInt(track.ease_y, sy, ey, t, n);
      v.width = lerp(track.ease_x, qWidth);
      v.height = lerp(track.ease_y, qHeight);
      v.zoom_x = track.RealAt(track.ease_zoom_x, qZoomX, f);
      v.zoom_y = track.RealAt(track.ease_zoom_y, qZoomY, f);
      break;
    case TTrackKind::Sound:
      // 64 bits: a large start volume times the master volume passes int32.
      v.volume = WrapToInt32(int64_t{lerp(track.ease_volume, qVolume)} * track.Film().master_volume / 1000);
      v.pan = lerp(track.ease_pan, qPan);
      break;
    case TTrackKind::Wipe:
      v.wipe_elapsed = t;
      break;
  }
  return v;
}

// ---- objects of the tracks

TOrvoObject* TCustomFrameList::TrackObject() const {
  if (!object_) return nullptr;
  TOrvoBaseList* stage = kind_ == TTrackKind::Sound ? film_->SoundStage() : film_->Stage();
  return stage ? stage->Resolve(object_) : nullptr;
}

void TCustomFrameList::ReleaseTrackObject() {
  TOrvoObject* object = TrackObject();
  object_ = 0;
  if (!object) return;
  if (auto* picture = dynamic_cast<TOrvoCustomImage*>(object)) picture->ClearExternalPicture();
  object->Stage().DeleteObject(*object);
}

void TCustomFrameList::PlaceOnScreen(TOrvoControl& object) {
  if (TOrvoControl* owner = film_->Owner()) {
    object.SetParent(owner);
    return;
  }
  if (film_->motion_mode) return;
  const int32_t screen = film_->ScreenParityAt(AbsoluteStart()) ^ (other_screen ? 1 : 0);
  object.SetParent(&film_->Stage()->Screen(screen));
}

TOrvoObject* TCustomFrameList::EnsureTrackObject() {
  if (TOrvoObject* object = TrackObject()) return object;
  TOrvoBaseList* stage = film_->Stage();
  if (!stage) return nullptr;
  TOrvoObject* created = nullptr;
  switch (kind_) {
    case TTrackKind::Image:
      created = stage->Create<TOrvoImage>();
      break;
    case TTrackKind::Label:
      created = stage->CreateByKind(kcLabel);
      break;
    case TTrackKind::Box:
      created = stage->CreateByKind(kcBox);
      break;
    case TTrackKind::Tile:
      created = stage->CreateByKind(kcTile);
      break;
    default:
      return nullptr;
  }
  // A kind this build does not know shows nothing.
  if (!created) return nullptr;
  created->SetName(stage->UniqueName(film_->NamePrefix()));
  object_ = created->Handle();
  if (kind_ == TTrackKind::Label) {
    if (TOrvoControl* control = created->AsControl()) {
      const int active = stage->ActiveScreenIndex() ^ (other_screen ? 1 : 0);
      control->SetParent(&stage->Screen(active));
    }
  }
  return created;
}

TOrvoControl* TCustomFrameList::EnsureChainObject(uint8_t code) {
  TCustomFrameList* root = ChainRoot();
  if (root != this && object_) ReleaseTrackObject();
  if (TOrvoObject* object = root->TrackObject()) return object->AsControl();
  TOrvoBaseList* stage = film_->Stage();
  if (!stage) return nullptr;
  TOrvoObject* created = stage->CreateByKind(code);
  if (!created) return nullptr;
  created->SetName(stage->UniqueName(film_->NamePrefix()));
  root->object_ = created->Handle();
  return created->AsControl();
}

void TCustomFrameList::SetTracksPaused(bool paused) {
  if (kind_ != TTrackKind::Sound) return;
  tracks_paused_ = paused;
  if (ChainRoot() != this) return;
  if (TOrvoObject* sound = TrackObject()) SetFlag(*sound, PR_PAUSED, paused);
}

TOrvoObject* TCustomFrameList::EnsureSound() {
  if (parent && ChainRoot()->kind_ == TTrackKind::Sound) return ChainRoot()->EnsureSound();
  if (TOrvoObject* sound = TrackObject()) return sound;
  TOrvoBaseList* stage = film_->SoundStage();
  if (!stage) return nullptr;
  TOrvoObject* sound = stage->CreateByKind(kcSound);
  if (!sound) return nullptr;
  sound->SetName(stage->UniqueName(film_->NamePrefix()));
  object_ = sound->Handle();
  sound->SetProperty(PR_SOURCE, TPropValue::Str(path));
  Set(*sound, PR_VOLUME, WrapToInt32(int64_t{StartInt(qVolume)} * film_->master_volume / 1000));
  const int64_t sound_length = sound->GetInt(PR_COUNT);
  const int64_t span = RealToIntSaturate<int32_t>(static_cast<long double>(length) * kFilmFrameMs);
  bool repeat = sound_length < span;
  if (!repeat) {
    const int64_t begin = AbsoluteStart();
    const int64_t end = begin + length;
    const int64_t film_length = film_->FilmLength();
    repeat = end >= film_length && begin <= film_->loop_start && film_->loop_start < end && film_->loop_start > 0 &&
             film_->loop_start < film_length - 1;
  }
  SetFlag(*sound, PR_REPEAT, repeat);
  Set(*sound, PR_BALANCE, StartInt(qPan));
  SetFlag(*sound, PR_PAUSED, true);
  sound->StartMedia();
  return sound;
}

// ---- rendering

void TCustomFrameList::RenderFrame(int32_t f) {
  switch (kind_) {
    case TTrackKind::Image:
    case TTrackKind::Label:
    case TTrackKind::Tile:
      RenderPictureLike(f);
      break;
    case TTrackKind::Box:
    case TTrackKind::Particle:
    case TTrackKind::Fire:
      RenderRect(f);
      break;
    case TTrackKind::Sound:
      RenderSound(f);
      break;
    case TTrackKind::Wipe:
      break;
  }
}

void TCustomFrameList::RenderPictureLike(int32_t f) {
  const bool motion = film_->motion_mode;
  if (!Holds(f)) {
    if (!motion) ReleaseTrackObject();
    return;
  }
  TOrvoObject* object = motion ? film_->Target() : EnsureTrackObject();
  const TTrackValues v = TrackValuesAt(*this, f);
  if (!v.valid || !object) return;
  TOrvoControl* control = object->AsControl();
  if (!control) return;
  const TFilmFrame& frame = frames_[static_cast<size_t>(v.frame)];
  const long double radians = v.angle / 360 * 2 * std::numbers::pi_v<long double>;
  if (!motion && !film_->Owner() && kind_ != TTrackKind::Label) PlaceOnScreen(*control);
  auto* picture = dynamic_cast<TOrvoCustomImage*>(control);
  if (kind_ == TTrackKind::Image) {
    if (!motion) {
      auto* image = dynamic_cast<TOrvoImage*>(control);
      if (!image) return;
      int32_t w = image->Width(), h = image->Height();
      if (image->ZoomFactorX() == 1) w = frame.Width();
      if (image->ZoomFactorY() == 1) h = frame.Height();
      image->SetBoundsRect(image->Left(), image->Top(), w, h);
      if (TOrvoControl* owner = film_->Owner()) image->SetParent(owner);
      image->SetIndex(v.frame);
      image->SetExternalPicture(ViewOf(frame));
      SetReal(*image, PR_FLOATZOOMX, v.zoom_x);
      SetReal(*image, PR_FLOATZOOMY, v.zoom_y);
      Set(*image, PR_PRIORITY, priority);
      SetFlag(*image, PR_FLIPH, flip_h);
      SetFlag(*image, PR_FLIPV, flip_v);
      Set(*image, PR_OFFSETX, v.hot_x);
      Set(*image, PR_OFFSETY, v.hot_y);
      Set(*image, PR_LEFT, v.x);
      Set(*image, PR_TOP, v.y);
      SetReal(*image, PR_FLOATANGLE, radians);
      SetFlag(*image, PR_ANTIALIAS, false);
      Set(*image, PR_ALPHA, v.alpha);
      Set(*image, PR_BLURSPAN, v.blur_span);
      Set(*image, PR_BLURDELAY, v.blur_delay);
      ApplyClip(*image, v.clip);
      image->MarkSizeDue();
    } else {
      if (picture) picture->SetExternalPicture(ViewOf(frame));
      const int32_t w = std::max(1, RealToIntSaturate<int32_t>(RoundHalfEven(v.zoom_x * frame.Width())));
      const int32_t h = std::max(1, RealToIntSaturate<int32_t>(RoundHalfEven(v.zoom_y * frame.Height())));
      control->SetBoundsRect(control->Left(), control->Top(), w, h);
      control->SetPriorityBias(priority);
      SetFlag(*control, PR_FLIPH, flip_h);
      SetFlag(*control, PR_FLIPV, flip_v);
      control->SetMotionPosition(v.x, v.y);
      Set(*control, PR_OFFSETX, v.hot_x);
      Set(*control, PR_OFFSETY, v.hot_y);
      SetReal(*control, PR_FLOATZOOMX, v.zoom_x);
      SetReal(*control, PR_FLOATZOOMY, v.zoom_y);
      SetReal(*control, PR_FLOATANGLE, radians);
      Set(*control, PR_ALPHA, v.alpha);
      Set(*control, PR_BLURDELAY, v.blur_delay);
      Set(*control, PR_BLURSPAN, v.blur_span);
      ApplyClip(*control, v.clip);
      if (picture) picture->RecomputeSize();
    }
    return;
  }
  if (kind_ == TTrackKind::Label) {
    if (!motion) PlaceOnScreen(*control);
    control->SetProperty(
        PR_FONTNAME,
        TPropValue::Str(font_name.empty() ? "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e" : font_name));
    Set(*control, PR_FONTHEIGHT, font_size);
    Set(*control, PR_LINESPACE, line_space);
    Set(*control, PR_FONTCOLOR, font_color);
    Set(*control, PR_FONTSTYLE, font_style);
    SetFlag(*control, PR_ANTIALIAS, anti_alias);
    Set(*control, PR_HALIGN, align);
    SetFlag(*control, PR_FLIPH, flip_h);
    SetFlag(*control, PR_FLIPV, flip_v);
    control->SetProperty(PR_TEXT, TPropValue::Str(text));
    if (motion) {
      Set(*control, PR_PRIORITY, WrapAdd(film_->base_priority, priority));
      control->SetMotionPosition(v.x, v.y);
    } else {
      Set(*control, PR_PRIORITY, priority);
      Set(*control, PR_LEFT, v.x);
      Set(*control, PR_TOP, v.y);
    }
    Set(*control, PR_OFFSETX, v.hot_x);
    Set(*control, PR_OFFSETY, v.hot_y);
    Set(*control, PR_ALPHA, v.alpha);
    SetReal(*control, PR_FLOATANGLE, radians);
    SetReal(*control, PR_FLOATZOOMX, v.zoom_x);
    SetReal(*control, PR_FLOATZOOMY, v.zoom_y);
    ApplyClip(*control, v.clip);
    return;
  }
  // Tiles.
  if (picture) picture->SetExternalPicture(ViewOf(frame));
  if (!motion) {
    control->SetBoundsRect(control->Left(), control->Top(), v.width, v.height);
    if (TOrvoControl* owner = film_->Owner()) control->SetParent(owner);
    SetReal(*control, PR_FLOATZOOMX, v.zoom_x);
    SetReal(*control, PR_FLOATZOOMY, v.zoom_y);
    Set(*control, PR_PRIORITY, priority);
  } else {
    Set(*control, PR_PRIORITY, WrapAdd(film_->base_priority, priority));
  }
  Set(*control, PR_DISTANCEX, distance_x);
  Set(*control, PR_DISTANCEY, distance_y);
  SetFlag(*control, PR_FLIPH, flip_h);
  SetFlag(*control, PR_FLIPV, flip_v);
  if (motion) {
    control->SetMotionPosition(v.left, v.top);
    control->SetBoundsRect(control->Left(), control->Top(), v.width, v.height);
  }
  Set(*control, PR_OFFSETX, v.hot_x);
  Set(*control, PR_OFFSETY, v.hot_y);
  if (motion) {
    SetReal(*control, PR_FLOATZOOMX, v.zoom_x);
    SetReal(*control, PR_FLOATZOOMY, v.zoom_y);
  } else {
    Set(*control, PR_LEFT, v.left);
    Set(*control, PR_TOP, v.top);
  }
  Set(*control, PR_ALPHA, v.alpha);
  if (!motion) {
    Set(*control, PR_BLURSPAN, v.blur_span);
    Set(*control, PR_BLURDELAY, v.blur_delay);
  }
  Set(*control, PR_SCROLLX, v.scroll_x);
  Set(*control, PR_SCROLLY, v.scroll_y);
  ApplyClip(*control, v.clip);
}

void TCustomFrameList::RenderRect(int32_t f) {
  const bool motion = film_->motion_mode;
  if (!Holds(f)) {
    if (motion) return;
    if (kind_ == TTrackKind::Box) {
      ReleaseTrackObject();
      return;
    }
    // Particle and fire objects live while their chain's span holds the frame.
    TCustomFrameList* root = ChainRoot();
    const int64_t begin = root->AbsoluteStart();
    if (!Follower() && (f < begin || f >= int64_t{AbsoluteStart()} + length)) root->ReleaseTrackObject();
    return;
  }
  const TTrackValues v = TrackValuesAt(*this, f);
  TOrvoControl* control = nullptr;
  if (motion) {
    control = film_->Target();
  } else if (kind_ == TTrackKind::Box) {
    TOrvoObject* object = EnsureTrackObject();
    control = object ? object->AsControl() : nullptr;
  } else {
    control = EnsureChainObject(kind_ == TTrackKind::Particle ? kcParticle : kcFire);
  }
  if (!control) return;
  const int32_t own_priority = motion ? WrapAdd(film_->base_priority, priority) : priority;
  if (kind_ == TTrackKind::Fire) {
    Set(*control, PR_PRIORITY, own_priority);
    if (motion) {
      control->SetMotionPosition(v.x, v.y);
    } else {
      PlaceOnScreen(*control);
      Set(*control, PR_LEFT, v.x);
      Set(*control, PR_TOP, v.y);
    }
    Set(*control, PR_ORIGWIDTH, v.width);
    Set(*control, PR_ORIGHEIGHT, v.height);
    SetReal(*control, PR_FLOATZOOMX, v.zoom_x);
    SetReal(*control, PR_FLOATZOOMY, v.zoom_y);
    Set(*control, PR_POWER, power);
    ApplyClip(*control, v.clip);
    return;
  }
  if (motion) {
    control->SetMotionPosition(v.left, v.top);
    control->SetBoundsRect(control->Left(), control->Top(), v.width, v.height);
    Set(*control, PR_PRIORITY, own_priority);
    if (kind_ == TTrackKind::Particle) {
      Set(*control, PR_ALPHA, v.alpha);
      ApplyClip(*control, v.clip);
      return;
    }
  } else {
    PlaceOnScreen(*control);
    control->SetBoundsRect(v.left, v.top, v.width, v.height);
    Set(*control, PR_PRIORITY, own_priority);
  }
  Set(*control, PR_ALPHA, v.alpha);
  if (kind_ == TTrackKind::Box) {
    Set(*control, PR_COLOR, v.fill);
    Set(*control, PR_BORDERWIDTH, v.border_width);
    Set(*control, PR_BORDERCOLOR, v.border_color);
    Set(*control, PR_BLURSPAN, v.blur_span);
    Set(*control, PR_BLURDELAY, v.blur_delay);
    ApplyClip(*control, v.clip);
    return;
  }
  // Particle emitters, normal play.
  if (control->GetStr(PR_SOURCE) != path) control->SetProperty(PR_SOURCE, TPropValue::Str(path));
  Set(*control, PR_PARTMOTION, motion_type);
  Set(*control, PR_INDEX, pre_run);
  SetReal(*control, PR_PARAM1, v.factors[0]);
  SetReal(*control, PR_PARAM2, v.factors[1]);
  SetReal(*control, PR_PARAM3, v.factors[2]);
  if (auto* emission = dynamic_cast<IParticleEmission*>(control)) {
    emission->SetParticleLoop(loop);
    TOrvoParticleParam& param = emission->EmissionParam();
    param.XBase = v.emit_x;
    param.YBase = v.emit_y;
    param.XRange = v.range_x;
    param.YRange = v.range_y;
    param.IntervalBase = WrapSub(v.interval, v.spread / 2);
    param.IntervalRange = v.spread;
  }
  ApplyClip(*control, v.clip);
}

void TCustomFrameList::RenderSound(int32_t f) {
  TOrvoObject* sound = EnsureSound();
  const bool root = ChainRoot() == this || ChainRoot()->kind_ != TTrackKind::Sound;
  if (f < last_rendered_ && film_->sound_enabled && root && sound) SetFlag(*sound, PR_PAUSED, true);
  last_rendered_ = f;
  if (!sound) return;
  const int64_t begin = AbsoluteStart();
  const int64_t end = std::min<int64_t>(begin + length, int64_t{film_->FilmLength()} - 1);
  if (f >= begin && f < end) {
    const TTrackValues v = TrackValuesAt(*this, f);
    Set(*sound, PR_VOLUME, v.volume);
    Set(*sound, PR_BALANCE, v.pan);
    if (!film_->sound_enabled) {
      SetFlag(*sound, PR_PAUSED, true);
      return;
    }
    if (!sound->GetBool(PR_PAUSED)) {
      const int64_t expected = (int64_t{f} - ChainRoot()->AbsoluteStart()) * 1000 / 60;
      const int64_t position = sound->GetInt(PR_INDEX);
      if (std::llabs(position - expected) >= 3000) Set(*sound, PR_INDEX, WrapToInt32(expected));
      return;
    }
    sound->RestartMedia();
    return;
  }
  const int64_t chain_begin = ChainRoot()->AbsoluteStart();
  if (!Follower() && (f < chain_begin || f >= end)) SetFlag(*sound, PR_PAUSED, true);
}

}  // namespace orvo
