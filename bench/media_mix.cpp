// The mixer's cost: one second of 16 voices with volume and pan, the wave
// mixer's Fill of 8 sources, and a 60 s Ogg file through the media layer
// against a bare ov_read loop on the same bytes.
#include <benchmark/benchmark.h>

#include <cmath>

#include "media/audio_engine.h"
#include "media/sound_decoder.h"
#include "media/wav_out.h"
#include "media/wav_reader.h"
#include "platform/audio_encoder.h"

namespace orvo {
namespace {

std::vector<int16_t> Tone(size_t frames, int channels, double frequency) {
  std::vector<int16_t> samples(frames * static_cast<size_t>(channels));
  for (size_t i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(std::lround(9000 * std::sin(i * frequency * 2 * 3.14159265 / 44100)));
    for (int c = 0; c < channels; ++c) samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = v;
  }
  return samples;
}

TSoundBytes Wav(const std::vector<int16_t>& samples, int channels) {
  std::vector<uint8_t> file;
  auto le = [&file](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  file = {'R', 'I', 'F', 'F'};
  le(36 + data, 4);
  for (char c : std::string("WAVEfmt ")) file.push_back(static_cast<uint8_t>(c));
  le(16, 4);
  le(1, 2);
  le(static_cast<uint32_t>(channels), 2);
  le(44100, 4);
  le(44100u * 2u * static_cast<uint32_t>(channels), 4);
  le(2u * static_cast<uint32_t>(channels), 2);
  le(16, 2);
  for (char c : std::string("data")) file.push_back(static_cast<uint8_t>(c));
  le(data, 4);
  for (int16_t s : samples) le(static_cast<uint16_t>(s), 2);
  return std::make_shared<const std::vector<uint8_t>>(std::move(file));
}

// One second of output, 16 looping stereo voices, each with its own volume and pan.
void BM_SixteenVoicesOneSecond(benchmark::State& state) {
  TAudioEngine engine;
  const TSoundBytes bytes = Wav(Tone(44100, 2, 440), 2);
  for (int i = 0; i < 16; ++i) {
    auto voice = engine.AddVoice(OpenWavDecoder(bytes));
    engine.SetGain(*voice, TGainLaw::Decibel, -100 * i, 600 * i - 4800);
    engine.SetLoop(*voice, true, 0);
    engine.Play(*voice);
  }
  std::vector<int16_t> out(1024 * 2);
  for (auto _ : state) {
    for (size_t done = 0; done < 44100; done += 1024) engine.Render(out.data(), std::min<size_t>(1024, 44100 - done));
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_SixteenVoicesOneSecond)->Unit(benchmark::kMicrosecond);

// Fill of the wave mixer with 8 sources: two 100 ms buffers a round.
void BM_FillEightSources(benchmark::State& state) {
  TWavOut out(
      100, [] { return 0u; }, false);
  out.Open();
  const TSoundBytes bytes = Wav(Tone(44100 * 5, 2, 330), 2);
  for (int i = 0; i < 8; ++i) {
    TWavBuffer* source = out.AddSource(OpenWavDecoder(bytes));
    source->SetLoop(true, 0);
    source->SetSourceVolume(200);
    source->StartSource();
  }
  std::vector<int32_t> acc(4410 * 2 * 2);
  for (auto _ : state) {
    out.Fill();
    out.MixQueued(acc.data(), 4410 * 2);  // both buffers played
  }
}
BENCHMARK(BM_FillEightSources)->Unit(benchmark::kMicrosecond);

const TSoundBytes& SixtySecondOgg() {
  static const TSoundBytes bytes = [] {
    const std::vector<int16_t> samples = Tone(44100 * 60, 2, 523);
    std::vector<uint8_t> ogg = EncodeVorbis(samples.data(), 44100 * 60, 2, 44100);
    return std::make_shared<const std::vector<uint8_t>>(std::move(ogg));
  }();
  return bytes;
}

void BM_OggThroughMediaLayer(benchmark::State& state) {
  const TSoundBytes& bytes = SixtySecondOgg();
  std::vector<uint8_t> chunk(4096 * 4);
  for (auto _ : state) {
    std::unique_ptr<IAudioDecoder> decoder = ToVoiceFormat(OpenSoundDecoder(bytes));
    size_t frames = 0;
    while (size_t got = decoder->Read(chunk.data(), 4096)) frames += got;
    benchmark::DoNotOptimize(frames);
  }
}
BENCHMARK(BM_OggThroughMediaLayer)->Unit(benchmark::kMillisecond);

void BM_OggBareOvRead(benchmark::State& state) {
  const TSoundBytes& bytes = SixtySecondOgg();
  std::vector<uint8_t> out;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeVorbisBare(bytes, out));
}
BENCHMARK(BM_OggBareOvRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
