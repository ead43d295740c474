#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "data/archive.h"
#include "data/big_file_stream.h"
#include "data/range_stream.h"
#include "data/scramble.h"
#include "data/zlib_codec.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Content(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>('0' + (state >> 27));
  }
  return bytes;
}

// Media decoders read range streams on their own threads while the main
// thread reads and seeks the same streams: every read must give the bytes of
// the entry at the position asked for.
TEST(RangeStreamThreads, RandomReadsMatchThePlainBytes) {
  const std::string dir = test::MakeTempDir("threads");
  const struct {
    std::string name;
    TStorageType storage;
    size_t size;
  } fixtures[] = {{"scrambled.bin", TStorageType::Scrambled, 300001},
               {"raw.bin", TStorageType::Raw, 100000},
               {"compressed.bin", TStorageType::Compressed, 200000},
               {"both.bin", TStorageType::CompressedScrambled, 250000}};
  std::vector<std::string> contents;
  for (const auto& fixture : fixtures) {
    TVrFileCollection collection;
    contents.push_back(Content(fixture.size, static_cast<uint32_t>(fixture.size)));
    collection.AddMemory(fixture.name).content->WriteBuffer(contents.back().data(), fixture.size);
    TArchiveWriteOptions options;
    options.storage = fixture.storage;
    TKwBigFileStream out(dir + "/" + fixture.name + ".dat", TBigFileMode::Create);
    collection.Write(out, options);
  }
  for (size_t e = 0; e < std::size(fixtures); ++e) {
    TVrFileCollection collection;
    collection.Open(dir + "/" + fixtures[e].name + ".dat");
    auto shared = collection.OpenRange(fixtures[e].name);
    auto* range = dynamic_cast<TRangeStream*>(shared.get());
    ASSERT_NE(range, nullptr);
    // What the range must show: plain bytes, or the zlib stream of compressed entries.
    std::string expected = contents[e];
    if (fixtures[e].storage == TStorageType::Compressed || fixtures[e].storage == TStorageType::CompressedScrambled) {
      std::vector<uint8_t> stored = collection.ReadStored(collection.At(0));
      std::vector<uint8_t> zlib =
          fixtures[e].storage == TStorageType::Compressed ? stored : DescrambleBytes(AsChars(stored));
      expected.assign(zlib.begin(), zlib.end());
      EXPECT_EQ(InflateBytes(expected), std::vector<uint8_t>(contents[e].begin(), contents[e].end()));
    }
    ASSERT_EQ(range->Size(), static_cast<int64_t>(expected.size()));

    auto worker = [&](uint32_t seed) {
      uint32_t state = seed;
      auto next = [&] { return state = state * 1664525u + 1013904223u; };
      std::vector<char> buffer(9000);
      for (int i = 0; i < 400; ++i) {
        int64_t position = next() % (expected.size() + 10);
        size_t count = next() % buffer.size();
        size_t got = range->ReadAt(position, buffer.data(), count);
        size_t available = position < static_cast<int64_t>(expected.size()) ? expected.size() - position : 0;
        ASSERT_EQ(got, std::min(count, available));
        ASSERT_EQ(std::string(buffer.data(), got), expected.substr(std::min<size_t>(position, expected.size()), got));
        // Plain seeks and reads from both threads interleave freely; they must stay in the window.
        range->Seek(static_cast<int64_t>(next() % 1000) - 500, TSeekOrigin::Current);
        size_t loose = range->Read(buffer.data(), 100);
        ASSERT_LE(loose, 100u);
      }
    };
    std::thread other(worker, 11u + static_cast<uint32_t>(e));
    worker(99u);
    other.join();
  }
}

}  // namespace
}  // namespace orvo
