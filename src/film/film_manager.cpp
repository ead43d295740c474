// The film: loading a file, the links between tracks, and seeking a frame
// (tracks render, screens flip while a wipe track runs).
#include <algorithm>

#include "base/cp932.h"
#include "base/error.h"
#include "base/numeric.h"
#include "base/stream.h"
#include "base/trace.h"
#include "film/film.h"
#include "stage/stage.h"

namespace orvo {

TFilmManager::TFilmManager() = default;

TFilmManager::~TFilmManager() { Clear(); }

void TFilmManager::Clear() {
  // Tracks free their objects and pictures while the film still knows its stage.
  while (!tracks_.empty()) tracks_.pop_back();
  relative = false;
  origin_x = origin_y = 0;
  loop_start = 0;
  length_ = 0;
  current_frame_ = -1;
  current_wipe_ = nullptr;
}

TCustomFrameList* TFilmManager::Track(int32_t index) const {
  if (index < 0 || index >= static_cast<int32_t>(tracks_.size())) return nullptr;
  return tracks_[static_cast<size_t>(index)].get();
}

int32_t TFilmManager::IndexOf(const TCustomFrameList* track) const {
  for (size_t i = 0; i < tracks_.size(); ++i) {
    if (tracks_[i].get() == track) return static_cast<int32_t>(i);
  }
  return -1;
}

TCustomFrameList* TFilmManager::FirstRootTrack() const {
  for (const auto& track : tracks_) {
    if (track->AbsoluteStart() == 0) return track.get();
  }
  return nullptr;
}

void TFilmManager::LinkTracks() {
  for (auto& track : tracks_) {
    track->follower_ = nullptr;
    track->absolute_known_ = false;
  }
  for (auto& track : tracks_) {
    if (track->parent && !track->parent->follower_) track->parent->follower_ = track.get();
  }
  // Absolute starts root first: each chain is walked once.
  std::vector<TCustomFrameList*> chain;
  for (auto& track : tracks_) {
    chain.clear();
    for (TCustomFrameList* up = track.get(); up && !up->absolute_known_; up = up->parent) chain.push_back(up);
    for (size_t i = chain.size(); i-- > 0;) {
      TCustomFrameList* t = chain[i];
      t->absolute_start_ = t->parent ? WrapAdd(t->parent->absolute_start_, t->parent->length) : t->start;
      t->root_ = t->parent ? t->parent->root_ : t;
      t->absolute_known_ = true;
    }
  }
}

void TFilmManager::ComputeLength() {
  int64_t longest = 0;
  for (const auto& track : tracks_)
    longest = std::max<int64_t>(longest, int64_t{track->AbsoluteStart()} + track->length);
  length_ = static_cast<int32_t>(std::clamp<int64_t>(longest, 0, INT32_MAX));
}

TFilmLoad TFilmManager::LoadFilm(std::string_view bytes, const std::string& path) {
  Clear();
  load_message_.clear();
  const size_t slash = FindLastChar(path, '\\');
  const size_t other = path.find_last_of('/');
  size_t cut = std::string::npos;
  if (slash != std::string::npos) cut = slash;
  if (other != std::string::npos && (cut == std::string::npos || other > cut)) cut = other;
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);

  if (bytes.size() < 13 || (bytes.substr(0, 10) != "OrvoCinema" && bytes.substr(0, 10) != "OrvoMotion")) {
    load_message_ = "not a film (no OrvoCinema or OrvoMotion magic)";
    return TFilmLoad::NoMagic;
  }
  int32_t v = 0;
  for (size_t i = 10; i < 13; ++i) {
    const char c = bytes[i];
    if (c < '0' || c > '9') {
      load_message_ = "not a film (the version is not decimal)";
      return TFilmLoad::NoMagic;
    }
    v = v * 10 + (c - '0');
  }
  kind = bytes.substr(0, 10) == "OrvoMotion" ? 1 : 0;
  version = v;
  TSpanStream stream(bytes.data() + 13, bytes.size() - 13);
  TBinaryReader reader(stream);
  try {
    width = reader.ReadInt32();
    height = reader.ReadInt32();
    color = reader.ReadInt32();
    if (v > 101) relative = reader.ReadByte() != 0;
    if (v > 103) {
      origin_x = reader.ReadInt32();
      origin_y = reader.ReadInt32();
    }
    if (v > 105) {
      loop_start = reader.ReadInt32();
      if (v == 106) loop_start = WrapMul(loop_start, 2);
    }
    // Tracks are read one by one: nothing is reserved by the stored count,
    // and data that ends early stops the reading as damaged.
    const int32_t count = reader.ReadInt32();
    for (int32_t i = 0; i < count; ++i) {
      const uint8_t type = reader.ReadByte() & 0x7F;
      // An unknown kind's record has no known size: the tracks read so far stay.
      if (type >= kTrackKindCount) break;
      auto track = std::make_unique<TCustomFrameList>(*this, static_cast<TTrackKind>(type));
      track->ReadTrack(reader, folder, v);
      tracks_.push_back(std::move(track));
    }
  } catch (const EOrvoError& error) {
    Clear();
    kind = 0;
    load_message_ = std::string("damaged film: ") + error.what();
    return TFilmLoad::Damaged;
  }
  // Links in track order; one that would close a cycle (the track itself or
  // one of its own followers) is dropped.
  for (auto& track : tracks_) {
    TCustomFrameList* parent = Track(track->parent_index);
    for (TCustomFrameList* up = parent; up; up = up->parent) {
      if (up == track.get()) {
        parent = nullptr;
        break;
      }
    }
    track->parent = parent;
  }
  LinkTracks();
  for (auto& track : tracks_) track->AfterLoad();
  ComputeLength();
  return TFilmLoad::Loaded;
}

TFilmLoad TFilmManager::LoadFilmFile(const std::string& path) {
  std::string bytes;
  IPictureFiles* files = Pictures() ? Pictures()->Files() : nullptr;
  if (!files || !files->Contains(path)) {
    Clear();
    load_message_ = "film file not found";
    return TFilmLoad::NoMagic;
  }
  try {
    bytes = files->Load(path);
  } catch (const EOrvoError& error) {
    Clear();
    load_message_ = error.what();
    return TFilmLoad::Damaged;
  }
  const TFilmLoad result = LoadFilm(bytes, path);
  if (result == TFilmLoad::Damaged) Trace().Line("film " + path + ": " + load_message_);
  return result;
}

TDovaCollection* TFilmManager::Pictures() const {
  if (pictures_) return pictures_;
  return stage_ ? &stage_->Pictures() : nullptr;
}

void TFilmManager::SetOwner(TOrvoControl* owner) { owner_ = owner ? owner->Handle() : 0; }

TOrvoControl* TFilmManager::Owner() const { return owner_ && stage_ ? stage_->ResolveControl(owner_) : nullptr; }

void TFilmManager::SetTarget(TOrvoControl* target) { target_ = target ? target->Handle() : 0; }

TOrvoControl* TFilmManager::Target() const { return target_ && stage_ ? stage_->ResolveControl(target_) : nullptr; }

std::string TFilmManager::NamePrefix() const {
  if (const TOrvoControl* owner = Owner()) return "\x01" + owner->Name() + "\x01";
  return "\x01";
}

bool TFilmManager::HasScreenTracks() const {
  return std::any_of(tracks_.begin(), tracks_.end(),
                     [](const auto& track) { return track->Kind() == TTrackKind::Wipe || track->other_screen; });
}

int32_t TFilmManager::ScreenParityAt(int32_t f) const {
  int32_t parity = 0;
  for (const auto& track : tracks_) {
    if (track->Kind() != TTrackKind::Wipe) continue;
    if (int64_t{f} >= int64_t{track->AbsoluteStart()} + track->length - 1) parity ^= 1;
  }
  return parity;
}

TCustomFrameList* TFilmManager::ActiveWipeTrack(int32_t f, int32_t& parity) const {
  parity = 0;
  TCustomFrameList* active = nullptr;
  for (const auto& track : tracks_) {
    if (track->Kind() != TTrackKind::Wipe) continue;
    if (track->Holds(f)) {
      active = track.get();
    } else if (int64_t{f} >= int64_t{track->AbsoluteStart()} + track->length - 1) {
      parity ^= 1;
    }
  }
  return active;
}

void TFilmManager::ApplyFilmSettings() {
  if (!motion_mode && !Owner() && stage_) {
    stage_->SetSize(width, height);
    stage_->Screen(0).SetProperty(PR_COLOR, TPropValue::Int(color));
    stage_->Screen(1).SetProperty(PR_COLOR, TPropValue::Int(color));
  }
  for (auto& track : tracks_) {
    if (track->Kind() == TTrackKind::Sound) track->EnsureSound();
  }
}

void TFilmManager::SetTracksPaused(bool paused) {
  if (paused == tracks_paused) return;
  tracks_paused = paused;
  for (auto& track : tracks_) track->SetTracksPaused(paused);
}

void TFilmManager::SetSoundEnabled(bool enabled) {
  sound_enabled = enabled;
  if (enabled) return;
  for (auto& track : tracks_) {
    if (track->Kind() != TTrackKind::Sound) continue;
    if (TOrvoObject* sound = track->TrackObject()) sound->SetProperty(PR_PAUSED, TPropValue::Bool(true));
  }
}

void TFilmManager::ReleaseObjects() {
  for (auto& track : tracks_) track->ReleaseTrackObject();
}

void TFilmManager::SeekFrame(int32_t f) {
  for (size_t i = 0; i < tracks_.size(); ++i) tracks_[i]->RenderFrame(f);
  if (!motion_mode && !Owner() && stage_) {
    int32_t parity = 0;
    TCustomFrameList* wipe = ActiveWipeTrack(f, parity);
    if (wipe) {
      TCustomWipe* started = stage_->StartFlip(parity, wipe->wipe_kind, wipe->length, WrapSub(f, wipe->AbsoluteStart()),
                                               wipe != current_wipe_, wipe->reverse);
      if (started) {
        started->SetParam(0, wipe->param0);
        started->SetParam(1, wipe->param1);
        started->SetText(wipe->rule);
        started->SetOption(wipe->option);
        started->Prepare();
      }
    } else {
      stage_->StartFlip(parity, 0, 0, 0, current_wipe_ != nullptr, false);
    }
    stage_->ActiveScreen().SortChildren();
    current_wipe_ = wipe;
  }
  current_frame_ = f;
}

}  // namespace orvo
