#pragma once
// Films: timelines of tracks at 60 frames per second. A track animates one
// stage object (picture, label, box, tile, particle emitter, fire), plays a
// sound or runs a screen transition over a range of frames. One format
// serves the film object (a whole film on a stage) and motion films (".omt"
// files driving a single control).
#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "stage/motion.h"
#include "stage/orvo_object.h"
#include "stage/picture_cache.h"

namespace orvo {

class TFilmManager;
class TOrvoBaseList;
class TOrvoControl;

// Type codes of the file (the low seven bits of a track's type byte).
enum class TTrackKind : uint8_t {
  Image = 0,
  Label = 1,
  Box = 2,
  Wipe = 3,
  Sound = 4,
  Tile = 5,
  Particle = 6,
  Fire = 7
};
constexpr int kTrackKindCount = 8;
// "image", "label", "box", "wipe", "sound", "tile", "particle", "fire".
const char* TrackKindName(TTrackKind kind);

// Milliseconds of one film frame.
constexpr double kFilmFrameMs = 16.666666666666668;

// Animated integer quantities: each has a start and an end value; a chained
// track starts from its parent's end value.
enum TIntQuantity : uint8_t {
  qX,
  qY,
  qWidth,
  qHeight,
  qAlpha,
  qClipLeft,
  qClipTop,
  qClipWidth,
  qClipHeight,
  qBlurSpan,
  qBlurDelay,
  qScrollX,
  qScrollY,
  qFillColor,
  qBorderWidth,
  qBorderColor,
  qInterval,
  qSpread,
  qEmitX,
  qEmitY,
  qRangeX,
  qRangeY,
  qVolume,
  qPan,
  kIntQuantityCount
};
// Animated real quantities.
enum TRealQuantity : uint8_t { qZoomX, qZoomY, qAngle, qFactor1, qFactor2, qFactor3, kRealQuantityCount };

// The film frame of a playing time: elapsed / (1000 / 60) in extended
// precision, rounded half to even.
int32_t FilmFrameOfElapsed(int32_t elapsed);
// The frame a repeating film shows for a frame at or past its length.
int32_t RepeatFrame(int32_t frame, int32_t length, int32_t loop_start);

// Interpolation between s (at t = 0) and e (at t = n - 1); mode 0 linear,
// 1 accelerating, 2 and above decelerating.
int32_t InterpolateInt(int32_t mode, int32_t s, int32_t e, int32_t t, int32_t n);
long double InterpolateReal(int32_t mode, long double s, long double e, int32_t t, int32_t n);

// A path inside a film made absolute against the film's folder (which ends
// with its delimiter); "..\" climbs folders (lead-byte aware).
std::string ResolveFilmPath(const std::string& path, const std::string& film_folder);
// The simpler rule of wipe rule pictures.
std::string ResolveRulePath(const std::string& path, const std::string& film_folder);

// One frame of a track: a picture frame for image and tile tracks, else an
// empty frame of size 0 that lasts one film frame.
struct TFilmFrame {
  TDovaItemFrame picture;  // surface null for non-picture frames
  int32_t duration = 1;
  int32_t Width() const { return picture.surface ? picture.surface->Width() : 0; }
  int32_t Height() const { return picture.surface ? picture.surface->Height() : 0; }
};

struct TClipValue {
  int32_t left = 0, top = 0, width = 0, height = 0;
};

// A track (one kind per instance, its fields by kind).
class TCustomFrameList {
 public:
  TCustomFrameList(TFilmManager& film, TTrackKind kind);
  ~TCustomFrameList();
  TCustomFrameList(const TCustomFrameList&) = delete;
  TCustomFrameList& operator=(const TCustomFrameList&) = delete;

  TTrackKind Kind() const { return kind_; }
  TFilmManager& Film() const { return *film_; }

  // ---- common fields
  int32_t length = 1;
  int32_t reserved = 0;
  int32_t start = 0;
  int32_t period = 0;
  int32_t priority = 0;
  bool flip_h = false;
  bool flip_v = false;
  bool other_screen = false;
  // The index in the file; resolved to parent after loading.
  int32_t parent_index = -1;
  TCustomFrameList* parent = nullptr;

  // ---- animated values
  std::array<int32_t, kIntQuantityCount> start_int{};
  std::array<int32_t, kIntQuantityCount> end_int{};
  std::array<long double, kRealQuantityCount> start_real{};
  std::array<long double, kRealQuantityCount> end_real{};
  // The quantities this kind has (others answer 0 to a chained follower).
  std::bitset<kIntQuantityCount> has_int;
  std::bitset<kRealQuantityCount> has_real;
  // Start values: a chained track's come from its parent's end values.
  int32_t StartInt(TIntQuantity q) const;
  int32_t EndInt(TIntQuantity q) const { return has_int[q] ? end_int[q] : 0; }
  long double StartReal(TRealQuantity q) const;
  long double EndReal(TRealQuantity q) const { return has_real[q] ? end_real[q] : 0; }

  // ---- easing bytes
  uint8_t ease_x = 0, ease_y = 0, ease_zoom_x = 0, ease_zoom_y = 0, ease_angle = 0;
  uint8_t ease_clip_x = 0, ease_clip_y = 0, ease_scroll_x = 0, ease_scroll_y = 0;
  uint8_t ease_emit_x = 0, ease_emit_y = 0, ease_volume = 0, ease_pan = 0;

  // ---- kind fields
  int32_t anchor_x = 0, anchor_y = 0;  // picture-like
  std::string path;                    // image, tile, sound, particle (resolved)
  std::string text, font_name;         // label
  bool anti_alias = false;
  int32_t font_size = 12, line_space = 0, font_color = 0xFFFFFF;
  uint8_t font_style = 0, align = 0;
  int32_t distance_x = 0, distance_y = 0;  // tile
  uint8_t wipe_kind = 1;                   // wipe
  std::string rule;
  int32_t param0 = 0, param1 = 0;
  bool reverse = false, option = false;
  uint8_t motion_type = 0;  // particle
  int32_t pre_run = 0;
  bool loop = true;
  int32_t power = 100;  // fire

  // ---- frames
  const std::vector<TFilmFrame>& Frames() const { return frames_; }
  int32_t FrameCount() const { return static_cast<int32_t>(frames_.size()); }

  // ---- timing
  // Start for a root; the parent's AbsoluteStart + Length for a chained track.
  int32_t AbsoluteStart() const;
  // The first track of the film whose parent is this one, or null.
  TCustomFrameList* Follower() const;
  // The first track of the chain (itself when it has no parent).
  TCustomFrameList* ChainRoot();
  // The frame shown t frames into the track.
  int32_t FrameIndexAt(int32_t t) const;
  // True when AbsoluteStart <= f < AbsoluteStart + Length.
  bool Holds(int32_t f) const;
  // t and n of the interpolation at frame f.
  int32_t StepAt(int32_t f) const;
  int32_t Steps() const;
  int32_t IntAt(int32_t mode, TIntQuantity q, int32_t f) const;
  long double RealAt(int32_t mode, TRealQuantity q, int32_t f) const;
  // Start and end positions (a relative motion film moves them by BasePoint - Origin).
  void StartEndPositions(int32_t& sx, int32_t& sy, int32_t& ex, int32_t& ey) const;

  // ---- loading
  // Reads the kind's record (after the type byte) of a file of that version.
  void ReadTrack(TBinaryReader& reader, const std::string& film_folder, int32_t version);
  // Picture tracks take their frames from the stage's picture cache; sound
  // tracks drop their sound object.
  void AfterLoad();
  void ClearFrames();

  // ---- playback
  void RenderFrame(int32_t f);
  // Frees the track's own object (and its sound).
  void ReleaseTrackObject();
  void SetTracksPaused(bool paused);
  // The sound object of the chain (created by the root); null without stage.
  TOrvoObject* EnsureSound();
  TOrvoObject* TrackObject() const;

 private:
  friend class TFilmManager;
  void ReadImageBlock(TBinaryReader& reader, int32_t version);
  void ReadClip(TBinaryReader& reader);
  void ReadBlur(TBinaryReader& reader);
  void ReadInts(TBinaryReader& reader, std::initializer_list<int> quantities);
  void ReadReals(TBinaryReader& reader, std::initializer_list<int> quantities);
  TOrvoObject* EnsureTrackObject();
  TOrvoControl* EnsureChainObject(uint8_t code);
  void PlaceOnScreen(TOrvoControl& object);
  void RenderPictureLike(int32_t f);
  void RenderRect(int32_t f);
  void RenderSound(int32_t f);
  void ApplyTargetTile(TOrvoControl& target, int32_t i, int32_t left, int32_t top, int32_t width, int32_t height,
                       int32_t hot_x, int32_t hot_y, long double zoom_x, long double zoom_y, int32_t alpha,
                       const TClipValue& clip, int32_t scroll_x, int32_t scroll_y);

  TFilmManager* film_;
  TTrackKind kind_;
  // Fixed once the film links its tracks (a chain may be thousands long).
  int32_t absolute_start_ = 0;
  bool absolute_known_ = false;
  TCustomFrameList* follower_ = nullptr;
  TCustomFrameList* root_ = nullptr;
  std::vector<TFilmFrame> frames_;
  TDovaItem* item_ = nullptr;
  TObjectHandle object_ = 0;
  int32_t last_rendered_ = -1;
  bool tracks_paused_ = false;
};

// The values RenderFrame applies at a frame, for the kit's dump and tests.
struct TTrackValues {
  bool valid = false;  // picture-like: a valid frame index
  int32_t frame = -1;
  int32_t x = 0, y = 0, hot_x = 0, hot_y = 0;
  long double zoom_x = 1, zoom_y = 1, angle = 0;
  int32_t alpha = 255;
  TClipValue clip;
  int32_t blur_span = 0, blur_delay = 0;
  int32_t left = 0, top = 0, width = 0, height = 0;  // rectangle kinds
  int32_t scroll_x = 0, scroll_y = 0;
  int32_t fill = 0, border_width = 0, border_color = 0;
  int32_t interval = 0, spread = 0, emit_x = 0, emit_y = 0, range_x = 0, range_y = 0;
  std::array<long double, 3> factors{};
  int32_t volume = 0, pan = 0;
  int32_t wipe_elapsed = 0;
};
// Computes the values of track at frame f (inside its range).
TTrackValues TrackValuesAt(const TCustomFrameList& track, int32_t f);

// How LoadFilm ended.
enum class TFilmLoad : uint8_t {
  Loaded,   // every track read (or reading stopped at an unknown type byte)
  NoMagic,  // neither magic or no decimal version: the empty film
  Damaged,  // the data ended early or held an impossible count: the empty film
};

class TFilmManager : public IMotionFilm {
 public:
  TFilmManager();
  ~TFilmManager() override;
  TFilmManager(const TFilmManager&) = delete;
  TFilmManager& operator=(const TFilmManager&) = delete;

  // ---- header
  int32_t width = 0;
  int32_t height = 0;
  int32_t color = -1;
  bool relative = false;
  int32_t origin_x = 0, origin_y = 0;
  int32_t loop_start = 0;
  int32_t master_volume = 1000;
  uint8_t kind = 0;  // 0 "OrvoCinema", 1 "OrvoMotion"
  int32_t version = 0;

  // ---- playing state
  bool sound_enabled = true;
  bool tracks_paused = false;
  bool motion_mode = false;
  int32_t base_x = 0, base_y = 0;
  int32_t base_priority = 0;

  // ---- tracks
  void Clear();
  const std::vector<std::unique_ptr<TCustomFrameList>>& Tracks() const { return tracks_; }
  TCustomFrameList* Track(int32_t index) const;
  int32_t IndexOf(const TCustomFrameList* track) const;
  int32_t FilmLength() const { return length_; }
  TCustomFrameList* FirstRootTrack() const;

  // ---- loading
  // Reads a film from bytes; path (the film's game name) resolves the paths
  // inside. A damaged or foreign file leaves the empty film; message tells why.
  TFilmLoad LoadFilm(std::string_view bytes, const std::string& path);
  // Reads the game file through the stage's picture files.
  TFilmLoad LoadFilmFile(const std::string& path);
  const std::string& LoadMessage() const { return load_message_; }

  // ---- stage
  // The stage whose objects the tracks drive, and whose picture cache they use.
  void SetFilmStage(TOrvoBaseList* stage) { stage_ = stage; }
  TOrvoBaseList* Stage() const { return stage_; }
  // The picture cache of the track pictures and the game's files (the
  // stage's unless set: a nested film reads through the main stage's).
  void SetPictures(TDovaCollection* pictures) { pictures_ = pictures; }
  TDovaCollection* Pictures() const;
  // The stage sounds are created on (the main stage of a nested film).
  void SetSoundStage(TOrvoBaseList* stage) { sound_stage_ = stage; }
  TOrvoBaseList* SoundStage() const { return sound_stage_ ? sound_stage_ : stage_; }
  // The film object playing on the main stage (track objects are its children).
  void SetOwner(TOrvoControl* owner);
  TOrvoControl* Owner() const;
  // The control a motion film drives.
  void SetTarget(TOrvoControl* target);
  TOrvoControl* Target() const;
  // The prefix of track object names: 0x01 + the owner's name + 0x01, or 0x01.
  std::string NamePrefix() const;

  // ---- playback
  void SeekFrame(int32_t f) override;
  int32_t CurrentFrame() const override { return current_frame_; }
  const TCustomFrameList* CurrentWipeTrack() const { return current_wipe_; }
  void ApplyFilmSettings();
  bool HasScreenTracks() const;
  int32_t ScreenParityAt(int32_t f) const;
  TCustomFrameList* ActiveWipeTrack(int32_t f, int32_t& parity) const;
  void SetTracksPaused(bool paused);
  void SetSoundEnabled(bool enabled);
  // Frees every track object.
  void ReleaseObjects();

  // ---- IMotionFilm
  bool IsRelative() const override { return relative; }
  void SetBasePoint(int32_t x, int32_t y) override {
    base_x = x;
    base_y = y;
  }
  void SetBasePriority(int32_t priority) override { base_priority = priority; }
  int32_t FrameCount() const override { return length_; }
  int32_t RepeatStart() const override { return loop_start; }

 private:
  void LinkTracks();
  void ComputeLength();
  std::vector<std::unique_ptr<TCustomFrameList>> tracks_;
  int32_t length_ = 0;
  int32_t current_frame_ = -1;
  const TCustomFrameList* current_wipe_ = nullptr;
  TOrvoBaseList* stage_ = nullptr;
  TOrvoBaseList* sound_stage_ = nullptr;
  TDovaCollection* pictures_ = nullptr;
  TObjectHandle owner_ = 0;
  TObjectHandle target_ = 0;
  std::string load_message_;
};

// Installs the motion-film loader on a stage: ".omt" sources of boxes,
// pictures, tiles and labels load through it.
void InstallFilmMotions(TOrvoBaseList& stage);

}  // namespace orvo
