#pragma once
// The item operations that scripts reach through GetCheck ... SetImeOpened.
// Every stage object answers them with the neutral values below; list menus
// (checks, item texts), preview menus (enabled, visible, selected and group
// index of their items) and edit fields (the input method) derive from this
// interface as well as from their stage class and override what they hold.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvo {

class TOrvoObject;

class IObjectItems {
 public:
  virtual ~IObjectItems() = default;
  // Whether item index carries a check mark; false outside the items.
  virtual bool ItemChecked(int32_t index) const {
    (void)index;
    return false;
  }
  virtual void SetItemChecked(int32_t index, bool checked) { (void)index, (void)checked; }
  virtual bool ItemEnabled(int32_t index) const {
    (void)index;
    return true;
  }
  virtual void SetItemEnabled(int32_t index, bool enabled) { (void)index, (void)enabled; }
  virtual bool ItemVisible(int32_t index) const {
    (void)index;
    return true;
  }
  virtual void SetItemVisible(int32_t index, bool visible) { (void)index, (void)visible; }
  virtual int32_t ItemGroupIndex(int32_t index) const {
    (void)index;
    return 0;
  }
  virtual bool ItemSelected(int32_t index) const {
    (void)index;
    return false;
  }
  virtual void SetItemSelected(int32_t index, bool selected) { (void)index, (void)selected; }
  // The text of item index; empty outside the items.
  virtual std::string ItemText(int32_t index) const {
    (void)index;
    return {};
  }
  // Position of the first item whose name equals name (with case); -1 for none.
  virtual int32_t IndexOfItemName(std::string_view name) const {
    (void)name;
    return -1;
  }
  // Whether the input method of an edit field is open.
  virtual bool ImeOpened() const { return false; }
  virtual void SetImeOpened(bool opened) { (void)opened; }
};

// The item operations of an object: its own when its kind implements them,
// else the neutral ones.
IObjectItems& ItemsOf(TOrvoObject& object);

}  // namespace orvo
