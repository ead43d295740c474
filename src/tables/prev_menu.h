#pragma once
// The preview menu (kind 25): reads its layout file when PR_SOURCE is set
// and answers the item functions for its buttons. Its drawing waits.
#include <cstdint>
#include <string>
#include <vector>

#include "stage/functions/object_items.h"
#include "stage/orvo_control.h"
#include "tables/prev_menu_file.h"

namespace orvo {

class TOrvoBaseList;

class TOrvoPrevMenu : public TOrvoControl, public IObjectItems {
 public:
  explicit TOrvoPrevMenu(TOrvoBaseList& stage);
  ~TOrvoPrevMenu() override;

  uint8_t CompoType() const override { return kcPrevMenu; }
  void Adopted() override;
  TPropValue GetProperty(int32_t id) const override;
  // PR_SOURCE reads the layout file; its errors reach the caller.
  void SetProperty(int32_t id, const TPropValue& value) override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  // ---- item operations of the system functions (items are the buttons)
  std::string ItemText(int32_t index) const override;
  int32_t IndexOfItemName(std::string_view name) const override;
  int32_t ItemGroupIndex(int32_t index) const override;
  bool ItemEnabled(int32_t index) const override;
  void SetItemEnabled(int32_t index, bool enabled) override;
  bool ItemVisible(int32_t index) const override;
  void SetItemVisible(int32_t index, bool visible) override;
  bool ItemSelected(int32_t index) const override;
  void SetItemSelected(int32_t index, bool selected) override;

  const TContSelList& Buttons() const { return buttons_; }

 private:
  void SetSource(const std::string& source);
  bool Valid(int32_t index) const { return index >= 0 && index < buttons_.ButtonCount(); }

  std::string source_;
  TContSelList buttons_;
  // Per button: bit 0 disabled, bit 1 hidden, bit 2 selected.
  std::vector<uint8_t> states_;
  std::string on_play_end_;
  std::string on_select_;
  std::string on_map_in_;
  std::string on_map_out_;
  bool auto_scrap_ = false;
  bool rclick_scrap_ = false;
};

// Registers the factory of kind 25 on a stage.
void RegisterPrevMenuKind(TOrvoBaseList& stage);

}  // namespace orvo
