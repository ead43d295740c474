#include "platform/midi_out.h"

namespace orvo {

size_t ShortMessageLength(uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
      return 2;
    case 0xF0:
      // System common and real-time statuses that a channel path may carry.
      if (status == 0xF2) return 3;
      if (status == 0xF1 || status == 0xF3) return 2;
      return 1;
    default:
      return 3;
  }
}

class TRecordingMidiOut : public IMidiOut {
 public:
  explicit TRecordingMidiOut(TMidiRecorder& recorder) : recorder_(recorder) {}
  void SendShort(uint32_t message) override {
    TMidiRecord record;
    const size_t length = ShortMessageLength(static_cast<uint8_t>(message));
    for (size_t i = 0; i < length; ++i) record.bytes.push_back(static_cast<uint8_t>(message >> (8 * i)));
    recorder_.Add(std::move(record));
  }
  void SendLong(const uint8_t* data, size_t size) override {
    TMidiRecord record;
    record.bytes.assign(data, data + size);
    recorder_.Add(std::move(record));
  }
  void Reset() override {
    TMidiRecord record;
    record.reset = true;
    recorder_.Add(std::move(record));
  }

 private:
  TMidiRecorder& recorder_;
};

std::unique_ptr<IMidiOut> TMidiRecorder::OpenOutput() { return std::make_unique<TRecordingMidiOut>(*this); }

void TMidiRecorder::Add(TMidiRecord record) {
  record.clock = clock_ ? clock_() : 0;
  std::function<void(const TMidiRecord&)> listener;
  {
    std::lock_guard lock(mutex_);
    records_.push_back(record);
    listener = listener_;
  }
  if (listener) listener(record);
}

std::vector<TMidiRecord> TMidiRecorder::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

void TMidiRecorder::Clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
}

void TMidiRecorder::SetListener(std::function<void(const TMidiRecord&)> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

std::string MidiHex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

}  // namespace orvo
