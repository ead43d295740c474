#pragma once
// The layered picture format of the games (".dov"): a list of frames, each
// flattened from its layers when read. Two generations are read (the record
// form "DovaNNN" and the XML-described form "DovaXNNN"); the XML form
// "DovaX200" is written.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "surface/dib_surface.h"
#include "surface/rect.h"

namespace orvo {

class TStream;

// Colour data of the blocks: zlib, none, JPEG (masks then use zlib).
enum class TDovaCompression : uint8_t { Zlib = 0, None = 1, Jpeg = 2 };

// The header information, the same record for both generations.
struct TDovaInfo {
  int32_t version = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bpp = 0;
  int32_t count = 0;
  bool sync_pal = false;
  bool randomized = false;  // rows or blocks are stored in keyed order
  uint8_t comp_type = 0;    // a TDovaCompression value as stored
  int32_t bg_color = 0;     // 0x00BBGGRR
  int32_t block_width = 0;  // 0: whole rows
  int32_t block_height = 0;
  bool not_fill_bg = false;
  uint8_t comp_level = 0;  // JPEG quality when writing

  static constexpr size_t kRecordSize = 40;
};

// How a block was stored, for tools that describe files.
struct TBlockKind {
  enum class TLayout : uint8_t { Absent, Rows, Tiles, Jpeg };
  TLayout layout = TLayout::Absent;
  bool deflated = false;
  bool keyed = false;
  int32_t tile_width = 0;
  int32_t tile_height = 0;
};
// "none", "raw rows", "zlib keyed rows", "zlib 32x32 tiles", "jpeg" ...
std::string DescribeBlockKind(const TBlockKind& kind);

struct TDovaLayer {
  std::string name;  // CP932
  bool visible = true;
  int32_t transparent_pixel = -1;  // pixel value of the frame's format, -1 none
  int32_t alpha = 255;
  bool alpha_on = false;  // the picture's mask is used
  // The frame's size and bit depth, palette included; the mask is optional.
  TDIBSurface picture;
  TBlockKind colour_block;
  TBlockKind mask_block;
};

class TDovaFrame {
 public:
  std::string name;  // CP932
  int32_t delay = 100;
  uint8_t disposal = 0;  // kept, not used
  // The flattened picture with its optional mask (0 transparent .. 255 opaque).
  TDIBSurface picture;
  // Rectangles that travel with the picture; pictures on the stage draw only
  // the first list when it is not empty.
  std::vector<TRect> draw_rects;
  std::vector<TRect> extra_rects;
  // Kept only while reading (earlier frames may be referred to) or on request.
  std::vector<TDovaLayer> layers;

  int32_t TransparentPixel() const { return transparent_pixel_; }
  // 0x00BBGGRR of the transparent pixel as the picture shows it; -1 for none.
  int32_t TransparentColor() const { return transparent_color_; }
  // Sets the pixel and derives the colour from the picture's format (and palette).
  void SetTransparentPixel(int32_t pixel);
  // Sets the colour; the pixel is the picture's nearest pixel to it.
  void SetTransparentColor(int32_t colour);

 private:
  int32_t transparent_pixel_ = -1;
  int32_t transparent_color_ = -1;
};

// What to read of a file.
enum class TFrameSelection { All, FirstOnly };
// Whether the layers stay after the frames are flattened (tools that show them).
enum class TLayerRetention { Discard, Keep };
// Whether MakeMask also gives the layers their masks.
enum class TMaskLayers { FrameOnly, WithLayers };

class TDovaFrameList {
 public:
  // code: the identification code of the game's protected pictures (0 none).
  explicit TDovaFrameList(int32_t code = 0) : code_(code) {}
  TDovaFrameList(const TDovaFrameList&) = delete;
  TDovaFrameList& operator=(const TDovaFrameList&) = delete;
  TDovaFrameList(TDovaFrameList&&) noexcept = default;
  TDovaFrameList& operator=(TDovaFrameList&&) noexcept = default;

  void Clear();
  size_t Count() const { return frames_.size(); }
  // Raises "Error:TDovaFrameList.GetFrame" for an index outside the list.
  TDovaFrame& Frame(int64_t index);
  const TDovaFrame& Frame(int64_t index) const;
  // Appends an empty frame (delay 100, no transparent colour).
  TDovaFrame& AddFrame();
  // Takes the frame out of the list and gives it to the caller.
  std::unique_ptr<TDovaFrame> TakeFrame(int64_t index);

  int32_t Code() const { return code_; }
  void SetCode(int32_t code) { code_ = code; }
  int32_t Version() const { return version_; }
  int32_t BackgroundColor() const { return bg_color_; }
  void SetBackgroundColor(int32_t colour) { bg_color_ = colour; }
  bool NotFillBackground() const { return not_fill_bg_; }
  void SetNotFillBackground(bool value) { not_fill_bg_ = value; }
  // The header as last read (zeros for a list that was built in memory).
  const TDovaInfo& Info() const { return info_; }

  // Reads either generation from the stream's position, replacing the list.
  // Damaged data raises EOrvoError (mostly "ファイルが破壊されています"); the
  // list is then left empty.
  void LoadFromStream(TStream& stream, TFrameSelection frames = TFrameSelection::All,
                      TLayerRetention layers = TLayerRetention::Discard);
  // By extension (ignoring case): ".dov", ".png", ".bmp" and ".dib"; other
  // extensions load nothing. path is a file on disk (UTF-8); a missing file
  // raises EReadError.
  void LoadFromFile(const std::string& path, TFrameSelection frames = TFrameSelection::All);
  // The same for bytes already in memory, chosen by the extension of name.
  // Returns false for an extension that is not a picture.
  bool LoadFromBytes(std::string_view bytes, std::string_view name, TFrameSelection frames = TFrameSelection::All);

  // Reads only the header information (the archive writer's question). A
  // record-form file gives its version with every other field 0. An XML form
  // newer than this reader raises "Can not load this file.\r\nTry the latest version.".
  static TDovaInfo ReadInfo(TStream& stream);

  // Gives the frame a mask when it has none: 255, and 0 where the pixel is the
  // transparent pixel. With layers, every layer without a mask gets one keyed
  // by its own transparent pixel, or the frame's when it has none.
  static void MakeMask(TDovaFrame& frame, TMaskLayers layers);
  // The smallest rectangle holding the frame's visible content (mask other
  // than 0, or pixels other than the transparent pixel); (0, 0, 1, 1) when
  // nothing is visible. The frame is cropped to it and its rectangles cut
  // and moved with it.
  static TRect ContentRect(TDovaFrame& frame);

  // Writes "DovaX200" (quality: JPEG quality 1..100). A randomized list
  // (code != 0) is written with keyed rows and compression type 1.
  void SaveToStream(TStream& stream, TDovaCompression compression, int quality) const;
  // Writes the file atomically with zlib blocks and quality 70.
  void SaveToFile(const std::string& path) const;

 private:
  friend class TDovaReader;
  std::vector<std::unique_ptr<TDovaFrame>> frames_;
  int32_t code_ = 0;
  int32_t version_ = 0;
  int32_t bg_color_ = 0;
  bool not_fill_bg_ = true;
  TDovaInfo info_;
};

// True when the bytes start like a layered picture ("Dova").
bool LooksLikeDova(std::string_view start);

}  // namespace orvo
