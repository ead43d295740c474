// The stage record of game saves: the size, the active screen, both object
// trees, the non-visual objects, the event queue and the focus.
#include "base/error.h"
#include "stage/edit_field.h"
#include "stage/message.h"
#include "stage/stage.h"

namespace orvo {

namespace {

// Deeper trees than this in a save are damage, not a game: the reader
// recurses once per level.
constexpr int kMaxSavedTreeDepth = 256;
// The smallest object record: kind code, empty name, priority.
constexpr int64_t kMinObjectRecord = 9;
// The smallest event record: handler, owner, code, level (one byte in old saves), no arguments.
constexpr int64_t kMinEventRecord = 14;

[[noreturn]] void Damaged(const char* what) { throw EFormatError(std::string("Invalid stage data: ") + what); }

}  // namespace

void TOrvoControl::ReadChildren(TBinaryReader& reader, int32_t version) {
  TOrvoBaseList& stage = Stage();
  const int32_t count = reader.ReadInt32();
  reader.RequireCount(count, kMinObjectRecord);
  if (count > 0 && stage.read_depth_ >= kMaxSavedTreeDepth) Damaged("object tree too deep");
  ++stage.read_depth_;
  struct TDepthGuard {
    int& depth;
    ~TDepthGuard() { --depth; }
  } guard{stage.read_depth_};
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t code = reader.ReadByte();
    TOrvoObject* object = stage.CreateByKind(code);
    if (!object) Damaged("unknown object kind");
    TOrvoControl* child = object->AsControl();
    if (!child) {
      stage.DeleteObject(*object);
      Damaged("a non-visual object inside a tree");
    }
    AttachChild(child);
    child->ReadState(reader, version);
  }
  SortChildren();
}

void TOrvoBaseList::WriteState(TBinaryWriter& writer) const {
  writer.WriteInt32(width_);
  writer.WriteInt32(height_);
  writer.WriteInt32(active_screen_);
  Screen(0).WriteState(writer);
  Screen(1).WriteState(writer);
  int32_t components = 0;
  for (const TOrvoObject* object : objects_) components += !object->IsVisual() && object->IsSaved() ? 1 : 0;
  writer.WriteInt32(components);
  for (const TOrvoObject* object : objects_) {
    if (object->IsVisual() || !object->IsSaved()) continue;
    writer.WriteByte(object->CompoType());
    object->WriteState(writer);
  }
  writer.WriteInt32(static_cast<int32_t>(events_.Count()));
  for (const TScriptEvent& event : events_.Entries()) {
    writer.WriteString(event.handler);
    const TOrvoObject* owner = Resolve(event.owner);
    writer.WriteString(owner ? owner->Name() : std::string());
    writer.WriteByte(static_cast<uint8_t>(event.code));
    writer.WriteInt32(event.level);
    writer.WriteStringList(event.args);
  }
  const TOrvoControl* focus = Focus();
  writer.WriteString(focus ? focus->Name() : std::string());
}

void TOrvoBaseList::ReadComponents(TBinaryReader& reader, int32_t version) {
  const int32_t count = reader.ReadInt32();
  reader.RequireCount(count, kMinObjectRecord);
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t code = reader.ReadByte();
    TOrvoObject* object = CreateByKind(code);
    if (!object) Damaged("unknown object kind");
    if (object->IsVisual()) Damaged("a visual object outside the trees");
    object->ReadState(reader, version);
  }
}

void TOrvoBaseList::ReadEvents(TBinaryReader& reader, int32_t version) {
  const int32_t count = reader.ReadInt32();
  reader.RequireCount(count, kMinEventRecord);
  for (int32_t i = 0; i < count; ++i) {
    TScriptEvent event;
    event.handler = reader.ReadString();
    // An empty owner name is no owner, and screen names are absolute.
    const TOrvoObject* owner = FindSavedName(reader.ReadString());
    event.owner = owner ? owner->Handle() : 0;
    event.code = reader.ReadByte();
    event.level = version <= 113 ? (reader.ReadByte() != 0 ? 1 : 0) : reader.ReadInt32();
    if (event.level < 0) Damaged("negative event level");
    event.args = reader.ReadStringList();
    events_.Restore(std::move(event));
  }
}

void TOrvoBaseList::ReadState(TBinaryReader& reader, int32_t version) {
  struct TReadingGuard {
    bool& reading;
    ~TReadingGuard() { reading = false; }
  } reading_guard{reading_state_};
  reading_state_ = true;
  try {
    ResetStage();
    const int32_t width = reader.ReadInt32();
    const int32_t height = reader.ReadInt32();
    if (width < 1 || height < 1 || width > kMaxStageSide || height > kMaxStageSide) Damaged("stage size");
    SetSize(width, height);
    const int32_t active = reader.ReadInt32();
    if (active != 0 && active != 1) Damaged("active screen");
    active_screen_ = active;
    for (TOrvoBase* screen : screens_) {
      screen->ReadState(reader, version);
      // The screens always have the stage's size, whatever the record says.
      screen->width_ = width_;
      screen->height_ = height_;
      screen->AddWholeArea();
    }
    ReadComponents(reader, version);
    ReadEvents(reader, version);
    // Message windows lay their text out again once every object is back.
    for (TOrvoObject* object : objects_) {
      if (auto* message = dynamic_cast<TOrvoMes*>(object)) message->ReloadText();
    }
    // Whether an edit field can be seen depends on the screens' sizes and on
    // the objects read after it, so the fields are laid over the stage only now.
    for (TOrvoObject* object : objects_) {
      if (auto* edit = dynamic_cast<TOrvoCustomEdit*>(object)) edit->Place();
    }
    if (version > 118) {
      const std::string focus_name = reader.ReadString();
      TOrvoControl* focus = focus_name.empty() ? nullptr : FindControl(focus_name);
      if (focus) {
        focus_ = focus->Handle();
        refocus_pending_ = false;
        focus->FocusIn();
      }
    }
  } catch (...) {
    // A half-read stage is worse than an empty one.
    ResetStage();
    throw;
  }
}

}  // namespace orvo
