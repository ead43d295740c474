#pragma once
// The picture cache (DovaMan): every picture file is decoded once per key and
// shared by the objects that show it. A key is the file name, then "?m" when
// every frame wants a mask and "?t" when frames are cropped to their content.
// Surfaces and masks are shared by reference count, so a frame that an
// afterimage still draws outlives the cache item it came from.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/binary_io.h"
#include "base/hash_collection.h"
#include "surface/dibx.h"
#include "surface/rect.h"

namespace orvo {

// Where the cache reads pictures: the game's files.
class IPictureFiles {
 public:
  virtual ~IPictureFiles() = default;
  // True when the game contains the file.
  virtual bool Contains(const std::string& name) = 0;
  // The whole file; raises when it cannot be read.
  virtual std::string Load(const std::string& name) = 0;
  // The identification code of the game's protected pictures (0 for none).
  virtual int32_t ImageCode() const { return 0; }
};

// One frame as the stage draws it: a display-format (32-bit) surface whose
// key is the frame's transparent colour, and an optional 8-bit mask.
struct TDovaItemFrame {
  std::shared_ptr<TDIBX> surface;
  std::shared_ptr<TDIBX> mask;
  int32_t key_color = -1;  // 0x00BBGGRR, -1 for none
  int32_t delay = 1;       // milliseconds, at least 1
  int32_t offset_x = 0;    // top-left of the content (cropped frames)
  int32_t offset_y = 0;
  // Only these parts are drawn when the list is not empty.
  std::vector<TRect> draw_rects;
};

class TDovaItem : public THashItem {
 public:
  TDovaItem(std::string file, bool masks, bool offsets) : file_(std::move(file)), masks_(masks), offsets_(offsets) {}

  const std::string& File() const { return file_; }
  bool Masks() const { return masks_; }
  bool Offsets() const { return offsets_; }
  // Of the first frame, before cropping.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int64_t TotalDelay() const { return total_delay_; }
  const std::vector<TDovaItemFrame>& Frames() const { return frames_; }
  int32_t FrameCount() const { return static_cast<int32_t>(frames_.size()); }
  size_t UserCount() const { return users_.size(); }
  // False when the game does not contain the file (one transparent 8 x 8 frame).
  bool Found() const { return found_; }

 private:
  friend class TDovaCollection;
  std::string file_;
  bool masks_;
  bool offsets_;
  bool found_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int64_t total_delay_ = 0;
  std::vector<TDovaItemFrame> frames_;
  std::vector<const void*> users_;
};

// The cache key of a file: file, then "?m" for masks, then "?t" for offsets.
std::string PictureKey(const std::string& file, bool masks, bool offsets);

class TDovaCollection {
 public:
  TDovaCollection();
  ~TDovaCollection();
  TDovaCollection(const TDovaCollection&) = delete;
  TDovaCollection& operator=(const TDovaCollection&) = delete;

  // The game's files; without them every picture is missing.
  void SetFiles(IPictureFiles* files) { files_ = files; }
  IPictureFiles* Files() const { return files_; }

  // The item of the key (loaded when new) with user among its users.
  // Damaged files raise and leave nothing behind.
  TDovaItem* AcquirePicture(const void* user, const std::string& file, bool offsets, bool masks);
  // Removes user; an item without users is freed at once.
  void ReleasePicture(TDovaItem* item, const void* user);
  // Loads an item that nobody uses yet (kept until acquired or purged).
  TDovaItem* PreloadPicture(const std::string& file, bool offsets, bool masks);
  // Frees the preloaded items of file under all four keys.
  void PurgePicture(const std::string& file);
  // The item of a key, or null.
  TDovaItem* Find(const std::string& key) const { return items_.Find(key); }
  size_t Count() const { return items_.Count(); }

  // @CGDither: a change reloads the frames that have no key colour or have a mask.
  bool CacheDither() const { return dither_; }
  void SetCacheDither(bool dither);
  // Around a display change: frames drop their surfaces / items reload every frame.
  void ReleaseCacheSurfaces();
  void RestoreCacheSurfaces();

  // One byte, CacheDither.
  void WriteCacheState(TBinaryWriter& writer) const;
  void ReadCacheState(TBinaryReader& reader, int32_t version);

 private:
  TDovaItem* FindOrLoad(const std::string& file, bool offsets, bool masks);
  enum class TRefill { All, KeylessOrMasked };
  void Load(TDovaItem& item, TRefill refill);
  void Free(TDovaItem* item);

  THashCollection<TDovaItem> items_;
  std::vector<TDovaItem*> preloaded_;
  IPictureFiles* files_ = nullptr;
  bool dither_ = false;
};

}  // namespace orvo
