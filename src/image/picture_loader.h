#pragma once
// Pictures as the stage's image cache takes them: read through the virtual
// file manager (".dov", ".png", ".bmp", ".dib"), given masks and content
// offsets on request, optionally dithered to the display's depth.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/dova.h"
#include "surface/dib_surface.h"
#include "surface/rect.h"

namespace orvo {

class TVrFileManager;

// "?m": every frame gets a mask (from its transparent pixel when it has none).
enum class TMaskRequest { AsStored, EveryFrame };
// "?t": frames are cropped to their content and its top-left becomes the offset.
enum class TOffsetRequest { None, ContentRect };

struct TPictureRequest {
  int32_t code = 0;  // the project's identification code (image option)
  TFrameSelection frames = TFrameSelection::All;
  TMaskRequest masks = TMaskRequest::AsStored;
  TOffsetRequest offsets = TOffsetRequest::None;
  // The cache's dithering: the display's bit depth (15, 16, 24 or 32), or 0
  // to keep every frame's own depth.
  int dither_bits = 0;
};

struct TPictureFrame {
  TDIBSurface picture;     // the frame's pixels, with its mask when it has one
  int32_t key_color = -1;  // transparent colour 0x00BBGGRR, -1 none
  int32_t key_pixel = -1;  // the same as a pixel of picture's format
  int32_t delay = 1;       // milliseconds, at least 1
  int32_t offset_x = 0;    // top-left of the content when offsets were asked for
  int32_t offset_y = 0;
  std::vector<TRect> draw_rects;  // only these are drawn when not empty
  std::vector<TRect> extra_rects;
};

struct TPicture {
  int32_t width = 0;  // of the first frame, before any cropping
  int32_t height = 0;
  int64_t total_delay = 0;
  std::vector<TPictureFrame> frames;
};

// Decodes bytes by the extension of name. Returns false for a name that is
// not a picture; damaged data raises EOrvoError.
bool DecodePicture(std::string_view bytes, std::string_view name, const TPictureRequest& request, TPicture& out);
// The same for a game file. Returns false when no source holds the file.
bool LoadPicture(TVrFileManager& files, std::string_view name, const TPictureRequest& request, TPicture& out);
// Turns a decoded list into cache frames (masks, offsets, dithering as asked).
TPicture PictureFromList(TDovaFrameList& list, const TPictureRequest& request);

// Reduces a frame of more than 16 bits to 15 or 16 bits with a 4 x 4 ordered
// dither. Frames with a transparent pixel and no mask are left alone: their
// key must keep matching exactly. Other depths leave the frame unchanged.
void DitherFrame(TDovaFrame& frame, int bits);

// Lets the surfaces' LoadFromStream read layered pictures (first frame; the
// option is the identification code).
void RegisterLayeredImageDecoder();

// The archive writer's question: a ".dov" file on disk whose blocks are stored
// uncompressed (compression type 1), so that the archive should compress it.
// Unreadable files give false.
bool IsUncompressedImageFile(const std::string& path);

}  // namespace orvo
