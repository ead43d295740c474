#pragma once
// Every stage object: a name, a tag, a drawing priority and the numbered
// properties. Non-visual kinds derive from TOrvoComponent, visual ones from
// TOrvoControl. The stage (TOrvoBaseList) creates, owns and deletes them all.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/binary_io.h"
#include "script/script_services.h"
#include "stage/prop_table.h"
#include "stage/prop_value.h"

namespace orvo {

class TOrvoBaseList;
class TOrvoControl;

class TOrvoObject {
 public:
  explicit TOrvoObject(TOrvoBaseList& stage);
  virtual ~TOrvoObject();
  TOrvoObject(const TOrvoObject&) = delete;
  TOrvoObject& operator=(const TOrvoObject&) = delete;

  TOrvoBaseList& Stage() const { return *stage_; }
  // The object's handle on its stage (0 until the stage adopts it).
  TObjectHandle Handle() const { return handle_; }
  const std::string& Name() const { return name_; }
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }
  int32_t Priority() const { return priority_; }
  int32_t PriorityBias() const { return priority_bias_; }
  // Set by film motions; siblings are sorted by Priority + PriorityBias.
  virtual void SetPriorityBias(int32_t bias) { priority_bias_ = bias; }
  bool IsScrapped() const { return scrapped_; }
  // Names beginning with the byte 0x01 belong to the system.
  bool HasSystemName() const { return !name_.empty() && name_[0] == '\x01'; }

  // Renames by the naming rules: visual objects push an older holder of the
  // name aside (a -> a_2), non-visual ones scrap it. Scrapped objects keep no name.
  virtual void SetName(const std::string& name);
  // PR_PRIORITY: a change clears PriorityBias.
  virtual void SetPriority(int32_t priority);
  // Schedules deletion at the end of the frame's update and clears the name at once.
  void Scrap();

  // The kind code that saves and CreateByKind use; 0 for objects never saved.
  virtual uint8_t CompoType() const { return kcNone; }
  // True for TOrvoControl and its descendants.
  virtual bool IsVisual() const { return false; }
  // True for the two screens.
  virtual bool IsScreen() const { return false; }
  TOrvoControl* AsControl();
  const TOrvoControl* AsControl() const;

  // Reads property id (0..172) in the table's type; a kind that does not
  // implement it reads the table's default.
  virtual TPropValue GetProperty(int32_t id) const;
  // Writes property id with a value of the table's type; a kind that does
  // not implement it ignores the write.
  virtual void SetProperty(int32_t id, const TPropValue& value);
  int32_t GetInt(int32_t id) const { return GetProperty(id).AsInt(); }
  bool GetBool(int32_t id) const { return GetProperty(id).AsBool(); }
  std::string GetStr(int32_t id) const { return GetProperty(id).AsStr(); }

  // PR_PAUSED: a paused object is frozen (no update, no idle or input events).
  virtual bool Paused() const { return false; }
  // True while the object must post no input events.
  virtual bool EventsBlocked() const { return false; }
  // True when the stage names the object "object<n>" on creation.
  virtual bool WantsAutoName() const { return true; }
  // The stage took the object (it has its handle and name now).
  virtual void Adopted() {}
  // True while the object lies inside a cabinet (frozen and not drawn).
  virtual bool InCabinet() const { return false; }
  // The handler posted every frame (PR_ONIDLE); empty for none.
  virtual std::string_view IdleHandler() const { return {}; }
  // Advances by one frame; true when the object is finished and must be deleted.
  virtual bool Update() { return false; }
  // Restarts the object's media from the beginning (sounds, videos); others ignore it.
  virtual void RestartMedia() {}
  // A new sound or video starts playing (fading in with a fade time above 0); others ignore it.
  virtual void StartMedia() {}
  // The media-stop command: with a fade time above 0 a playing sound or
  // video fades out and is deleted at the end (true); otherwise the object
  // is stopped and scrapped at once (false).
  virtual bool StopMedia(int32_t fade_time);
  // For objects that close on a right click: closes and returns true when it did.
  virtual bool RightClickClose() { return false; }
  // Afterimages (blur objects) sort before their source and are never saved.
  virtual bool IsAfterimage() const { return false; }
  // The object an afterimage was spawned from; 0 for other objects.
  virtual TObjectHandle AfterimageSource() const { return 0; }
  // True when the object goes into saves: a kind code, not scrapped, not a
  // system name, not an afterimage.
  bool IsSaved() const;

  // The object's save record: the object part, then each kind's own fields.
  virtual void WriteState(TBinaryWriter& writer) const;
  // Reads what WriteState wrote, in the layout of a save of that version.
  virtual void ReadState(TBinaryReader& reader, int32_t version);

  // Drop and rebuild display-dependent surfaces around a display change.
  virtual void ReleaseSurfaces() {}
  virtual void RestoreSurfaces() {}

 protected:
  // Changes the name without the rules (the stage's name index follows).
  void StoreName(const std::string& name);

 private:
  friend class TOrvoBaseList;
  friend class TOrvoControl;

  TOrvoBaseList* stage_;
  TObjectHandle handle_ = 0;
  std::string name_;
  std::string tag_;
  int32_t priority_ = 0;
  int32_t priority_bias_ = 0;
  bool scrapped_ = false;
};

// Base of the non-visual kinds (timers, sounds, fetch objects, property motions).
class TOrvoComponent : public TOrvoObject {
 public:
  using TOrvoObject::TOrvoObject;
};

}  // namespace orvo
