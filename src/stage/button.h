#pragma once
// The button (kind 3): an animation with one picture per visual state
// (normal, hover, pressed, clicked), an optional caption and radio groups.
// A click posts the notify event that games react to.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "stage/images.h"
#include "stage/label_list.h"

namespace orvo {

class TOrvoMotion;

// Visual states of a button.
enum TButtonState : int32_t { bsNormal = 0, bsHover = 1, bsPressed = 2, bsClicked = 3 };

class TOrvoButton : public TOrvoImages {
 public:
  explicit TOrvoButton(TOrvoBaseList& stage);
  ~TOrvoButton() override;

  uint8_t CompoType() const override { return kcButton; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  TOrvoImageList* FrameList() override;
  void MouseMove() override;
  void MouseLeave(TOrvoControl* new_hover) override;
  void LButtonDown() override;
  void LButtonUp() override;
  void KeyRepeat(const std::vector<int32_t>& keys) override;
  void ReleaseSurfaces() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;

  int32_t GetState() const { return state_; }
  // Enters state s unless it is shown already or has no picture; while the
  // clicked state plays, s is kept for afterwards.
  void SetState(int32_t state);
  int32_t StateCount() const { return 4; }
  int32_t PressState() const { return press_state_; }
  void Click();
  bool GroupSelected() const { return selected_; }
  int32_t GroupIndex() const { return group_index_; }
  bool AllowAllUp() const { return allow_all_up_; }
  // Store and show, without the group rule.
  void SetSelectedSilently(bool selected);
  void SetAllowAllUpSilently(bool allow) { allow_all_up_ = allow; }
  // The radio rule among the children of parent with group index group.
  static void UpdateGroup(TOrvoControl& parent, TOrvoButton* button, int32_t group);
  TKwLabelList& Caption() { return caption_; }

 protected:
  bool Repeats() const override { return state_ != bsClicked; }
  bool AutoScraps() const override { return false; }
  const std::string& PlayEndHandler() const override;
  bool UpdatePicture() override;
  void AnimationEnded() override;
  void AfterPicture(TCustomDIBX& surface) override;

 private:
  // The motion of the current state (state 0: the object's own).
  TOrvoMotion* StateMotion() const;
  bool StateHasPicture(int32_t state) const;
  void SetStateSource(int32_t state, const std::string& source);
  void SetGroupSelected(bool selected);
  void CaptionChanged();
  void ClickedEnded();

  int32_t press_state_ = 0;
  int32_t state_ = bsNormal;
  int32_t state_after_click_ = bsNormal;
  std::array<std::string, 3> sources_;
  std::array<std::unique_ptr<TOrvoImageList>, 3> lists_;
  std::array<std::unique_ptr<TOrvoMotion>, 3> motions_;
  int32_t group_index_ = 0;
  bool selected_ = false;
  bool allow_all_up_ = false;
  std::string on_notify_;
  TKwLabelList caption_;
  bool finish_ = false;
};

}  // namespace orvo
