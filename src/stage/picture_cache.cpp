#include "stage/picture_cache.h"

#include <algorithm>

#include "image/picture_loader.h"

namespace orvo {

namespace {

// A picture the game does not contain: one 8 x 8 frame of pixel 0 keyed by
// pixel 0, so that it shows nothing.
TDovaItemFrame MissingFrame(bool masks) {
  TDovaItemFrame frame;
  frame.surface = std::make_shared<TDIBX>();
  frame.surface->SetSize(8, 8, 32);
  frame.surface->Clear(0);
  frame.surface->SetKeyColor(0);
  frame.key_color = 0;
  if (masks) {
    frame.mask = std::make_shared<TDIBX>();
    frame.mask->SetSize(8, 8, 8);
    frame.mask->Clear(0);
  }
  return frame;
}

TDovaItemFrame FrameFromPicture(TPictureFrame& source) {
  TDovaItemFrame frame;
  std::unique_ptr<TDIBSurface> mask;
  if (source.picture.HasMask()) mask = std::make_unique<TDIBSurface>(std::move(*source.picture.Mask()));
  source.picture.RemoveMask();
  if (source.picture.StoreBitCount() != 32) source.picture.ConvertBitCount(32);
  frame.surface = std::make_shared<TDIBX>();
  frame.surface->AdoptStore(std::make_unique<TDIBSurface>(std::move(source.picture)));
  frame.key_color = source.key_color;
  frame.surface->SetKeyColor(frame.key_color < 0 ? -1 : frame.surface->ColorToPixel(frame.key_color));
  if (mask) {
    frame.mask = std::make_shared<TDIBX>();
    frame.mask->AdoptStore(std::move(mask));
  }
  frame.delay = std::max(1, source.delay);
  frame.offset_x = source.offset_x;
  frame.offset_y = source.offset_y;
  frame.draw_rects = std::move(source.draw_rects);
  return frame;
}

}  // namespace

std::string PictureKey(const std::string& file, bool masks, bool offsets) {
  std::string key = file;
  if (masks) key += "?m";
  if (offsets) key += "?t";
  return key;
}

TDovaCollection::TDovaCollection() = default;
TDovaCollection::~TDovaCollection() = default;

void TDovaCollection::Load(TDovaItem& item, TRefill refill) {
  TPicture picture;
  bool found = false;
  if (files_ && !item.file_.empty() && files_->Contains(item.file_)) {
    const std::string bytes = files_->Load(item.file_);
    TPictureRequest request;
    request.code = files_->ImageCode();
    request.masks = item.masks_ ? TMaskRequest::EveryFrame : TMaskRequest::AsStored;
    request.offsets = item.offsets_ ? TOffsetRequest::ContentRect : TOffsetRequest::None;
    // The display is 32 bits: dithering asks for that depth.
    request.dither_bits = dither_ ? 32 : 0;
    found = DecodePicture(bytes, item.file_, request, picture) && !picture.frames.empty();
  }
  std::vector<TDovaItemFrame> frames;
  int64_t total = 0;
  if (found) {
    frames.reserve(picture.frames.size());
    for (TPictureFrame& source : picture.frames) {
      frames.push_back(FrameFromPicture(source));
      total += frames.back().delay;
    }
  } else {
    frames.push_back(MissingFrame(item.masks_));
    total = frames.back().delay;
  }
  if (refill == TRefill::KeylessOrMasked && frames.size() == item.frames_.size()) {
    // Keyed frames without a mask keep their surfaces: only the others change with dithering.
    for (size_t i = 0; i < frames.size(); ++i) {
      const TDovaItemFrame& old = item.frames_[i];
      if (old.key_color != -1 && !old.mask && old.surface) frames[i].surface = old.surface;
    }
  }
  item.found_ = found;
  item.width_ = found ? picture.width : 8;
  item.height_ = found ? picture.height : 8;
  item.total_delay_ = total;
  item.frames_ = std::move(frames);
}

TDovaItem* TDovaCollection::FindOrLoad(const std::string& file, bool offsets, bool masks) {
  const std::string key = PictureKey(file, masks, offsets);
  if (TDovaItem* found = items_.Find(key)) return found;
  auto item = std::make_unique<TDovaItem>(file, masks, offsets);
  // Loaded before it joins the cache: a damaged file leaves nothing behind.
  Load(*item, TRefill::All);
  return &items_.Add(std::move(item), key);
}

TDovaItem* TDovaCollection::AcquirePicture(const void* user, const std::string& file, bool offsets, bool masks) {
  TDovaItem* item = FindOrLoad(file, offsets, masks);
  if (std::find(item->users_.begin(), item->users_.end(), user) == item->users_.end()) item->users_.push_back(user);
  std::erase(preloaded_, item);
  return item;
}

void TDovaCollection::ReleasePicture(TDovaItem* item, const void* user) {
  if (!item) return;
  std::erase(item->users_, user);
  if (item->users_.empty() && std::find(preloaded_.begin(), preloaded_.end(), item) == preloaded_.end()) Free(item);
}

TDovaItem* TDovaCollection::PreloadPicture(const std::string& file, bool offsets, bool masks) {
  TDovaItem* item = FindOrLoad(file, offsets, masks);
  if (item->users_.empty() && std::find(preloaded_.begin(), preloaded_.end(), item) == preloaded_.end()) {
    preloaded_.push_back(item);
  }
  return item;
}

void TDovaCollection::PurgePicture(const std::string& file) {
  for (bool masks : {false, true}) {
    for (bool offsets : {false, true}) {
      TDovaItem* item = items_.Find(PictureKey(file, masks, offsets));
      if (!item || !item->users_.empty()) continue;
      std::erase(preloaded_, item);
      Free(item);
    }
  }
}

void TDovaCollection::Free(TDovaItem* item) { items_.Remove(*item); }

void TDovaCollection::SetCacheDither(bool dither) {
  if (dither == dither_) return;
  dither_ = dither;
  for (const auto& item : items_) Load(*item, TRefill::KeylessOrMasked);
}

void TDovaCollection::ReleaseCacheSurfaces() {
  for (const auto& item : items_) {
    for (TDovaItemFrame& frame : item->frames_) frame.surface.reset();
  }
}

void TDovaCollection::RestoreCacheSurfaces() {
  for (const auto& item : items_) Load(*item, TRefill::All);
}

void TDovaCollection::WriteCacheState(TBinaryWriter& writer) const { writer.WriteBool(dither_); }

void TDovaCollection::ReadCacheState(TBinaryReader& reader, int32_t version) {
  if (version > 100) SetCacheDither(reader.ReadBool());
}

}  // namespace orvo
