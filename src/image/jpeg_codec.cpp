// libjpeg reports errors with a callback that must not return: it jumps back
// with longjmp. Only objects without destructors are created between setjmp
// and the end of the protected work.
#include "image/jpeg_codec.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <limits>

#include "base/error.h"
#include "image/image_errors.h"

namespace orvo {
namespace {

// Progressive files may hold any number of scans; each costs a pass over the
// picture, so a few hundred bytes could keep us busy for minutes.
constexpr int kMaxScans = 100;

struct TJpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) {
  auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
  std::longjmp(errors->jump, 1);
}

void OnMessage(j_common_ptr, int) {}

void OnProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) OnError(info);
}

void InstallErrors(TJpegErrors& errors) {
  jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnError;
  errors.manager.emit_message = OnMessage;
}

// Runs the decoder into rows of a 24- or 32-bit store of the JPEG's size.
// Returns false when libjpeg gave up.
bool DecodeRows(std::string_view jpeg, TDIBSurface& target) {
  jpeg_decompress_struct info{};
  TJpegErrors errors{};
  jpeg_progress_mgr progress{};
  InstallErrors(errors);
  info.err = &errors.manager;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  progress.progress_monitor = OnProgress;
  info.progress = &progress;
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  if (info.image_width != static_cast<JDIMENSION>(target.Width()) ||
      info.image_height != static_cast<JDIMENSION>(target.Height())) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = target.BitCount() == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = target.ScanLine(static_cast<int32_t>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// The output buffer lives in memory that libjpeg owns until we free it, so
// nothing of it sits in a register across the jump.
struct TCompressState {
  jpeg_compress_struct info{};
  TJpegErrors errors{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool CompressInto(const TDIBSurface& source, int quality, TCompressState& state) {
  InstallErrors(state.errors);
  state.info.err = &state.errors.manager;
  if (setjmp(state.errors.jump)) return false;
  jpeg_create_compress(&state.info);
  jpeg_mem_dest(&state.info, &state.buffer, &state.size);
  state.info.image_width = static_cast<JDIMENSION>(source.Width());
  state.info.image_height = static_cast<JDIMENSION>(source.Height());
  state.info.input_components = 3;
  state.info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&state.info);
  jpeg_set_quality(&state.info, quality, TRUE);
  jpeg_start_compress(&state.info, TRUE);
  while (state.info.next_scanline < state.info.image_height) {
    auto row = const_cast<JSAMPROW>(source.ScanLine(static_cast<int32_t>(state.info.next_scanline)));
    jpeg_write_scanlines(&state.info, &row, 1);
  }
  jpeg_finish_compress(&state.info);
  return true;
}

// source: a 24-bit picture.
std::string CompressRows(const TDIBSurface& source, int quality) {
  TCompressState state;
  bool done = CompressInto(source, quality, state);
  jpeg_destroy_compress(&state.info);
  std::string out;
  if (done) out.assign(reinterpret_cast<const char*>(state.buffer), state.size);
  std::free(state.buffer);
  if (!done) throw EWriteError("JPEG: encoding failed");
  return out;
}

}  // namespace

void DecodeJpegInto(std::string_view jpeg, TDIBSurface& picture) {
  if (jpeg.size() > std::numeric_limits<unsigned long>::max() || picture.IsEmpty()) throw CorruptImageError();
  int bits = picture.StoreBitCount();
  if (bits == 24 || bits == 32) {
    if (!DecodeRows(jpeg, picture)) throw CorruptImageError();
    return;
  }
  // Other depths: decode true colour, then take the picture's nearest colours.
  TDIBSurface colours(picture.Width(), picture.Height(), 24);
  if (!DecodeRows(jpeg, colours)) throw CorruptImageError();
  if (bits <= 8) colours.SetPalette(picture.Palette().data());
  colours.ConvertBitCount(bits);
  picture.CopyRect(0, 0, colours.Bounds(), colours);
}

std::string EncodeJpeg(const TDIBSurface& picture, int quality) {
  if (picture.IsEmpty()) throw EWriteError("JPEG: empty picture");
  if (picture.StoreBitCount() == 24) return CompressRows(picture, std::clamp(quality, 1, 100));
  TDIBSurface converted;
  converted.AssignStore(picture);
  converted.RemoveMask();
  converted.ConvertBitCount(24);
  return CompressRows(converted, std::clamp(quality, 1, 100));
}

}  // namespace orvo
