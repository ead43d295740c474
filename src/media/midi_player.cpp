#include "media/midi_player.h"

#include <algorithm>

namespace orvo {

namespace {

const uint8_t kGmReset[6] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};

uint32_t Pack(const std::vector<uint8_t>& data) {
  uint32_t message = 0;
  for (size_t i = 0; i < data.size() && i < 3; ++i) message |= uint32_t{data[i]} << (8 * i);
  return message;
}

}  // namespace

TMidiPlayV::TMidiPlayV(IMidiDevices& devices, TTimerDrive drive, TMidiTime time)
    : devices_(devices), time_(std::move(time)) {
  for (auto& channel : percents_) channel.fill(100);
  timer_ = std::make_unique<TMMTimer>(
      drive, [this] { OnTick(); }, 10);
}

TMidiPlayV::~TMidiPlayV() {
  CloseOutput();
  timer_.reset();
}

void TMidiPlayV::LoadSong(const uint8_t* data, size_t size) { LoadSong(ReadMidiSong(data, size)); }

void TMidiPlayV::LoadSong(TMidiSong song) {
  TTickHold hold(*timer_);
  StopSong();
  std::lock_guard lock(mutex_);
  events_ = std::move(song.events);
  division_ = song.division;
  length_ = song.length;
  index_ = 0;
  position_ = 0;
  for (auto& channel : values_) {
    channel.fill(0);
    // Controller 7 starts at the General MIDI default unless the defaults were inserted.
    channel[7] = song.inserted_volume ? 127 : 100;
  }
}

bool TMidiPlayV::OpenOutput(int32_t id) {
  TTickHold hold(*timer_);
  std::unique_ptr<IMidiOut> output = devices_.Open(id);
  std::lock_guard lock(mutex_);
  if (output) output_ = std::move(output);
  return output_ != nullptr;
}

void TMidiPlayV::CloseOutput() {
  if (!OutputOpen()) return;
  StopSong();
  TTickHold hold(*timer_);
  timer_->EnableTimer(false);
  std::unique_ptr<IMidiOut> output;
  {
    std::lock_guard lock(mutex_);
    output = std::move(output_);
  }
  // Sends are synchronous, so no long message is pending here.
  output->Reset();
}

bool TMidiPlayV::OutputOpen() const {
  std::lock_guard lock(mutex_);
  return output_ != nullptr;
}

void TMidiPlayV::SendGmReset() {
  TTickHold hold(*timer_);
  std::lock_guard lock(mutex_);
  if (output_) output_->SendLong(kGmReset, sizeof kGmReset);
}

void TMidiPlayV::SendEvent(const TMidiMsgEvent& event) {
  if (event.kind == mkMeta || event.data.empty()) return;
  if (event.kind == mkSysEx) {
    if (output_) output_->SendLong(event.data.data(), event.data.size());
    return;
  }
  if (event.type == mtControl && event.data.size() >= 3) {
    const uint8_t channel = event.data[0] & 15, controller = event.data[1] & 0x7F;
    values_[channel][controller] = event.data[2];
    SendControl(channel, controller);
    return;
  }
  if (output_) output_->SendShort(Pack(event.data));
}

void TMidiPlayV::SendControl(uint8_t channel, uint8_t controller) {
  if (!output_) return;
  const int64_t scaled = int64_t{values_[channel][controller]} * percents_[channel][controller] / 100;
  const uint32_t value = static_cast<uint32_t>(std::clamp<int64_t>(scaled, 0, 127));
  output_->SendShort((0xB0u | channel) | (uint32_t{controller} << 8) | (value << 16));
}

void TMidiPlayV::AllNotesOff() {
  if (!output_) return;
  for (uint32_t channel = 0; channel < 16; ++channel) output_->SendShort((0xB0u | channel) | (0x7Bu << 8));
}

void TMidiPlayV::OnTick() {
  std::lock_guard lock(mutex_);
  if (events_.empty()) return;
  const size_t last = events_.size() - 1;
  // A repeating song keeps its clock running up to the last event, which
  // may lie after the next-to-last one (a closing rest); otherwise it would
  // wait there for ever.
  if (index_ < last || repeat_) {
    const uint32_t now = time_.clock();
    position_ += static_cast<int32_t>(std::min<uint32_t>(1000, now - last_tick_));
    last_tick_ = now;
  }
  for (;;) {
    const TMidiMsgEvent& event = events_[index_];
    if (event.time >= position_) return;
    if (index_ < last) {
      SendEvent(event);
      ++index_;
    } else if (!repeat_) {
      return;
    } else {
      AllNotesOff();
      index_ = 0;
      position_ = events_[0].time;
    }
  }
}

void TMidiPlayV::Chase(size_t target) {
  while (index_ < target) {
    const TMidiMsgEvent& event = events_[index_];
    position_ = event.time;
    if (event.type != mtNoteOn && event.type != mtNoteOff) SendEvent(event);
    if (event.type == mtGsReset && time_.pause) time_.pause(10);
    ++index_;
  }
}

void TMidiPlayV::PlayFrom(int32_t ms) {
  TTickHold hold(*timer_);
  timer_->EnableTimer(false);
  {
    std::lock_guard lock(mutex_);
    size_t target = 0;
    const auto exact = std::find_if(events_.begin(), events_.end(), [ms](const auto& e) { return e.time == ms; });
    if (exact != events_.end()) {
      target = static_cast<size_t>(exact - events_.begin());
    } else {
      const auto later = std::find_if(events_.begin(), events_.end(), [ms](const auto& e) { return e.time > ms; });
      if (later != events_.end() && later != events_.begin()) target = static_cast<size_t>(later - events_.begin()) - 1;
    }
    if (target < index_) {
      AllNotesOff();
      index_ = 0;
      position_ = 0;
      Chase(target);
    } else if (target > index_) {
      AllNotesOff();
      Chase(target);
    }
    last_tick_ = time_.clock();
  }
  timer_->EnableTimer(true);
}

void TMidiPlayV::SetControllerPercent(int32_t controller, int32_t percent) {
  if (controller < 0 || controller > 127) return;
  TTickHold hold(*timer_);
  std::lock_guard lock(mutex_);
  for (auto& channel : percents_) channel[static_cast<size_t>(controller)] = percent;
  if (!timer_->Enabled()) return;
  for (uint8_t channel = 0; channel < 16; ++channel) SendControl(channel, static_cast<uint8_t>(controller));
}

void TMidiPlayV::StopSong() {
  if (!timer_->Enabled()) return;
  TTickHold hold(*timer_);
  timer_->EnableTimer(false);
  if (time_.pause) time_.pause(1);
  std::lock_guard lock(mutex_);
  AllNotesOff();
}

bool TMidiPlayV::SongPlaying() const { return timer_->Enabled(); }

bool TMidiPlayV::SongEnded() const {
  std::lock_guard lock(mutex_);
  return !repeat_ && index_ + 1 >= events_.size();
}

int32_t TMidiPlayV::SongPosition() const {
  std::lock_guard lock(mutex_);
  return position_;
}

int32_t TMidiPlayV::SongLength() const {
  std::lock_guard lock(mutex_);
  return length_;
}

bool TMidiPlayV::Repeat() const {
  std::lock_guard lock(mutex_);
  return repeat_;
}

void TMidiPlayV::SetRepeat(bool repeat) {
  std::lock_guard lock(mutex_);
  repeat_ = repeat;
}

int32_t TMidiPlayV::ControllerValue(int32_t channel, int32_t controller) const {
  std::lock_guard lock(mutex_);
  return values_[static_cast<size_t>(channel & 15)][static_cast<size_t>(controller & 127)];
}

size_t TMidiPlayV::EventCount() const {
  std::lock_guard lock(mutex_);
  return events_.size();
}

}  // namespace orvo
