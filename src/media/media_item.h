#pragma once
// Media items and their managers. An item is one playing sound, CD track or
// video; each sound or video object owns at most one, which the manager for
// the source's file type makes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvo {

class TMediaManager;

// Volumes are hundredths of a decibel (-10000 silence, 0 full); pan runs
// from -10000 (left) to 10000 (right). The base does nothing and reports 0.
class TDMediaItem {
 public:
  explicit TDMediaItem(TMediaManager& owner) : owner_(owner) {}
  virtual ~TDMediaItem() = default;
  TDMediaItem(const TDMediaItem&) = delete;
  TDMediaItem& operator=(const TDMediaItem&) = delete;

  TMediaManager& Owner() const { return owner_; }
  // Paused by a suspend, or asked to play while the manager was disabled.
  bool SuspendMark() const { return suspend_mark_; }
  void SetSuspendMark(bool mark) { suspend_mark_ = mark; }

  // Whether the item starts again from its repeat position at its end.
  virtual bool GetLoop() const { return false; }
  virtual void SetLoop(bool loop) { (void)loop; }
  // Where a loop starts again (ms).
  virtual int32_t GetRepeatPos() const { return 0; }
  virtual void SetRepeatPos(int32_t ms) { (void)ms; }
  virtual int32_t GetPan() const { return 0; }
  virtual int32_t GetVolume() const { return 0; }
  virtual void SetPan(int32_t pan) { (void)pan; }
  virtual void SetVolume(int32_t volume) { (void)volume; }
  // The position heard now (ms).
  virtual int32_t GetPosition() { return 0; }
  // Moves to a position (ms) and clears the end report.
  virtual void SetPosition(int32_t ms) { (void)ms; }
  // The length (ms).
  virtual int32_t GetLength() { return 0; }
  // True once after the item played to its end.
  virtual bool IsEnd() { return false; }
  // Forgets an end report.
  virtual void ClearEnd() {}
  virtual bool IsPlaying() { return false; }
  virtual bool IsPaused() { return false; }
  // Plays; while the manager is disabled only marks the item, so it starts on enabling.
  void Play();
  virtual void Pause() {}
  // The sound device came back.
  virtual void Restore() {}

 protected:
  // Starts or continues the sound.
  virtual void StartPlaying() {}

 private:
  TMediaManager& owner_;
  bool suspend_mark_ = false;
};

// Makes an item for a source; null when the source gives none.
using TItemMaker = std::function<std::unique_ptr<TDMediaItem>(TMediaManager& owner, const std::string& source)>;

class TMediaManager {
 public:
  // has_enabled_flag: false for the video manager, which only suspends.
  TMediaManager(TItemMaker maker, bool has_enabled_flag = true);
  virtual ~TMediaManager() = default;
  TMediaManager(const TMediaManager&) = delete;
  TMediaManager& operator=(const TMediaManager&) = delete;

  // A new item appended to the list; null when the maker gives none.
  TDMediaItem* CreateItem(const std::string& source);
  // Frees an item of this manager (others are left alone).
  void FreeItem(TDMediaItem* item);
  void Suspend();
  void Resume();
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  bool Suspended() const { return suspended_; }
  // Every item after the sound device was lost.
  void Restore();
  const std::vector<std::unique_ptr<TDMediaItem>>& Items() const { return items_; }

 private:
  TItemMaker maker_;
  bool has_enabled_flag_;
  bool enabled_ = true;
  bool suspended_ = false;
  std::vector<std::unique_ptr<TDMediaItem>> items_;
};

}  // namespace orvo
