#include "media/midi_manager.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/cp932.h"

namespace orvo {

namespace {

// Without a synthesizer the music is silent but the song still runs, so
// positions, ends and events behave the same.
class TSilentMidiOut : public IMidiOut {
 public:
  void SendShort(uint32_t) override {}
  void SendLong(const uint8_t*, size_t) override {}
  void Reset() override {}
};

const char kFluidSynthName[] = "FluidSynth";

}  // namespace

const std::string& MidiMapperText() {
  static const std::string kName = Utf8ToCp932("MIDIマッパー");
  return kName;
}

int32_t MidiVolumePercent(int32_t volume) { return std::clamp(volume / 100 + 100, 0, 100); }

TMidiMan::TMidiMan(TAudioEngine& engine, TMidiStartOptions options) : engine_(engine), options_(std::move(options)) {
  if (options_.list_ports) ports_ = options_.list_ports();
  TMidiTime time;
  time.clock = [this] { return Now(); };
  if (options_.real_time_pauses) {
    time.pause = [](int32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  }
  sequencer_ = std::make_unique<TMidiPlayV>(*this, options_.drive, std::move(time));
  engine_.AddSource(this);
}

TMidiMan::~TMidiMan() {
  sequencer_.reset();
  engine_.RemoveSource(this);
}

uint32_t TMidiMan::Now() {
  const int64_t tick = tick_now_.load();
  if (tick >= 0) return static_cast<uint32_t>(tick);
  return options_.clock ? options_.clock() : 0;
}

void TMidiMan::TickAt(int32_t ms) {
  tick_now_.store(static_cast<uint32_t>(ms));
  sequencer_->Tick();
  tick_now_.store(-1);
}

void TMidiMan::MixQueued(int32_t* acc, size_t frames) {
  // Called under the engine's lock, which also guards synth_.
  if (synth_) synth_->MixInto(acc, frames);
}

std::vector<std::string> TMidiMan::Names() const {
  std::vector<std::string> names = {kFluidSynthName};
  for (const TMidiPortInfo& port : ports_) names.push_back(Utf8ToCp932(port.name));
  return names;
}

std::unique_ptr<IMidiOut> TMidiMan::Open(int32_t id) {
  if (id < 0 && !options_.mapper_port.empty()) {
    for (size_t i = 0; i < ports_.size(); ++i) {
      if (ports_[i].name == options_.mapper_port) id = static_cast<int32_t>(i) + 1;
    }
  }
  if (id >= 1 && static_cast<size_t>(id) <= ports_.size() && options_.open_port) {
    if (auto out = options_.open_port(ports_[static_cast<size_t>(id) - 1])) return out;
    return nullptr;
  }
  if (!synth_tried_) {
    synth_tried_ = true;
    std::unique_ptr<IMidiSynth> synth = options_.open_synth ? options_.open_synth() : nullptr;
    std::lock_guard lock(engine_.Mutex());
    synth_ = std::move(synth);
  }
  if (synth_) return synth_->OpenOutput();
  return std::make_unique<TSilentMidiOut>();
}

std::vector<std::string> TMidiMan::PortNames() const {
  std::vector<std::string> names = Names();
  names.insert(names.begin(), MidiMapperText());
  return names;
}

std::string TMidiMan::PortName() const {
  const std::vector<std::string> names = PortNames();
  return device_ >= 0 && static_cast<size_t>(device_) < names.size() ? names[static_cast<size_t>(device_)]
                                                                     : MidiMapperText();
}

void TMidiMan::SelectPort(const std::string& name) {
  const std::vector<std::string> names = PortNames();
  const auto found = std::find(names.begin(), names.end(), name);
  const int32_t index = found == names.end() ? 0 : static_cast<int32_t>(found - names.begin());
  if (index == device_ && sequencer_->OutputOpen()) return;
  device_ = index;
  const bool playing = current_ && sequencer_->SongPlaying() && !current_->IsPaused();
  const int32_t position = sequencer_->SongPosition();
  sequencer_->CloseOutput();
  if (!playing) return;
  current_->Remember(position);
  Play(*current_);
}

void TMidiMan::Play(TMidiItem& item) {
  if (current_ != &item) {
    if (current_) current_->Remember(sequencer_->SongPosition());
    sequencer_->LoadSong(item.Song());
    current_ = &item;
  }
  if (!sequencer_->OutputOpen()) sequencer_->OpenOutput(device_ - 1);
  sequencer_->SendGmReset();
  sequencer_->SetRepeat(item.GetLoop());
  sequencer_->PlayFrom(item.Remembered());
  ApplyVolume(item);
}

void TMidiMan::ApplyVolume(const TMidiItem& item) {
  if (current_ != &item) return;
  sequencer_->SetControllerPercent(7, MidiVolumePercent(item.GetVolume()));
}

void TMidiMan::Release(TMidiItem& item) {
  if (current_ != &item) return;
  sequencer_->StopSong();
  current_ = nullptr;
}

TMidiItem::TMidiItem(TMediaManager& owner, TMidiMan& man, std::shared_ptr<const TMidiSong> song)
    : TDMediaItem(owner), man_(man), song_(std::move(song)) {}

TMidiItem::~TMidiItem() { man_.Release(*this); }

void TMidiItem::SetLoop(bool loop) {
  loop_ = loop;
  if (man_.Holds(*this)) man_.Sequencer().SetRepeat(loop);
}

void TMidiItem::SetVolume(int32_t volume) {
  if (volume == volume_) return;
  volume_ = volume;
  if (man_.Holds(*this) && man_.Sequencer().SongPlaying()) man_.ApplyVolume(*this);
}

int32_t TMidiItem::GetPosition() {
  return man_.Holds(*this) && man_.Sequencer().SongPlaying() ? man_.Sequencer().SongPosition() : position_;
}

void TMidiItem::SetPosition(int32_t ms) {
  position_ = ms;
  end_reported_ = false;
  if (man_.Holds(*this) && man_.Sequencer().SongPlaying() && !paused_) man_.Sequencer().PlayFrom(ms);
}

bool TMidiItem::IsEnd() {
  if (end_reported_ || !man_.Holds(*this)) return false;
  TMidiPlayV& sequencer = man_.Sequencer();
  if (!sequencer.SongPlaying() || !sequencer.SongEnded()) return false;
  end_reported_ = true;
  return true;
}

bool TMidiItem::IsPlaying() {
  if (!man_.Holds(*this)) return false;
  TMidiPlayV& sequencer = man_.Sequencer();
  return sequencer.SongPlaying() && !sequencer.SongEnded();
}

void TMidiItem::Pause() {
  paused_ = true;
  if (!man_.Holds(*this)) return;
  TMidiPlayV& sequencer = man_.Sequencer();
  if (!sequencer.SongPlaying()) return;
  position_ = sequencer.SongPosition();
  sequencer.StopSong();
}

void TMidiItem::StartPlaying() {
  paused_ = false;
  if (IsPlaying()) return;
  // An item that played to its end starts again from the beginning.
  if (end_reported_ || (man_.Holds(*this) && man_.Sequencer().SongPlaying() && man_.Sequencer().SongEnded())) {
    position_ = 0;
    end_reported_ = false;
  }
  man_.Play(*this);
}

}  // namespace orvo
