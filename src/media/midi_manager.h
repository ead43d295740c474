#pragma once
// MidiMan: the one sequencer of a game, its output devices (FluidSynth
// rendered by our engine, ALSA sequencer ports) and the MIDI item that holds
// the sequencer. Only one MIDI item plays at a time.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "media/audio_engine.h"
#include "media/media_item.h"
#include "media/midi_player.h"
#include "platform/midi_out.h"

namespace orvo {

// The name games see for the mapper, device -1 (CP932).
const std::string& MidiMapperText();

struct TMidiStartOptions {
  TTimerDrive drive = TTimerDrive::Thread;
  // The sequencer's wall clock (steady ms in real time, the game clock otherwise).
  std::function<uint32_t()> clock;
  // Real time sleeps; on the game clock pauses take no time.
  bool real_time_pauses = true;
  // Opens the synthesizer on first use; null for none (silent MIDI).
  std::function<std::unique_ptr<IMidiSynth>()> open_synth;
  // Lists and opens ALSA ports; empty functions for none.
  std::function<std::vector<TMidiPortInfo>()> list_ports;
  std::function<std::unique_ptr<IMidiOut>(const TMidiPortInfo&)> open_port;
  // game.ini [Sound] MidiPort: an ALSA port the mapper plays on instead of FluidSynth.
  std::string mapper_port;
};

class TMidiItem;

class TMidiMan : public IMidiDevices, private IMixQueue {
 public:
  TMidiMan(TAudioEngine& engine, TMidiStartOptions options);
  ~TMidiMan() override;

  TMidiPlayV& Sequencer() { return *sequencer_; }

  // IMidiDevices: "FluidSynth" first, then the ALSA ports.
  std::vector<std::string> Names() const override;
  std::unique_ptr<IMidiOut> Open(int32_t id) override;

  // What games see: the mapper, then the devices (CP932).
  std::vector<std::string> PortNames() const;
  std::string PortName() const;
  // Selects a port by name (the mapper when absent); a song that plays
  // starts again on the new device from where it was.
  void SelectPort(const std::string& name);

  // One tick of a manually driven sequencer at game-clock time ms.
  void TickAt(int32_t ms);

  // For the items.
  void Play(TMidiItem& item);
  void Release(TMidiItem& item);
  bool Holds(const TMidiItem& item) const { return current_ == &item; }
  // Sends the item's volume as the controller-7 percentage.
  void ApplyVolume(const TMidiItem& item);

 private:
  void MixQueued(int32_t* acc, size_t frames) override;
  uint32_t Now();

  TAudioEngine& engine_;
  TMidiStartOptions options_;
  std::vector<TMidiPortInfo> ports_;
  std::unique_ptr<IMidiSynth> synth_;  // guarded by the engine's lock once made
  bool synth_tried_ = false;
  std::atomic<int64_t> tick_now_{-1};
  int32_t device_ = 0;  // stored + 1: 0 is the mapper
  TMidiItem* current_ = nullptr;
  std::unique_ptr<TMidiPlayV> sequencer_;
};

// The controller-7 percentage of an item volume (hundredths of a dB).
int32_t MidiVolumePercent(int32_t volume);

class TMidiItem : public TDMediaItem {
 public:
  TMidiItem(TMediaManager& owner, TMidiMan& man, std::shared_ptr<const TMidiSong> song);
  ~TMidiItem() override;

  const TMidiSong& Song() const { return *song_; }
  bool GetLoop() const override { return loop_; }
  void SetLoop(bool loop) override;
  int32_t GetVolume() const override { return volume_; }
  void SetVolume(int32_t volume) override;
  int32_t GetPosition() override;
  void SetPosition(int32_t ms) override;
  int32_t GetLength() override { return song_->length; }
  bool IsEnd() override;
  bool IsPlaying() override;
  bool IsPaused() override { return paused_; }
  void Pause() override;

  // The position to play from (kept while another item holds the sequencer).
  int32_t Remembered() const { return position_; }
  void Remember(int32_t ms) { position_ = ms; }

 protected:
  void StartPlaying() override;

 private:
  TMidiMan& man_;
  std::shared_ptr<const TMidiSong> song_;
  bool loop_ = false;
  int32_t volume_ = 0;
  int32_t position_ = 0;
  bool paused_ = false;
  bool end_reported_ = false;
};

}  // namespace orvo
