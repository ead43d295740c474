#pragma once
// The animated picture kinds: the animation base (frames played with their
// delays), the animation TOrvoImages (kind 8) and the tile TOrvoTile (kind
// 20, a picture repeated over a rectangle with scrolling).
#include <cstdint>
#include <memory>
#include <string>

#include "stage/custom_image.h"
#include "vars/parser.h"

namespace orvo {

class TOrvoCustomImages : public TOrvoCustomImage {
 public:
  explicit TOrvoCustomImages(TOrvoBaseList& stage);
  ~TOrvoCustomImages() override;

  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  int32_t BlurIndex() const override { return current_; }

  // PR_INDEX: shows frame i (outside the list: the picture stays, the animation stops).
  void SetIndex(int32_t index);
  int32_t Current() const { return current_; }
  int32_t Remaining() const { return remaining_; }
  int32_t Brightness() const { return brightness_; }
  // The expression whose value lengthens the last frame of a list of two or more.
  void SetLastWait(const TOrvoParser& expression);
  // The frames to play; null when the kind has none.
  virtual TOrvoImageList* FrameList() = 0;
  const TOrvoImageList* FrameList() const { return const_cast<TOrvoCustomImages*>(this)->FrameList(); }

 protected:
  bool UpdatePicture() override;
  // The last frame of a non-repeating animation was reached; empty here.
  virtual void AnimationEnded() {}
  virtual bool Repeats() const = 0;
  virtual bool AutoScraps() const { return false; }
  virtual const std::string& PlayEndHandler() const;
  // A new source: the frame list is emptied, the film motion freed; a
  // picture file (IsPictureFileName) loads frames (masks as asked), ".omt" attaches a motion, anything else
  // leaves no picture. Frames start at 0.
  void ApplySource(const std::string& source, bool masks);
  // Restores the frame and its time as a save holds them.
  void RestoreFrame(int32_t index, int32_t remaining);

 private:
  int32_t LastWaitValue();

  int32_t remaining_ = 0;
  int32_t current_ = -1;
  int32_t brightness_ = 0;
  bool paused_ = false;
  // Set when the end was reported, so that it is reported once per run.
  bool ended_ = false;
  std::unique_ptr<TOrvoParser> last_wait_;
};

class TOrvoImages : public TOrvoCustomImages {
 public:
  explicit TOrvoImages(TOrvoBaseList& stage);
  ~TOrvoImages() override;

  uint8_t CompoType() const override { return kcImages; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  TOrvoImageList* FrameList() override { return &list_; }
  const std::string& Source() const { return source_; }

 protected:
  bool Repeats() const override { return repeat_; }
  bool AutoScraps() const override { return auto_scrap_; }
  const std::string& PlayEndHandler() const override { return on_play_end_; }

 private:
  void SetSource(const std::string& source);

  TOrvoImageList list_;
  bool repeat_ = false;
  bool auto_scrap_ = false;
  std::string source_;
  std::string on_play_end_;
};

class TOrvoTile : public TOrvoCustomImages {
 public:
  explicit TOrvoTile(TOrvoBaseList& stage);
  ~TOrvoTile() override;

  uint8_t CompoType() const override { return kcTile; }
  bool SizeFollowsPicture() const override { return false; }
  bool PlainPosition() const override { return true; }
  int32_t ScrollX() const override { return scroll_x_; }
  int32_t ScrollY() const override { return scroll_y_; }
  // Tiles are not turned: the rectangle is their own.
  TRect ObjectRect() const override { return TOrvoControl::ObjectRect(); }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  TOrvoImageList* FrameList() override { return &list_; }
  int32_t DistanceX() const { return distance_x_; }
  int32_t DistanceY() const { return distance_y_; }

 protected:
  bool Repeats() const override { return true; }
  void DrawPicture(TCustomDIBX& surface) override;
  bool DrawsRotated() const override { return false; }
  void SpawnAfterimage() override;
  // Afterimages take the pitch and scroll of their source.
  void CopyTileFrom(const TOrvoTile& source);

 private:
  void SetSource(const std::string& source);
  void ChangeScroll(int32_t& field, int32_t value);

  TOrvoImageList list_;
  std::string source_;
  int32_t scroll_x_ = 0;
  int32_t scroll_y_ = 0;
  int32_t distance_x_ = 0;
  int32_t distance_y_ = 0;
};

// True for names of pictures the cache decodes: ".dov", ".png", ".bmp" and
// ".dib" (any case).
bool IsPictureFileName(const std::string& name);

}  // namespace orvo
