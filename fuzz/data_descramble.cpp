// Scrambled data from untrusted bytes: the whole-buffer descrambler and the
// scrambled range stream, which must agree on every byte they give.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "data/range_stream.h"
#include "data/scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Keep block maps small: a block size of 1 over megabytes is legal but slow.
  if (size > 65536) return 0;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<uint8_t> plain;
  try {
    plain = orvo::DescrambleBytes(bytes);
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  orvo::TMemoryStream source{bytes};
  auto range = orvo::TScrambleRangeStream::Attach(source, static_cast<int64_t>(size), 0);
  if (range->Size() != static_cast<int64_t>(plain.size())) std::abort();
  std::vector<uint8_t> streamed(plain.size() + 16);
  size_t got = 0;
  for (size_t step = 1 + size % 97; got < plain.size();) {
    size_t read = range->Read(streamed.data() + got, step);
    if (read == 0) break;
    got += read;
  }
  if (got != plain.size() || !std::equal(plain.begin(), plain.end(), streamed.begin())) std::abort();
  if (range->Read(streamed.data(), 16) != 0) std::abort();
  return 0;
}
