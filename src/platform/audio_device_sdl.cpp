#include <SDL.h>

#include "platform/audio_device.h"

namespace orvo {

namespace {

class TSdlAudioDevice : public IAudioDevice {
 public:
  ~TSdlAudioDevice() override {
    Stop();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = &TSdlAudioDevice::Callback;
    wanted.userdata = this;
    SDL_AudioSpec got{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
    return device_ != 0;
  }

  bool Start(TAudioPull pull) override {
    if (device_ == 0) return false;
    SDL_LockAudioDevice(device_);
    pull_ = std::move(pull);
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void Stop() override {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }

 private:
  static void Callback(void* user, Uint8* stream, int length) {
    auto* self = static_cast<TSdlAudioDevice*>(user);
    auto* out = reinterpret_cast<int16_t*>(stream);
    const size_t frames = static_cast<size_t>(length) / 4;
    if (self->pull_) {
      self->pull_(out, frames);
    } else {
      SDL_memset(stream, 0, static_cast<size_t>(length));
    }
  }

  SDL_AudioDeviceID device_ = 0;
  TAudioPull pull_;
};

}  // namespace

std::unique_ptr<IAudioDevice> OpenSdlAudioDevice() {
  auto device = std::make_unique<TSdlAudioDevice>();
  if (!device->Open()) return nullptr;
  return device;
}

}  // namespace orvo
