#pragma once
// The media managers of a running game, the engine they play on and what
// they need from the game around them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/audio_engine.h"
#include "media/media_item.h"
#include "media/midi_manager.h"
#include "media/wav_out.h"

namespace orvo {

class TOrvoBaseList;

// What the media layer needs from the game: its files and folders.
struct TMediaServices {
  // RequireFile of the project: the file exists (asking for a disc when needed).
  std::function<bool(const std::string& name)> require_file;
  // The plain bytes of a game file; raises when it is missing.
  std::function<std::vector<uint8_t>(const std::string& name)> load_bytes;
  // Folders searched for "cd/trackNN.*": the game folder, then the disc roots.
  std::vector<std::string> cd_folders;
};

// Which manager a source belongs to.
enum class TMediaKind { None, Ogg, Wmp, Cdda, Midi, Video };

// The manager kind of a sound source by its extension ("CD_" sources without one of the known extensions: CD).
TMediaKind SoundKindOf(const std::string& source);

class TMediaSystem {
 public:
  // use_direct_sound: game.ini [Sound] DirectSound; delay_ms: the sound delay;
  // wave_out_threaded: the wave-output mixer fills on its own thread (real time).
  TMediaSystem(TMediaServices services, bool use_direct_sound, int32_t delay_ms, bool wave_out_threaded,
               TMillisecondClock clock);
  ~TMediaSystem();
  TMediaSystem(const TMediaSystem&) = delete;
  TMediaSystem& operator=(const TMediaSystem&) = delete;

  TAudioEngine& Engine() { return engine_; }
  TWavOut& WaveOut() { return *wav_out_; }
  const TMediaServices& Services() const { return services_; }
  bool UseDirectSound() const { return use_direct_sound_; }

  TMediaManager& Ogg() { return ogg_; }
  TMediaManager& Wmp() { return wmp_; }
  TMediaManager& Cdda() { return cdda_; }
  TMediaManager& Midi() { return midi_; }
  TMediaManager& Video() { return video_; }
  // The manager of a kind; null for None.
  TMediaManager* ManagerOf(TMediaKind kind);

  // How MIDI plays (before the first MIDI item); without it the sequencer
  // runs on the manual drive and the system's clock, silently.
  void ConfigureMidi(TMidiStartOptions options);
  // MidiMan, made on first use.
  TMidiMan& MidiMan();
  bool HasMidiMan() const { return midi_man_ != nullptr; }
  // The bytes of a MIDI source: a path when it begins with "\" or has ":"
  // second, else a game file; empty when unreadable.
  std::vector<uint8_t> LoadMidiBytes(const std::string& source);

  // The decoded length (ms) of a source without making an item, so nothing
  // that plays is touched; 0 when unreadable.
  int32_t MeasureLength(const std::string& source);
  // The file of a CD track on disk; empty when none (one line on stderr names what was looked for).
  std::string FindCdTrack(const std::string& source) const;

  // Every manager on or off (@SoundON).
  void SetEnabled(bool enabled);
  // Every manager paused or resumed (the window lost or got the focus).
  void Suspend();
  void Resume();

  // Registers the sound (17) and video (16) kinds on a stage, which must be destroyed
  // before this system: its sounds hold the managers' items.
  void RegisterKinds(TOrvoBaseList& stage);

 private:
  std::unique_ptr<TDMediaItem> MakeOggItem(TMediaManager& owner, const std::string& source);
  std::unique_ptr<TDMediaItem> MakeWmpItem(TMediaManager& owner, const std::string& source);
  // A decoder of a game file; null when it cannot be read.
  std::unique_ptr<IAudioDecoder> TryDecoder(const std::string& source);
  std::unique_ptr<TDMediaItem> MakeCdItem(TMediaManager& owner, const std::string& source);
  std::unique_ptr<TDMediaItem> MakeVideoItem(TMediaManager& owner, const std::string& source);
  std::unique_ptr<TDMediaItem> MakeMidiItem(TMediaManager& owner, const std::string& source);

  TMediaServices services_;
  bool use_direct_sound_;
  TAudioEngine engine_;
  std::unique_ptr<TWavOut> wav_out_;
  TMillisecondClock clock_;
  TMidiStartOptions midi_options_;
  // Before the managers: MIDI items release the sequencer when they go.
  std::unique_ptr<TMidiMan> midi_man_;
  TMediaManager ogg_;
  TMediaManager wmp_;
  TMediaManager cdda_;
  TMediaManager midi_;
  TMediaManager video_;
};

}  // namespace orvo
