// ALSA sequencer ports as MIDI outputs (hardware synthesizers, software
// ones such as a running FluidSynth or TiMidity server).
#include <alsa/asoundlib.h>

#include "platform/midi_out.h"

namespace orvo {

namespace {

class TAlsaMidiOut : public IMidiOut {
 public:
  TAlsaMidiOut(snd_seq_t* seq, int port, snd_midi_event_t* encoder) : seq_(seq), port_(port), encoder_(encoder) {}
  ~TAlsaMidiOut() override {
    snd_midi_event_free(encoder_);
    snd_seq_close(seq_);
  }
  void SendShort(uint32_t message) override {
    uint8_t bytes[3];
    const size_t length = ShortMessageLength(static_cast<uint8_t>(message));
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(message >> (8 * i));
    Send(bytes, length);
  }
  void SendLong(const uint8_t* data, size_t size) override { Send(data, size); }
  void Reset() override {
    for (uint8_t channel = 0; channel < 16; ++channel) {
      const uint8_t off[3] = {static_cast<uint8_t>(0xB0 | channel), 0x7B, 0};
      Send(off, 3);
    }
  }

 private:
  void Send(const uint8_t* data, size_t size) {
    snd_midi_event_reset_encode(encoder_);
    while (size > 0) {
      snd_seq_event_t event;
      snd_seq_ev_clear(&event);
      const long used = snd_midi_event_encode(encoder_, data, static_cast<long>(size), &event);
      if (used <= 0) return;
      data += used;
      size -= static_cast<size_t>(used);
      if (event.type == SND_SEQ_EVENT_NONE) continue;
      snd_seq_ev_set_source(&event, port_);
      snd_seq_ev_set_subs(&event);
      snd_seq_ev_set_direct(&event);
      snd_seq_event_output_direct(seq_, &event);
    }
  }

  snd_seq_t* seq_;
  int port_;
  snd_midi_event_t* encoder_;
};

void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

snd_seq_t* OpenSequencer() {
  static const bool quiet = [] {
    snd_lib_error_set_handler(SilentAlsaErrors);
    return true;
  }();
  (void)quiet;
  snd_seq_t* seq = nullptr;
  if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return nullptr;
  return seq;
}

}  // namespace

std::vector<TMidiPortInfo> ListAlsaMidiPorts() {
  std::vector<TMidiPortInfo> ports;
  snd_seq_t* seq = OpenSequencer();
  if (!seq) return ports;
  const int self = snd_seq_client_id(seq);
  snd_seq_client_info_t* client;
  snd_seq_port_info_t* port;
  snd_seq_client_info_alloca(&client);
  snd_seq_port_info_alloca(&port);
  snd_seq_client_info_set_client(client, -1);
  while (snd_seq_query_next_client(seq, client) >= 0) {
    const int id = snd_seq_client_info_get_client(client);
    if (id == self || id == SND_SEQ_CLIENT_SYSTEM) continue;
    snd_seq_port_info_set_client(port, id);
    snd_seq_port_info_set_port(port, -1);
    while (snd_seq_query_next_port(seq, port) >= 0) {
      const unsigned caps = snd_seq_port_info_get_capability(port);
      const unsigned want = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
      if ((caps & want) != want || (snd_seq_port_info_get_type(port) & SND_SEQ_PORT_TYPE_MIDI_GENERIC) == 0) continue;
      TMidiPortInfo info;
      info.client = id;
      info.port = snd_seq_port_info_get_port(port);
      info.name =
          std::to_string(info.client) + ":" + std::to_string(info.port) + " " + snd_seq_port_info_get_name(port);
      ports.push_back(std::move(info));
    }
  }
  snd_seq_close(seq);
  return ports;
}

std::unique_ptr<IMidiOut> OpenAlsaMidiOut(const TMidiPortInfo& info) {
  snd_seq_t* seq = OpenSequencer();
  if (!seq) return nullptr;
  snd_seq_set_client_name(seq, "OrvoPlayer");
  const int port = snd_seq_create_simple_port(seq, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                              SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  snd_midi_event_t* encoder = nullptr;
  if (port < 0 || snd_seq_connect_to(seq, port, info.client, info.port) < 0 || snd_midi_event_new(4096, &encoder) < 0) {
    snd_seq_close(seq);
    return nullptr;
  }
  return std::make_unique<TAlsaMidiOut>(seq, port, encoder);
}

}  // namespace orvo
