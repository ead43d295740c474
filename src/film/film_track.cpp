// Tracks as data: reading every version of their records, chaining, frame
// cycling, interpolation and the paths inside a film.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/cp932.h"
#include "base/error.h"
#include "base/numeric.h"
#include "film/film.h"
#include "stage/motion.h"
#include "stage/stage.h"

namespace orvo {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// Quantities that a chained track takes from its parent.
bool Chains(TIntQuantity q) { return q != qVolume && q != qPan; }

int32_t RoundToInt(long double value) {
  // Round half to even, then the 32-bit wrap of the integer arithmetic.
  const long double rounded = RoundHalfEven(value);
  if (!(rounded >= -9.2e18L && rounded <= 9.2e18L)) return 0;
  return WrapToInt32(static_cast<int64_t>(rounded));
}

}  // namespace

const char* TrackKindName(TTrackKind kind) {
  static const char* const kNames[kTrackKindCount] = {"image", "label", "box",      "wipe",
                                                      "sound", "tile",  "particle", "fire"};
  return kNames[static_cast<int>(kind) & 7];
}

int32_t FilmFrameOfElapsed(int32_t elapsed) {
  return RealToIntSaturate<int32_t>(RoundHalfEven(static_cast<long double>(elapsed) / kFilmFrameMs));
}

int32_t RepeatFrame(int32_t frame, int32_t length, int32_t loop_start) {
  return static_cast<int32_t>(
      std::min<int64_t>(int64_t{frame % std::max(length, 1)} + loop_start, int64_t{length} - 1));
}

int32_t InterpolateInt(int32_t mode, int32_t s, int32_t e, int32_t t, int32_t n) {
  if (t == 0) return s;
  if (t == n - 1 || n <= 1) return e;
  const int64_t span = int64_t{e} - s;
  if (mode == 0) {
    // The product wraps in 32 bits, as the arithmetic of the files' maker does.
    const int32_t product = WrapMul(t, WrapSub(e, s));
    return WrapAdd(s, WrapDiv(product, n - 1));
  }
  if (mode == 1) {
    const long double angle = static_cast<long double>(n - t - 1) * kPi / (2.0L * n);
    return WrapSub(e, RoundToInt(static_cast<long double>(span) * sinl(angle)));
  }
  const long double angle = static_cast<long double>(t) * kPi / (2.0L * n);
  return WrapAdd(s, RoundToInt(sinl(angle) * static_cast<long double>(span)));
}

long double InterpolateReal(int32_t mode, long double s, long double e, int32_t t, int32_t n) {
  if (t == 0) return s;
  if (t == n - 1 || n <= 1) return e;
  if (mode == 0) return s + static_cast<long double>(t) * (e - s) / static_cast<long double>(n);
  if (mode == 1) {
    const long double angle = static_cast<long double>(n - t - 1) * kPi / (2.0L * n);
    return e - (e - s) * sinl(angle);
  }
  const long double angle = static_cast<long double>(t) * kPi / (2.0L * n);
  return s + sinl(angle) * (e - s);
}

namespace {

bool AbsoluteName(const std::string& path) {
  return (!path.empty() && path[0] == '\\') || (path.size() >= 2 && path[1] == ':');
}

bool StartsWithUp(std::string_view path) { return path.size() >= 3 && path.substr(0, 3) == "..\\"; }

}  // namespace

std::string ResolveFilmPath(const std::string& path, const std::string& film_folder) {
  if (path.size() <= 1 || AbsoluteName(path)) return path;
  if (!StartsWithUp(path)) return film_folder + path;
  const std::string folder = UpperAscii(film_folder);
  std::vector<std::string> components;
  size_t at = 0;
  if (folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\') {
    size_t end = FindChar(folder, '\\', 2);
    end = end == std::string::npos ? folder.size() : end + 1;
    components.push_back(folder.substr(0, end));
    at = end;
  } else if (folder.size() >= 2 && folder[1] == ':') {
    const size_t end = std::min<size_t>(3, folder.size());
    components.push_back(folder.substr(0, end));
    at = end;
  }
  while (at < folder.size()) {
    size_t end = FindChar(folder, '\\', at);
    end = end == std::string::npos ? folder.size() : end + 1;
    components.push_back(folder.substr(at, end - at));
    at = end;
  }
  std::string_view rest = path;
  while (!components.empty() && StartsWithUp(rest)) {
    components.pop_back();
    rest.remove_prefix(3);
  }
  std::string result;
  for (const std::string& component : components) result += component;
  result += rest;
  return result;
}

std::string ResolveRulePath(const std::string& path, const std::string& film_folder) {
  if (path.empty() || AbsoluteName(path)) return path;
  return film_folder + path;
}

// ---- tracks

TCustomFrameList::TCustomFrameList(TFilmManager& film, TTrackKind kind) : film_(&film), kind_(kind) {
  const auto ints = [this](std::initializer_list<TIntQuantity> list) {
    for (TIntQuantity q : list) has_int.set(q);
  };
  const auto reals = [this](std::initializer_list<TRealQuantity> list) {
    for (TRealQuantity q : list) has_real.set(q);
  };
  const auto clip = [&] { ints({qClipLeft, qClipTop, qClipWidth, qClipHeight}); };
  switch (kind) {
    case TTrackKind::Tile:
      ints({qWidth, qHeight, qScrollX, qScrollY});
      [[fallthrough]];
    case TTrackKind::Image:
    case TTrackKind::Label:
      ints({qX, qY, qAlpha, qBlurSpan, qBlurDelay});
      clip();
      reals({qZoomX, qZoomY, qAngle});
      start_real[qZoomX] = end_real[qZoomX] = start_real[qZoomY] = end_real[qZoomY] = 1;
      if (kind == TTrackKind::Label) length = 5;
      break;
    case TTrackKind::Box:
      ints({qX, qY, qAlpha, qWidth, qHeight, qFillColor, qBorderWidth, qBorderColor, qBlurSpan, qBlurDelay});
      clip();
      break;
    case TTrackKind::Particle:
      ints({qX, qY, qAlpha, qWidth, qHeight, qInterval, qSpread, qEmitX, qEmitY, qRangeX, qRangeY});
      clip();
      reals({qFactor1, qFactor2, qFactor3});
      break;
    case TTrackKind::Fire:
      ints({qX, qY, qWidth, qHeight});
      clip();
      reals({qZoomX, qZoomY});
      break;
    case TTrackKind::Sound:
      ints({qVolume, qPan});
      start_int[qVolume] = end_int[qVolume] = 1000;
      break;
    case TTrackKind::Wipe:
      break;
  }
  if (kind == TTrackKind::Box || kind == TTrackKind::Particle || kind == TTrackKind::Fire) {
    start_int[qWidth] = end_int[qWidth] = 100;
    start_int[qHeight] = end_int[qHeight] = 100;
  }
  if (kind == TTrackKind::Particle) {
    start_int[qWidth] = end_int[qWidth] = film.width;
    start_int[qHeight] = end_int[qHeight] = film.height;
    start_int[qInterval] = end_int[qInterval] = 100;
    start_int[qSpread] = end_int[qSpread] = 1;
    start_int[qRangeX] = end_int[qRangeX] = start_int[qRangeY] = end_int[qRangeY] = 1;
  }
  if (kind == TTrackKind::Fire) {
    start_int[qWidth] = end_int[qWidth] = film.width / 4;
    start_int[qHeight] = end_int[qHeight] = 30;
    start_real[qZoomX] = end_real[qZoomX] = start_real[qZoomY] = end_real[qZoomY] = 4;
  }
  if (kind != TTrackKind::Image && kind != TTrackKind::Tile) frames_.emplace_back();
}

TCustomFrameList::~TCustomFrameList() {
  ReleaseTrackObject();
  ClearFrames();
}

int32_t TCustomFrameList::StartInt(TIntQuantity q) const {
  if (parent && Chains(q)) return parent->EndInt(q);
  return has_int[q] ? start_int[q] : 0;
}

long double TCustomFrameList::StartReal(TRealQuantity q) const {
  if (parent) return parent->EndReal(q);
  return has_real[q] ? start_real[q] : 0;
}

int32_t TCustomFrameList::AbsoluteStart() const {
  if (absolute_known_) return absolute_start_;
  // Before linking (or for a track made by hand): walk the chain, which never
  // closes a cycle because the reader drops such links.
  int64_t total = 0;
  const TCustomFrameList* track = this;
  while (track->parent) {
    total += track->parent->length;
    track = track->parent;
  }
  return WrapToInt32(total + track->start);
}

TCustomFrameList* TCustomFrameList::Follower() const {
  if (absolute_known_) return follower_;
  for (const auto& track : film_->Tracks()) {
    if (track->parent == this) return track.get();
  }
  return nullptr;
}

TCustomFrameList* TCustomFrameList::ChainRoot() {
  if (absolute_known_) return root_;
  TCustomFrameList* track = this;
  while (track->parent) track = track->parent;
  return track;
}

int32_t TCustomFrameList::FrameIndexAt(int32_t t) const {
  if (kind_ != TTrackKind::Image && kind_ != TTrackKind::Tile) return 0;
  int64_t r = int64_t{t} % std::max<int64_t>(1, period);
  for (int32_t i = 0; i < FrameCount(); ++i) {
    r -= frames_[static_cast<size_t>(i)].duration;
    if (r < 0) return i;
  }
  return FrameCount() - 1;
}

bool TCustomFrameList::Holds(int32_t f) const {
  const int64_t begin = AbsoluteStart();
  return f >= begin && f < begin + length;
}

int32_t TCustomFrameList::StepAt(int32_t f) const { return WrapSub(f, AbsoluteStart()); }

int32_t TCustomFrameList::Steps() const { return Follower() ? WrapAdd(length, 1) : length; }

int32_t TCustomFrameList::IntAt(int32_t mode, TIntQuantity q, int32_t f) const {
  return InterpolateInt(mode, StartInt(q), EndInt(q), StepAt(f), Steps());
}

long double TCustomFrameList::RealAt(int32_t mode, TRealQuantity q, int32_t f) const {
  return InterpolateReal(mode, StartReal(q), EndReal(q), StepAt(f), Steps());
}

void TCustomFrameList::StartEndPositions(int32_t& sx, int32_t& sy, int32_t& ex, int32_t& ey) const {
  sx = StartInt(qX);
  sy = StartInt(qY);
  ex = EndInt(qX);
  ey = EndInt(qY);
  if (film_->motion_mode && film_->relative) {
    const int32_t dx = WrapSub(film_->base_x, film_->origin_x);
    const int32_t dy = WrapSub(film_->base_y, film_->origin_y);
    sx = WrapAdd(sx, dx);
    sy = WrapAdd(sy, dy);
    ex = WrapAdd(ex, dx);
    ey = WrapAdd(ey, dy);
  }
}

// ---- reading

// The file stores a group of quantities as all their start values, then all their end values.
void TCustomFrameList::ReadInts(TBinaryReader& reader, std::initializer_list<int> quantities) {
  for (int q : quantities) start_int[q] = reader.ReadInt32();
  for (int q : quantities) end_int[q] = reader.ReadInt32();
}

void TCustomFrameList::ReadReals(TBinaryReader& reader, std::initializer_list<int> quantities) {
  for (int q : quantities) start_real[q] = reader.ReadDouble();
  for (int q : quantities) end_real[q] = reader.ReadDouble();
}

void TCustomFrameList::ReadClip(TBinaryReader& reader) {
  ReadInts(reader, {qClipLeft, qClipTop, qClipWidth, qClipHeight});
  ease_clip_x = reader.ReadByte();
  ease_clip_y = reader.ReadByte();
}

void TCustomFrameList::ReadBlur(TBinaryReader& reader) { ReadInts(reader, {qBlurSpan, qBlurDelay}); }

void TCustomFrameList::ReadImageBlock(TBinaryReader& reader, int32_t version) {
  anchor_x = reader.ReadInt32();
  anchor_y = reader.ReadInt32();
  ReadInts(reader, {qX, qY});
  ease_x = reader.ReadByte();
  ease_y = reader.ReadByte();
  if (version < 110) {
    start_real[qAngle] = reader.ReadInt32();
    end_real[qAngle] = reader.ReadInt32();
  } else {
    ReadReals(reader, {qAngle});
  }
  ReadReals(reader, {qZoomX});
  ease_zoom_x = reader.ReadByte();
  ReadInts(reader, {qAlpha});
  ease_angle = reader.ReadByte();
  if (version > 100) ReadClip(reader);
  if (version >= 105) {
    ReadReals(reader, {qZoomY});
    ease_zoom_y = reader.ReadByte();
  } else {
    start_real[qZoomY] = start_real[qZoomX];
    end_real[qZoomY] = end_real[qZoomX];
    ease_zoom_y = ease_zoom_x;
  }
  if (version >= 109) ReadBlur(reader);
}

void TCustomFrameList::ReadTrack(TBinaryReader& reader, const std::string& film_folder, int32_t version) {
  parent_index = reader.ReadInt32();
  length = reader.ReadInt32();
  reserved = reader.ReadInt32();
  start = reader.ReadInt32();
  period = reader.ReadInt32();
  priority = reader.ReadInt32();
  flip_h = reader.ReadByte() != 0;
  flip_v = reader.ReadByte() != 0;
  other_screen = reader.ReadByte() != 0;
  if (version <= 106) {
    start = WrapMul(start, 2);
    length = WrapMul(length, 2);
    period = WrapMul(period, 2);
  }
  const auto rect_block = [&] {
    ReadInts(reader, {qX, qY});
    ease_x = reader.ReadByte();
    ease_y = reader.ReadByte();
  };
  const auto sizes = [&] { ReadInts(reader, {qWidth, qHeight}); };
  switch (kind_) {
    case TTrackKind::Image:
    case TTrackKind::Tile:
      ReadImageBlock(reader, version);
      path = ResolveFilmPath(reader.ReadString(), film_folder);
      if (kind_ == TTrackKind::Tile) {
        sizes();
        ReadInts(reader, {qScrollX, qScrollY});
        ease_scroll_x = reader.ReadByte();
        ease_scroll_y = reader.ReadByte();
        distance_x = reader.ReadInt32();
        distance_y = reader.ReadInt32();
        if (version >= 101) ReadClip(reader);
      }
      break;
    case TTrackKind::Label:
      ReadImageBlock(reader, version);
      text = reader.ReadString();
      anti_alias = reader.ReadByte() != 0;
      font_name = reader.ReadString();
      font_size = reader.ReadInt32();
      line_space = reader.ReadInt32();
      if (version < 103) line_space = 0;
      font_style = reader.ReadByte();
      font_color = reader.ReadInt32();
      if (version > 102) align = reader.ReadByte();
      break;
    case TTrackKind::Box:
      rect_block();
      ReadInts(reader, {qAlpha});
      sizes();
      ReadInts(reader, {qFillColor});
      ReadInts(reader, {qBorderWidth});
      ReadInts(reader, {qBorderColor});
      if (version > 100) ReadClip(reader);
      if (version >= 109) ReadBlur(reader);
      break;
    case TTrackKind::Wipe:
      wipe_kind = reader.ReadByte();
      if (version > 100) {
        rule = ResolveRulePath(reader.ReadString(), film_folder);
        param0 = reader.ReadInt32();
        param1 = reader.ReadInt32();
        reverse = reader.ReadByte() != 0;
      }
      if (version > 110) option = reader.ReadByte() != 0;
      break;
    case TTrackKind::Sound:
      path = ResolveFilmPath(reader.ReadString(), film_folder);
      ReadInts(reader, {qVolume});
      ReadInts(reader, {qPan});
      ease_volume = reader.ReadByte();
      ease_pan = reader.ReadByte();
      if (version <= 107) {
        start_int[qVolume] = WrapAdd(start_int[qVolume] / 10, 1000);
        end_int[qVolume] = WrapAdd(end_int[qVolume] / 10, 1000);
      }
      break;
    case TTrackKind::Particle: {
      const std::string source = reader.ReadString();
      path = ResolveFilmPath(source, film_folder);
      motion_type = reader.ReadByte();
      pre_run = reader.ReadInt32();
      ReadInts(reader, {qInterval});
      ReadInts(reader, {qSpread});
      ReadInts(reader, {qEmitX, qEmitY});
      ReadInts(reader, {qRangeX, qRangeY});
      ease_emit_x = reader.ReadByte();
      ease_emit_y = reader.ReadByte();
      ReadReals(reader, {qFactor1, qFactor1 + 1, qFactor1 + 2});
      rect_block();
      sizes();
      ReadClip(reader);
      ReadInts(reader, {qAlpha});
      loop = version >= 112 ? reader.ReadByte() != 0 : !IsMotionFileName(source);
      break;
    }
    case TTrackKind::Fire:
      rect_block();
      sizes();
      ReadClip(reader);
      ReadReals(reader, {qZoomX, qZoomY});
      ease_zoom_x = reader.ReadByte();
      ease_zoom_y = reader.ReadByte();
      power = reader.ReadInt32();
      break;
  }
}

void TCustomFrameList::ClearFrames() {
  if (kind_ != TTrackKind::Image && kind_ != TTrackKind::Tile) return;
  frames_.clear();
  if (item_) {
    if (TDovaCollection* pictures = film_->Pictures()) pictures->ReleasePicture(item_, this);
    item_ = nullptr;
  }
}

void TCustomFrameList::AfterLoad() {
  if (kind_ == TTrackKind::Sound) {
    ReleaseTrackObject();
    return;
  }
  if (kind_ != TTrackKind::Image && kind_ != TTrackKind::Tile) return;
  ReleaseTrackObject();
  ClearFrames();
  if (!film_->Pictures() || path.empty()) return;
  TDovaCollection& cache = *film_->Pictures();
  // A picture the game does not hold leaves the track without frames.
  if (!cache.Files() || !cache.Files()->Contains(path)) return;
  try {
    item_ = cache.AcquirePicture(this, path, true, false);
  } catch (const EOrvoError&) {
    item_ = nullptr;
    return;
  }
  int64_t total = 0;
  for (const TDovaItemFrame& frame : item_->Frames()) {
    TFilmFrame film_frame;
    film_frame.picture = frame;
    film_frame.duration = std::max<int32_t>(
        1, RealToIntSaturate<int32_t>(RoundHalfEven(static_cast<long double>(frame.delay) / kFilmFrameMs)));
    total += film_frame.duration;
    frames_.push_back(std::move(film_frame));
  }
  period = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
  if (kind_ == TTrackKind::Tile && !frames_.empty()) {
    const TFilmFrame& first = frames_.front();
    if (start_int[qWidth] == 0) start_int[qWidth] = first.Width();
    if (start_int[qHeight] == 0) start_int[qHeight] = first.Height();
    if (end_int[qWidth] == 0) end_int[qWidth] = first.Width();
    if (end_int[qHeight] == 0) end_int[qHeight] = first.Height();
  }
}

}  // namespace orvo
