#include "media/media_items.h"

#include <algorithm>
#include <cmath>

#include "base/cp932.h"
#include "base/error.h"
#include "media/sound_decoder.h"

namespace orvo {

int64_t MsToFrameBytes(int64_t ms, const TPcmFormat& format) {
  const int64_t block = std::max(format.BlockAlign(), 1);
  // 64 bits: ms × byte rate passes 32 bits after 12 s of CD-quality sound.
  const int64_t product = ms * format.ByteRate();
  int64_t bytes = product / 1000;
  const int64_t remainder = product % 1000;
  if (remainder > 500 || (remainder == 500 && (bytes & 1) != 0)) ++bytes;
  // A position between frames would swap the channels or read half a sample.
  return bytes / block * block;
}

int32_t BytesToMs(int64_t bytes, const TPcmFormat& format) {
  const int64_t rate = std::max<int64_t>(format.ByteRate(), 1);
  return static_cast<int32_t>(std::min<int64_t>(bytes * 1000 / rate, INT32_MAX));
}

int32_t WaveVolume(int32_t volume) { return (std::clamp(volume, -5000, 0) + 5000) * 256 / 5000; }

// ---- TVoiceItem

TVoiceItem::TVoiceItem(TMediaManager& owner, TAudioEngine& engine, std::unique_ptr<IAudioDecoder> decoder, TGainLaw law)
    : TDMediaItem(owner), engine_(engine), law_(law) {
  if (decoder) {
    decoder = ToVoiceFormat(std::move(decoder));
    format_ = decoder->Output();
    voice_ = engine_.AddVoice(std::move(decoder));
    ApplyGain();
  }
}

TVoiceItem::~TVoiceItem() {
  if (voice_) engine_.RemoveVoice(voice_);
}

void TVoiceItem::ApplyLoop() {
  if (!voice_) return;
  const int64_t start = MsToFrameBytes(repeat_pos_, format_) / std::max(format_.BlockAlign(), 1);
  engine_.SetLoop(*voice_, loop_, start);
}

void TVoiceItem::ApplyGain() {
  if (voice_) engine_.SetGain(*voice_, law_, volume_, pan_);
}

void TVoiceItem::SetLoop(bool loop) {
  loop_ = loop;
  ApplyLoop();
}

void TVoiceItem::SetRepeatPos(int32_t ms) {
  repeat_pos_ = ms;
  ApplyLoop();
}

void TVoiceItem::SetPan(int32_t pan) {
  pan_ = std::clamp(pan, -10000, 10000);
  ApplyGain();
}

void TVoiceItem::SetVolume(int32_t volume) {
  volume_ = std::clamp(volume, -10000, 0);
  ApplyGain();
}

int32_t TVoiceItem::GetPosition() {
  if (!voice_) return 0;
  return BytesToMs(engine_.Position(*voice_) * format_.BlockAlign(), format_);
}

void TVoiceItem::SetPosition(int32_t ms) {
  end_reported_ = false;
  broken_ended_ = false;
  if (!voice_) return;
  engine_.SetPosition(*voice_, MsToFrameBytes(std::max(ms, 0), format_) / std::max(format_.BlockAlign(), 1));
}

int32_t TVoiceItem::GetLength() {
  if (!voice_) return 0;
  return BytesToMs(voice_->Frames() * format_.BlockAlign(), format_);
}

bool TVoiceItem::IsEnd() {
  const bool ended = voice_ ? engine_.Ended(*voice_) : broken_ended_;
  if (!ended || end_reported_) return false;
  end_reported_ = true;
  return true;
}

bool TVoiceItem::IsPlaying() { return voice_ && engine_.IsPlaying(*voice_); }

void TVoiceItem::Pause() {
  paused_ = true;
  if (voice_) engine_.Pause(*voice_);
}

void TVoiceItem::StartPlaying() {
  paused_ = false;
  if (!voice_) {
    broken_ended_ = true;
    return;
  }
  engine_.Play(*voice_);
}

// ---- TOggWaveItem

TOggWaveItem::TOggWaveItem(TMediaManager& owner, TWavOut& wav_out, std::unique_ptr<IAudioDecoder> decoder)
    : TDMediaItem(owner), wav_out_(wav_out) {
  if (!decoder) throw EFormatError(Utf8ToCp932("サウンドデータが不正です"));
  decoder = ToWaveTableFormat(std::move(decoder));
  format_ = decoder->Output();
  wav_out_.Open();
  buffer_ = wav_out_.AddSource(std::move(decoder));
  buffer_->SetSourceVolume(WaveVolume(volume_));
}

TOggWaveItem::~TOggWaveItem() { wav_out_.RemoveSource(buffer_); }

void TOggWaveItem::SetLoop(bool loop) {
  loop_ = loop;
  buffer_->SetLoop(loop_, MsToFrameBytes(repeat_pos_, format_));
}

void TOggWaveItem::SetRepeatPos(int32_t ms) {
  repeat_pos_ = ms;
  buffer_->SetLoop(loop_, MsToFrameBytes(repeat_pos_, format_));
}

void TOggWaveItem::SetVolume(int32_t volume) {
  volume_ = volume;
  buffer_->SetSourceVolume(WaveVolume(volume));
}

int32_t TOggWaveItem::GetPosition() { return BytesToMs(buffer_->SourcePosition(), format_); }

void TOggWaveItem::SetPosition(int32_t ms) { buffer_->SetSourcePosition(MsToFrameBytes(std::max(ms, 0), format_)); }

int32_t TOggWaveItem::GetLength() { return BytesToMs(buffer_->StreamSize(), format_); }

bool TOggWaveItem::IsEnd() {
  if (!started_ || !buffer_->SourceEnded()) return false;
  if (loop_) {
    buffer_->SetSourcePosition(MsToFrameBytes(repeat_pos_, format_));
    buffer_->StartSource();
    return false;
  }
  started_ = false;
  return true;
}

bool TOggWaveItem::IsPlaying() { return buffer_->Active() && !paused_ && !buffer_->SourceEnded(); }

void TOggWaveItem::Pause() {
  paused_ = true;
  buffer_->PauseSource();
}

void TOggWaveItem::StartPlaying() {
  paused_ = false;
  started_ = true;
  buffer_->StartSource();
}

}  // namespace orvo
