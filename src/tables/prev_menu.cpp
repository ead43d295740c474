#include "tables/prev_menu.h"

#include "data/archive.h"
#include "stage/stage.h"

namespace orvo {

namespace {

constexpr uint8_t kDisabled = 1;
constexpr uint8_t kHidden = 2;
constexpr uint8_t kSelected = 4;

}  // namespace

TOrvoPrevMenu::TOrvoPrevMenu(TOrvoBaseList& stage) : TOrvoControl(stage) {}

TOrvoPrevMenu::~TOrvoPrevMenu() = default;

void TOrvoPrevMenu::Adopted() { Stage().AddMenu(*this); }

void TOrvoPrevMenu::SetSource(const std::string& source) {
  if (source == source_) return;
  source_ = source;
  TContSelList list;
  IPictureFiles* files = Stage().Pictures().Files();
  // A file that is not there leaves a menu without buttons, as a missing picture leaves none.
  if (files && !source.empty() && files->Contains(source)) list.LoadFromBytes(files->Load(source), FolderOf(source));
  buttons_ = std::move(list);
  states_.assign(static_cast<size_t>(buttons_.ButtonCount()), 0);
  Invalidate();
}

std::string TOrvoPrevMenu::ItemText(int32_t index) const {
  return Valid(index) ? buttons_.Button(index).name : std::string();
}

int32_t TOrvoPrevMenu::IndexOfItemName(std::string_view name) const {
  for (int32_t i = 0; i < buttons_.ButtonCount(); ++i) {
    if (buttons_.Button(i).name == name) return i;
  }
  return -1;
}

int32_t TOrvoPrevMenu::ItemGroupIndex(int32_t index) const { return Valid(index) ? buttons_.Button(index).group : 0; }

bool TOrvoPrevMenu::ItemEnabled(int32_t index) const {
  return !Valid(index) || !(states_[static_cast<size_t>(index)] & kDisabled);
}
bool TOrvoPrevMenu::ItemVisible(int32_t index) const {
  return !Valid(index) || !(states_[static_cast<size_t>(index)] & kHidden);
}
bool TOrvoPrevMenu::ItemSelected(int32_t index) const {
  return Valid(index) && (states_[static_cast<size_t>(index)] & kSelected);
}

namespace {
void SetBit(std::vector<uint8_t>& states, int32_t index, uint8_t bit, bool on) {
  if (index < 0 || static_cast<size_t>(index) >= states.size()) return;
  uint8_t& state = states[static_cast<size_t>(index)];
  state = static_cast<uint8_t>(on ? state | bit : state & ~bit);
}
}  // namespace

void TOrvoPrevMenu::SetItemEnabled(int32_t index, bool enabled) { SetBit(states_, index, kDisabled, !enabled); }
void TOrvoPrevMenu::SetItemVisible(int32_t index, bool visible) { SetBit(states_, index, kHidden, !visible); }
void TOrvoPrevMenu::SetItemSelected(int32_t index, bool selected) { SetBit(states_, index, kSelected, selected); }

TPropValue TOrvoPrevMenu::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_COUNT:
      return TPropValue::Int(buttons_.ButtonCount());
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_ONSELECT:
      return TPropValue::Str(on_select_);
    case PR_ONMAPIN:
      return TPropValue::Str(on_map_in_);
    case PR_ONMAPOUT:
      return TPropValue::Str(on_map_out_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_RCLICKSCRAP:
      return TPropValue::Bool(rclick_scrap_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TOrvoPrevMenu::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      SetSource(value.AsStr());
      break;
    case PR_COUNT:
      break;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      break;
    case PR_ONSELECT:
      on_select_ = value.AsStr();
      break;
    case PR_ONMAPIN:
      on_map_in_ = value.AsStr();
      break;
    case PR_ONMAPOUT:
      on_map_out_ = value.AsStr();
      break;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    case PR_RCLICKSCRAP:
      rclick_scrap_ = value.AsBool();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

void TOrvoPrevMenu::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  writer.WriteString(source_);
  writer.WriteString(on_play_end_);
  writer.WriteString(on_select_);
  writer.WriteString(on_map_in_);
  writer.WriteString(on_map_out_);
  writer.WriteBool(auto_scrap_);
  writer.WriteBool(rclick_scrap_);
  writer.WriteInt32(static_cast<int32_t>(states_.size()));
  for (uint8_t state : states_) writer.WriteByte(state);
}

void TOrvoPrevMenu::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  const std::string source = reader.ReadString();
  on_play_end_ = reader.ReadString();
  on_select_ = reader.ReadString();
  on_map_in_ = reader.ReadString();
  on_map_out_ = reader.ReadString();
  auto_scrap_ = reader.ReadBool();
  rclick_scrap_ = reader.ReadBool();
  const size_t count = reader.RequireCount(reader.ReadInt32(), 1);
  std::vector<uint8_t> states(count);
  for (uint8_t& state : states) state = reader.ReadByte();
  SetSource(source);
  // The saved states belong to the file as it was; they apply where the buttons still are.
  for (size_t i = 0; i < states.size() && i < states_.size(); ++i) states_[i] = states[i];
}

void RegisterPrevMenuKind(TOrvoBaseList& stage) {
  stage.RegisterKind(kcPrevMenu, [](TOrvoBaseList& s) { return std::make_unique<TOrvoPrevMenu>(s); });
}

}  // namespace orvo
