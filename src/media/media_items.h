#pragma once
// The items of the sound managers: direct voices on the engine (Ogg and WAV
// with the direct path on, media-player audio, CD tracks) and sources of the
// wave-output mixer (the direct path off).
#include <memory>

#include "media/audio_engine.h"
#include "media/media_item.h"
#include "media/wav_out.h"

namespace orvo {

// ms -> bytes rounded half to even, then down to a whole frame; 64-bit.
int64_t MsToFrameBytes(int64_t ms, const TPcmFormat& format);
// bytes -> ms, truncated.
int32_t BytesToMs(int64_t bytes, const TPcmFormat& format);
// A wave-output volume 0..256 from hundredths of a decibel.
int32_t WaveVolume(int32_t volume);

// A sound on the direct path. A source that cannot be decoded gives an item
// without a voice: it ends as soon as it is played.
class TVoiceItem : public TDMediaItem {
 public:
  TVoiceItem(TMediaManager& owner, TAudioEngine& engine, std::unique_ptr<IAudioDecoder> decoder, TGainLaw law);
  ~TVoiceItem() override;

  bool GetLoop() const override { return loop_; }
  void SetLoop(bool loop) override;
  int32_t GetRepeatPos() const override { return repeat_pos_; }
  void SetRepeatPos(int32_t ms) override;
  int32_t GetPan() const override { return pan_; }
  int32_t GetVolume() const override { return volume_; }
  void SetPan(int32_t pan) override;
  void SetVolume(int32_t volume) override;
  int32_t GetPosition() override;
  void SetPosition(int32_t ms) override;
  int32_t GetLength() override;
  bool IsEnd() override;
  void ClearEnd() override {}
  bool IsPlaying() override;
  bool IsPaused() override { return paused_; }
  void Pause() override;

 protected:
  void StartPlaying() override;

 private:
  void ApplyLoop();
  void ApplyGain();

  TAudioEngine& engine_;
  std::shared_ptr<TVoice> voice_;
  TGainLaw law_;
  TPcmFormat format_;
  bool loop_ = false;
  int32_t repeat_pos_ = 0;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  bool paused_ = false;
  bool end_reported_ = false;
  bool broken_ended_ = false;
};

// Ogg Vorbis and WAV sources with the direct path on (OggMan).
class TOggItem : public TVoiceItem {
 public:
  TOggItem(TMediaManager& owner, TAudioEngine& engine, std::unique_ptr<IAudioDecoder> decoder)
      : TVoiceItem(owner, engine, std::move(decoder), TGainLaw::Decibel) {}
};

// Media-player audio (".wma", ".asf", ".wmv"), decoded by FFmpeg (WmpMan).
class TWmpItem : public TVoiceItem {
 public:
  TWmpItem(TMediaManager& owner, TAudioEngine& engine, std::unique_ptr<IAudioDecoder> decoder)
      : TVoiceItem(owner, engine, std::move(decoder), TGainLaw::Decibel) {}
};

// A CD track played from a file; its volume scales the samples linearly, as
// the CD line of a mixer did (CddaMan).
class TCddaItem : public TVoiceItem {
 public:
  TCddaItem(TMediaManager& owner, TAudioEngine& engine, std::unique_ptr<IAudioDecoder> decoder)
      : TVoiceItem(owner, engine, std::move(decoder), TGainLaw::Linear) {}
};

// A source of the wave-output mixer.
class TOggWaveItem : public TDMediaItem {
 public:
  // Raises "サウンドデータが不正です" when the stream's format cannot be read.
  TOggWaveItem(TMediaManager& owner, TWavOut& wav_out, std::unique_ptr<IAudioDecoder> decoder);
  ~TOggWaveItem() override;

  bool GetLoop() const override { return loop_; }
  void SetLoop(bool loop) override;
  int32_t GetRepeatPos() const override { return repeat_pos_; }
  void SetRepeatPos(int32_t ms) override;
  int32_t GetVolume() const override { return volume_; }
  int32_t GetPan() const override { return pan_; }
  void SetPan(int32_t pan) override { pan_ = pan; }
  void SetVolume(int32_t volume) override;
  int32_t GetPosition() override;
  void SetPosition(int32_t ms) override;
  int32_t GetLength() override;
  bool IsEnd() override;
  bool IsPlaying() override;
  bool IsPaused() override { return paused_; }
  void Pause() override;

 protected:
  void StartPlaying() override;

 private:
  TWavOut& wav_out_;
  TWavBuffer* buffer_ = nullptr;
  TPcmFormat format_;
  bool loop_ = false;
  int32_t repeat_pos_ = 0;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  bool paused_ = false;
  bool started_ = false;
};

}  // namespace orvo
