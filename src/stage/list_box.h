#pragma once
// List menus: the list box base (items from PR_TEXT in a framed window of
// nine border pictures, a scroll bar, check marks, hover, mouse and keys)
// and the menu (kind 12), which opens and closes with a height animation
// and reports the chosen item through "@SelStr"/"@SelIndex" and events.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stage/functions/object_items.h"
#include "stage/image_list.h"
#include "stage/label_list.h"
#include "stage/orvo_control.h"

namespace orvo {

// Drag modes of a list box press.
enum TListDrag : int32_t {
  ldNone = -1,
  ldThumb = 0,
  ldArrowUp = 1,
  ldArrowDown = 2,
  ldPageUp = 3,
  ldPageDown = 4,
  ldItem = 5,
};

class TOrvoCustomListBox : public TOrvoControl, public IObjectItems {
 public:
  explicit TOrvoCustomListBox(TOrvoBaseList& stage);
  ~TOrvoCustomListBox() override;

  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  void Paint(TCustomDIBX& surface) override;
  void MouseMove() override;
  void MouseLeave(TOrvoControl* new_hover) override;
  void MouseHold() override;
  void LButtonDown() override;
  void LButtonUp() override;
  void KeyRepeat(const std::vector<int32_t>& keys) override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  // ---- item operations of the system functions
  bool ItemChecked(int32_t index) const override { return GetCheck(index); }
  void SetItemChecked(int32_t index, bool checked) override { SetCheck(index, checked); }
  std::string ItemText(int32_t index) const override;

  // Sizes the box from its items, borders, margins and rows.
  void Relayout();
  // The item under a screen point; -1 for none.
  int32_t ItemAt(TPoint point) const;
  void SetHover(int32_t index);
  virtual void Select();
  bool GetCheck(int32_t index) const;
  void SetCheck(int32_t index, bool checked);
  int32_t ItemCount() const { return items_.Count(); }
  int32_t Hover() const { return hover_; }
  int32_t TopIndex() const { return top_index_; }
  void SetTopIndex(int32_t index);
  int32_t RowCount() const { return row_count_; }
  int32_t DragMode() const { return drag_mode_; }
  // True while the scroll bar shows and has room for its arrows and thumb.
  bool ScrollPartsActive() const;
  int32_t ThumbTop() const;
  int32_t IndexAtThumb(int32_t y) const;
  bool NeedsLayout() const { return needs_layout_; }
  TKwLabelList& ItemLabels() { return items_; }
  TKwLabelList& HoverLabels() { return hover_labels_; }

 protected:
  // The rows' height: the taller of the first item and hover labels.
  int32_t RowHeight() const;
  bool Scrolls() const { return row_count_ < ItemCount(); }
  int32_t ScrollCellWidth() const;
  int32_t ScrollCellHeight() const;
  int32_t CheckCellWidth() const;
  int32_t CheckCellHeight() const;
  int32_t BorderLeft() const;
  int32_t BorderRight() const;
  int32_t BorderTop() const;
  int32_t BorderBottom() const;
  // Repaints a part of the box (cut to the box).
  void InvalidatePart(TRect part);
  void InvalidateRow(int32_t item);
  void PostItemEvent(const std::string& handler, int32_t code, int32_t item);
  void SetLastSelection(const std::string& text, int32_t index);
  virtual uint32_t HoverFillColour() const { return 0; }
  virtual bool HasHoverFill() const { return false; }
  bool StepBorders();
  // Keys shared by every list box: arrows and pages move the hover.
  void MoveHover(const std::vector<int32_t>& keys);

  int32_t animation_stage_ = 0;

 private:
  void SetItems(const std::string& text);
  void FontChanged();
  void SetBorderSource(size_t piece, const std::string& source);
  void SetPicture(std::string& field, TOrvoImageList& list, const std::string& source);
  TRect Inner() const;
  TRect UpArrowRect() const;
  TRect DownArrowRect() const;
  int32_t ScrollBarX() const;
  int32_t OverArrow(TPoint point) const;
  int32_t OverTrack(TPoint point) const;
  bool OverThumb(TPoint point) const;
  TPoint MousePoint() const;
  void StepPart();
  void FillArea(TCustomDIBX& surface, const TRect& r, int32_t colour) const;
  void PaintBorders(TCustomDIBX& surface, const TRect& inner);
  void PaintScrollBar(TCustomDIBX& surface, const TRect& inner);
  void PaintItems(TCustomDIBX& surface, const TRect& inner);

  std::string text_;
  int32_t line_space_ = 0;
  int32_t alpha_ = 255;
  int32_t margin_x_ = 0;
  int32_t margin_y_ = 0;
  int32_t border_width_ = 0;
  int32_t border_colour_ = -1;
  int32_t row_count_ = 1;
  std::array<std::string, 9> border_sources_;
  std::array<std::unique_ptr<TOrvoImageList>, 9> borders_;
  std::array<uint8_t, 9> halign_{};
  std::array<uint8_t, 9> valign_{};
  std::string scroll_source_;
  std::string check_source_;
  std::unique_ptr<TOrvoImageList> scroll_;
  std::unique_ptr<TOrvoImageList> check_;
  int32_t top_index_ = 0;
  uint8_t align_ = 0;
  int32_t hover_ = -1;
  int32_t drag_mode_ = ldNone;
  int32_t grab_offset_ = 0;
  int32_t repeat_clock_ = 0;
  int32_t repeat_countdown_ = 0;
  bool arrow_lit_ = false;
  bool page_lit_ = false;
  std::string on_select_;
  std::string on_map_in_;
  std::string on_map_out_;
  bool paused_ = false;
  int32_t index_ = -1;
  TKwLabelList items_;
  TKwLabelList hover_labels_;
  std::vector<uint8_t> checks_;
  bool needs_layout_ = true;
};

// Menu states.
enum TMenuState : uint8_t { msOpen = 0, msOpening = 1, msClosed = 2, msClosing = 3 };

class TOrvoMenu : public TOrvoCustomListBox {
 public:
  explicit TOrvoMenu(TOrvoBaseList& stage);
  ~TOrvoMenu() override;

  uint8_t CompoType() const override { return kcMenu; }
  void Adopted() override;
  bool EventsBlocked() const override { return blocked_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  void Select() override;
  void RButtonDown() override;
  void KeyRepeat(const std::vector<int32_t>& keys) override;
  bool RightClickClose() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  uint8_t GetPlayState() const { return menu_state_; }
  // 0 open now, 1 open animated, 2 close now, 3 close animated.
  void SetPlayState(uint8_t state);
  void CloseMenu();
  int32_t AnimationStage() const { return animation_stage_; }

 protected:
  uint32_t HoverFillColour() const override { return static_cast<uint32_t>(hover_colour_); }
  bool HasHoverFill() const override { return hover_colour_ != -1; }

 private:
  void Post(const std::string& handler, int32_t code);
  void TakeFocus();
  void GiveFocusBack();

  int32_t full_height_ = 0;
  int32_t start_ = 0;
  int32_t duration_ = 0;
  int32_t hover_colour_ = -1;
  bool auto_scrap_ = false;
  bool rclick_scrap_ = false;
  uint8_t menu_state_ = msClosed;
  std::string on_opening_;
  std::string on_opened_;
  std::string on_closing_;
  std::string on_closed_;
  bool blocked_ = false;
};

}  // namespace orvo
