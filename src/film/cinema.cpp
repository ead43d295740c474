#include "film/cinema.h"

#include <algorithm>

#include "base/numeric.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"

namespace orvo {

namespace {

TRect OffsetRect(const TRect& r, int32_t dx, int32_t dy) {
  return {WrapAdd(r.left, dx), WrapAdd(r.top, dy), WrapAdd(r.right, dx), WrapAdd(r.bottom, dy)};
}

}  // namespace

TOrvoCinema::TOrvoCinema(TOrvoBaseList& stage)
    : TOrvoControl(stage), nested_(std::make_unique<TOrvoBaseList>(stage.State())) {
  nested_->InheritKinds(stage);
  nested_->Pictures().SetFiles(stage.Pictures().Files());
  nested_->SetGlyphs(stage.Glyphs());
  nested_->SetEngine(stage.Engine());
  nested_->SetMotionLoader(stage.MotionLoader());
  nested_->SetCGDither(stage.CGDither());
}

TOrvoCinema::~TOrvoCinema() { FreeFilm(); }

void TOrvoCinema::FreeFilm() {
  if (!film_) return;
  Invalidate();
  // Each track frees its object, then the film goes.
  film_.reset();
}

void TOrvoCinema::SizeChanged() { nested_->SetSize(std::max(1, Width()), std::max(1, Height())); }

void TOrvoCinema::SetSource(const std::string& source) {
  Invalidate();
  if (source == source_) return;
  source_ = source;
  FreeFilm();
  IPictureFiles* files = Stage().Pictures().Files();
  if (files && !source_.empty() && files->Contains(source_)) {
    film_ = std::make_unique<TFilmManager>();
    film_->master_volume = volume_;
    film_->SetPictures(&Stage().Pictures());
    film_->SetSoundStage(&Stage());
    film_->LoadFilmFile(source_);
    if (film_->HasScreenTracks() || film_->color >= 0) {
      film_->SetFilmStage(nested_.get());
    } else {
      film_->SetFilmStage(&Stage());
      film_->SetOwner(this);
      SetBoundsRect(Left(), Top(), film_->width, film_->height);
    }
    film_->ApplyFilmSettings();
    if (PlaysNested()) SetBoundsRect(Left(), Top(), nested_->Width(), nested_->Height());
  }
  nested_->UpdateAll();
  Invalidate();
  elapsed_ = 0;
  ended_ = false;
  start_countdown_ = 2;
}

TPropValue TOrvoCinema::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_REPEAT:
      return TPropValue::Bool(repeat_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_INDEX:
      return TPropValue::Int(film_ ? std::max(0, film_->CurrentFrame()) : 0);
    case PR_COUNT:
      return TPropValue::Int(film_ ? film_->FilmLength() : 0);
    case PR_PLAYING:
      return TPropValue::Bool(film_ && film_->CurrentFrame() < film_->FilmLength() - 1 && !paused_ && !AniPaused());
    case PR_VOLUME:
      return TPropValue::Int(volume_);
    case PR_REWINDONLOAD:
      return TPropValue::Bool(rewind_on_load_);
    case PR_MUTEONLOAD:
      return TPropValue::Bool(mute_on_load_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoCinema::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      return;
    case PR_REPEAT:
      if (repeat_ == value.AsBool()) return;
      repeat_ = value.AsBool();
      if (repeat_) ended_ = false;
      return;
    case PR_PAUSED:
    case PR_ANIPAUSED: {
      const bool before = paused_ || AniPaused();
      if (id == PR_PAUSED) {
        paused_ = value.AsBool();
      } else {
        TOrvoControl::SetProperty(id, value);
      }
      const bool now = paused_ || AniPaused();
      if (film_ && now != before) film_->SetTracksPaused(now);
      return;
    }
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      return;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      return;
    case PR_INDEX: {
      // A large index saturates instead of leaving the integer range.
      elapsed_ = RealToIntSaturate<int32_t>(static_cast<long double>(value.AsInt()) * kFilmFrameMs);
      ended_ = false;
      start_countdown_ = 2;
      return;
    }
    case PR_VOLUME:
      volume_ = std::max(value.AsInt(), 0);
      if (film_) film_->master_volume = volume_;
      return;
    case PR_REWINDONLOAD:
      rewind_on_load_ = value.AsBool();
      return;
    case PR_MUTEONLOAD:
      mute_on_load_ = value.AsBool();
      return;
    default:
      TOrvoControl::SetProperty(id, value);
      return;
  }
}

bool TOrvoCinema::Update() {
  bool result = TOrvoControl::Update();
  if (!film_) return result;
  film_->SetSoundEnabled(!(paused_ || AniPaused()));
  if (paused_) return result;
  if (!ended_ && !AniPaused() && start_countdown_ < 1) elapsed_ = WrapAdd(elapsed_, Stage().FrameDelta());
  int32_t frame = FilmFrameOfElapsed(elapsed_);
  const int32_t length = film_->FilmLength();
  if (frame >= length) {
    if (!repeat_) {
      if (auto_scrap_) {
        result = true;
      } else if (!ended_ && !on_play_end_.empty()) {
        Stage().Events().PostEvent(Handle(), on_play_end_, {}, PR_ONPLAYEND);
      }
      ended_ = true;
      frame = length - 1;
    } else {
      frame = RepeatFrame(frame, length, film_->loop_start);
      elapsed_ = RealToIntSaturate<int32_t>(RoundHalfEven(static_cast<long double>(frame) * kFilmFrameMs));
    }
  }
  if (start_countdown_ == 2 || frame != film_->CurrentFrame()) film_->SeekFrame(frame);
  if (start_countdown_ > 0) --start_countdown_;
  nested_->UpdateAll();
  nested_painted_ = false;
  if (PlaysNested()) {
    if (nested_->WipeKind() != 0) {
      Invalidate();
    } else if (TOrvoBase* base = OwnerBase()) {
      for (const TRect& r : nested_->ActiveScreen().Dirty().Rects()) base->AddDirty(OffsetRect(r, AbsLeft(), AbsTop()));
    }
  }
  return result;
}

void TOrvoCinema::Paint(TCustomDIBX& surface) {
  if (PlaysNested()) {
    const int32_t x = AbsLeft(), y = AbsTop();
    // A screen paints its children once per dirty rectangle: the nested stage
    // draws once per frame, and each call copies what its clip shows.
    if (!nested_painted_) {
      if (TOrvoBase* base = OwnerBase()) {
        for (const TRect& r : base->Dirty().Rects()) nested_->ActiveScreen().AddDirty(OffsetRect(r, -x, -y));
      }
      nested_->PaintAll();
      nested_->ClearDirty();
      nested_painted_ = true;
    }
    TDIBX& picture = nested_->DisplaySurface();
    const TRect shown =
        IntersectRect(surface.GetClipRect(), TRect{x, y, WrapAdd(x, picture.Width()), WrapAdd(y, picture.Height())});
    if (!shown.IsEmpty()) {
      surface.Draw(shown.left, shown.top, picture, OffsetRect(shown, -x, -y), TDrawFlags::None);
    }
  } else {
    nested_->ClearDirty();
  }
  TOrvoControl::Paint(surface);
}

TOrvoControl* TOrvoCinema::HitTest(int32_t x, int32_t y, uint32_t mask) {
  if (!Visible() || !ObjectRect().Contains(x, y)) return nullptr;
  TOrvoControl* candidate = IgnoreMouse() <= 7 && (mask & (uint32_t{1} << IgnoreMouse())) ? this : nullptr;
  const std::vector<TOrvoControl*>& children = Children();
  for (size_t i = children.size(); i-- > 0;) {
    TOrvoControl* child = children[i];
    if (child->IsScrapped() || child->HasSystemName()) continue;
    if (TOrvoControl* hit = child->HitTest(x, y, mask)) return hit;
  }
  return candidate;
}

void TOrvoCinema::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteString(source_);
  writer.WriteBool(repeat_);
  writer.WriteBool(paused_);
  writer.WriteBool(auto_scrap_);
  writer.WriteString(on_play_end_);
  writer.WriteString(Handler(THandler::Idle));
  writer.WriteInt32(film_ ? std::max(0, film_->CurrentFrame()) : 0);
  writer.WriteBool(rewind_on_load_);
  writer.WriteInt32(volume_);
  writer.WriteBool(mute_on_load_);
  writer.WriteBool(ended_);
}

void TOrvoCinema::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  const std::string source = reader.ReadString();
  source_.clear();
  SetSource(source);
  repeat_ = reader.ReadBool();
  paused_ = reader.ReadBool();
  auto_scrap_ = reader.ReadBool();
  on_play_end_ = reader.ReadString();
  if (version > 103) SetHandler(THandler::Idle, reader.ReadString());
  if (version > 116) {
    const int32_t frame = reader.ReadInt32();
    rewind_on_load_ = reader.ReadBool();
    if (frame > 0 && !rewind_on_load_) SetProperty(PR_INDEX, TPropValue::Int(frame));
  }
  if (version <= 128) {
    mute_on_load_ = false;
  } else {
    volume_ = reader.ReadInt32();
    mute_on_load_ = reader.ReadBool();
  }
  if (mute_on_load_) volume_ = 0;
  SetProperty(PR_VOLUME, TPropValue::Int(volume_));
  if (version > 132) ended_ = reader.ReadBool();
  if (film_ && paused_) film_->SetTracksPaused(true);
}

void TOrvoCinema::ReleaseSurfaces() { nested_->ReleaseSurfaces(); }

void TOrvoCinema::RestoreSurfaces() {
  nested_->RestoreSurfaces();
  if (film_ && !paused_) film_->SeekFrame(film_->CurrentFrame());
}

void RegisterFilmKinds(TOrvoBaseList& stage) {
  stage.RegisterKind(kcCinema, [](TOrvoBaseList& s) { return std::make_unique<TOrvoCinema>(s); });
  InstallFilmMotions(stage);
}

}  // namespace orvo
