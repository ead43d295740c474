#pragma once
// The yardstick of the text benchmarks: iconv converting the same CP932 bytes
// to UTF-8, measured in the same run as what is compared with it.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

namespace orvo::bench {

inline void ConvertWithIconv(benchmark::State& state, std::string text) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  std::string out(text.size() * 3, '\0');
  for (auto _ : state) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = text.data();
    size_t in_left = text.size();
    char* output = out.data();
    size_t out_left = out.size();
    iconv(converter, &in, &in_left, &output, &out_left);
    benchmark::DoNotOptimize(out.data());
  }
  iconv_close(converter);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace orvo::bench
