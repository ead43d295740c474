#include "media/media_system.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "base/cp932.h"
#include "base/error.h"
#include "base/files.h"
#include "media/media_items.h"
#include "media/sound_decoder.h"
#include "media/sound_object.h"
#include "media/video_item.h"
#include "media/video_object.h"
#include "stage/stage.h"

namespace orvo {

namespace {

std::string LowerExtension(const std::string& source) {
  size_t dot = source.rfind('.');
  size_t slash = source.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return LowerAscii(source.substr(dot));
}

TSoundBytes LoadShared(const TMediaServices& services, const std::string& name) {
  return std::make_shared<const std::vector<uint8_t>>(services.load_bytes(name));
}

}  // namespace

TMediaKind SoundKindOf(const std::string& source) {
  const std::string extension = LowerExtension(source);
  if (extension == ".mid" || extension == ".sgt") return TMediaKind::Midi;
  if (extension == ".wma" || extension == ".asf" || extension == ".wmv") return TMediaKind::Wmp;
  if (extension == ".ogg" || extension == ".wav") return TMediaKind::Ogg;
  if (source.rfind("CD_", 0) == 0) return TMediaKind::Cdda;
  return TMediaKind::None;
}

TMediaSystem::TMediaSystem(TMediaServices services, bool use_direct_sound, int32_t delay_ms, bool wave_out_threaded,
                           TMillisecondClock clock)
    : services_(std::move(services)),
      use_direct_sound_(use_direct_sound),
      wav_out_(std::make_unique<TWavOut>(delay_ms, clock, wave_out_threaded)),
      clock_(std::move(clock)),
      ogg_([this](TMediaManager& owner, const std::string& source) { return MakeOggItem(owner, source); }),
      wmp_([this](TMediaManager& owner, const std::string& source) { return MakeWmpItem(owner, source); }),
      cdda_([this](TMediaManager& owner, const std::string& source) { return MakeCdItem(owner, source); }),
      midi_([this](TMediaManager& owner, const std::string& source) { return MakeMidiItem(owner, source); }),
      video_([this](TMediaManager& owner, const std::string& source) { return MakeVideoItem(owner, source); }, false) {
  engine_.SetQueue(wav_out_.get());
}

TMediaSystem::~TMediaSystem() {
  engine_.SetQueue(nullptr);
  wav_out_->Close();
}

TMediaManager* TMediaSystem::ManagerOf(TMediaKind kind) {
  switch (kind) {
    case TMediaKind::Ogg:
      return &ogg_;
    case TMediaKind::Wmp:
      return &wmp_;
    case TMediaKind::Cdda:
      return &cdda_;
    case TMediaKind::Midi:
      return &midi_;
    case TMediaKind::Video:
      return &video_;
    case TMediaKind::None:
      break;
  }
  return nullptr;
}

std::unique_ptr<IAudioDecoder> TMediaSystem::TryDecoder(const std::string& source) {
  try {
    return OpenSoundDecoder(LoadShared(services_, source));
  } catch (const EOrvoError&) {
    // Direct items end as soon as they play; the wave path raises its own message.
    return nullptr;
  }
}

std::unique_ptr<TDMediaItem> TMediaSystem::MakeOggItem(TMediaManager& owner, const std::string& source) {
  if (use_direct_sound_) return std::make_unique<TOggItem>(owner, engine_, TryDecoder(source));
  return std::make_unique<TOggWaveItem>(owner, *wav_out_, TryDecoder(source));
}

std::unique_ptr<TDMediaItem> TMediaSystem::MakeWmpItem(TMediaManager& owner, const std::string& source) {
  return std::make_unique<TWmpItem>(owner, engine_, TryDecoder(source));
}

std::string TMediaSystem::FindCdTrack(const std::string& source) const {
  const int track = std::atoi(source.c_str() + 3);
  char name[32];
  std::snprintf(name, sizeof name, "cd/track%02d", track % 100);
  std::string looked;
  for (const std::string& folder : services_.cd_folders) {
    for (const char* extension : {".ogg", ".wav", ".flac", ".mp3"}) {
      const std::string path = folder + "/" + name + extension;
      if (std::filesystem::is_regular_file(path)) return path;
    }
    looked += (looked.empty() ? "" : ", ") + folder + "/" + name + ".{ogg,wav,flac,mp3}";
  }
  std::fprintf(stderr, "orvoplayer: no file for CD track %d (looked for %s)\n", track,
               looked.empty() ? name : looked.c_str());
  return {};
}

std::unique_ptr<TDMediaItem> TMediaSystem::MakeCdItem(TMediaManager& owner, const std::string& source) {
  const std::string path = FindCdTrack(source);
  if (path.empty()) return nullptr;
  std::string bytes;
  std::unique_ptr<IAudioDecoder> decoder;
  if (ReadWholeFile(path, bytes)) {
    try {
      decoder = OpenSoundDecoder(std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end()));
    } catch (const EOrvoError&) {
      decoder = nullptr;
    }
  }
  return std::make_unique<TCddaItem>(owner, engine_, std::move(decoder));
}

std::unique_ptr<TDMediaItem> TMediaSystem::MakeVideoItem(TMediaManager& owner, const std::string& source) {
  std::unique_ptr<TVideoClip> clip;
  try {
    clip = OpenFfmpegVideo(LoadShared(services_, source));
  } catch (const EOrvoError&) {
    clip = nullptr;
  }
  if (!clip) {
    std::fprintf(stderr, "orvoplayer: cannot decode the video %s\n", Cp932ToUtf8(source).c_str());
    return nullptr;
  }
  return std::make_unique<TDsVideoItem>(owner, engine_, std::move(clip));
}

void TMediaSystem::ConfigureMidi(TMidiStartOptions options) {
  if (midi_man_) return;
  midi_options_ = std::move(options);
}

TMidiMan& TMediaSystem::MidiMan() {
  if (!midi_man_) {
    TMidiStartOptions options = midi_options_;
    if (!options.clock) {
      options.drive = TTimerDrive::Manual;
      options.real_time_pauses = false;
      options.clock = clock_;
    }
    midi_man_ = std::make_unique<TMidiMan>(engine_, std::move(options));
  }
  return *midi_man_;
}

std::vector<uint8_t> TMediaSystem::LoadMidiBytes(const std::string& source) {
  const bool drive = source.size() >= 2 && source[1] == ':';
  if (!source.empty() && (source[0] == '\\' || drive)) {
    // A path outside the game data: drive letters mean nothing here, and
    // the separators become slashes (CP932 trail bytes stay as they are).
    std::string path = Cp932ToUtf8(drive ? source.substr(2) : source);
    std::replace(path.begin(), path.end(), '\\', '/');
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return {};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }
  try {
    return services_.load_bytes(source);
  } catch (const EOrvoError&) {
    return {};
  }
}

std::unique_ptr<TDMediaItem> TMediaSystem::MakeMidiItem(TMediaManager& owner, const std::string& source) {
  const std::vector<uint8_t> bytes = LoadMidiBytes(source);
  auto song = std::make_shared<const TMidiSong>(ReadMidiSong(bytes.data(), bytes.size()));
  return std::make_unique<TMidiItem>(owner, MidiMan(), std::move(song));
}

int32_t TMediaSystem::MeasureLength(const std::string& source) {
  try {
    std::unique_ptr<IAudioDecoder> decoder;
    const TMediaKind kind = SoundKindOf(source);
    if (kind == TMediaKind::Cdda) {
      const std::string path = FindCdTrack(source);
      std::string bytes;
      if (path.empty() || !ReadWholeFile(path, bytes)) return 0;
      decoder = OpenSoundDecoder(std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end()));
    } else if (kind == TMediaKind::Midi) {
      // Read apart from the sequencer, which may be playing another song.
      const std::vector<uint8_t> bytes = LoadMidiBytes(source);
      return ReadMidiSong(bytes.data(), bytes.size()).length;
    } else if (kind == TMediaKind::Ogg || kind == TMediaKind::Wmp) {
      if (!services_.require_file(source)) return 0;
      decoder = OpenSoundDecoder(LoadShared(services_, source));
    } else {
      return 0;
    }
    const TSoundInfo& info = decoder->Info();
    return static_cast<int32_t>(std::min<int64_t>(info.frames * 1000 / std::max(info.rate, 1), INT32_MAX));
  } catch (const EOrvoError&) {
    return 0;
  }
}

void TMediaSystem::SetEnabled(bool enabled) {
  for (TMediaManager* manager : {&wmp_, &ogg_, &cdda_, &midi_}) manager->SetEnabled(enabled);
}

void TMediaSystem::Suspend() {
  for (TMediaManager* manager : {&wmp_, &ogg_, &cdda_, &midi_, &video_}) manager->Suspend();
}

void TMediaSystem::Resume() {
  for (TMediaManager* manager : {&wmp_, &ogg_, &cdda_, &midi_, &video_}) manager->Resume();
}

void TMediaSystem::RegisterKinds(TOrvoBaseList& stage) {
  stage.RegisterKind(kcSound, [this](TOrvoBaseList& s) { return std::make_unique<TOrvoSound>(s, *this); });
  stage.RegisterKind(kcVideo, [this](TOrvoBaseList& s) { return std::make_unique<TOrvoVideo>(s, *this); });
}

}  // namespace orvo
