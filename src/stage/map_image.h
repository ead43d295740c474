#pragma once
// The map image (kind 18): a picture with named clickable regions and a
// highlight picture shown inside the region under the mouse. Each object
// cuts its own copies of the frames' masks; the cache's stay untouched.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stage/image_list.h"
#include "stage/map_regions.h"
#include "stage/orvo_control.h"

namespace orvo {

class TOrvoMapImage : public TOrvoControl {
 public:
  explicit TOrvoMapImage(TOrvoBaseList& stage);
  ~TOrvoMapImage() override;

  uint8_t CompoType() const override { return kcMapImage; }
  bool Paused() const override { return paused_; }
  bool EventsBlocked() const override { return blocked_; }
  void Adopted() override;
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  void Paint(TCustomDIBX& surface) override;
  bool Update() override;
  void LButtonDown() override;
  void MouseMove() override;
  void MouseLeave(TOrvoControl* new_hover) override;
  void KeyRepeat(const std::vector<int32_t>& keys) override;
  bool RightClickClose() override;
  void RestoreSurfaces() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  const std::vector<TMapRegion>& Regions() const { return regions_; }
  int32_t SelectedRegion() const { return selected_; }
  int32_t Closing() const { return closing_; }
  // Selects region i (-1: none), posting the map-out and map-in events.
  void SetSelected(int32_t index);
  // The selected region is chosen: the last-selection values, OnSelect, auto-scrap.
  void Select();
  // The first region holding a point relative to the picture; -1 for none.
  int32_t RegionAt(int32_t x, int32_t y) const;

 private:
  // A frame's mask as this object cuts it, and which region it carries.
  struct TCutMask {
    std::shared_ptr<TDIBX> mask;
    int32_t region = kNoCut;
  };
  static constexpr int32_t kNoCut = -2;

  void SetSource(TOrvoImageList& list, std::vector<TCutMask>& cuts, std::string& field, const std::string& source);
  void SetMapSource(const std::string& source);
  // The frame's view with its mask cut for the selection (inside or outside it).
  TPictureView CutView(TOrvoImageList& list, std::vector<TCutMask>& cuts, TRegionCut cut);
  void PostRegionEvent(int32_t code, const std::string& handler, int32_t index);
  void SetLastSelection(const std::string& text, int32_t index);
  void Close();

  TOrvoImageList base_;
  TOrvoImageList hover_;
  std::vector<TCutMask> base_cuts_;
  std::vector<TCutMask> hover_cuts_;
  std::string source_;
  std::string hover_source_;
  std::string map_source_;
  int32_t alpha_ = 255;
  int32_t brightness_ = 0;
  bool auto_scrap_ = false;
  bool rclick_scrap_ = false;
  bool paused_ = false;
  std::string on_map_in_;
  std::string on_map_out_;
  std::string on_select_;
  std::vector<TMapRegion> regions_;
  int32_t selected_ = -1;
  int32_t closing_ = 0;
  bool blocked_ = false;
};

}  // namespace orvo
