#pragma once
// The image cache as the text layout sees it: inline pictures of message
// text are measured and drawn from the cache's items, which stay acquired
// for as long as this object lives.
#include <string>
#include <unordered_map>

#include "stage/picture_cache.h"
#include "text/measure.h"

namespace orvo {

class TTextPictureCache : public ITextPictures {
 public:
  explicit TTextPictureCache(TDovaCollection& cache) : cache_(cache) {}
  ~TTextPictureCache() override;
  TTextPictureCache(const TTextPictureCache&) = delete;
  TTextPictureCache& operator=(const TTextPictureCache&) = delete;

  bool PictureSize(std::string_view source, int32_t& width, int32_t& height) override;
  TTextPictureFrame Frame(std::string_view source) override { return FrameAt(source, 0); }
  int32_t FrameCount(std::string_view source) override;
  int32_t FrameDelay(std::string_view source, int32_t index) override;
  TTextPictureFrame FrameAt(std::string_view source, int32_t index) override;

 private:
  // The item of a picture with masks, acquired once; null when the game lacks it.
  TDovaItem* Item(std::string_view source);

  TDovaCollection& cache_;
  std::unordered_map<std::string, TDovaItem*> items_;
};

}  // namespace orvo
