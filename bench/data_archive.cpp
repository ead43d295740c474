// Mounting a large archive and streaming a 100 MiB entry raw, compressed and
// scrambled, each next to a plain read() of the same bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/files.h"
#include "data/archive.h"
#include "data/big_file_stream.h"
#include "data/file_manager.h"
#include "data/zlib_codec.h"

namespace orvo {
namespace {

constexpr size_t kEntrySize = 100u << 20;
constexpr size_t kChunk = 1u << 20;

std::string Folder() {
  static const std::string folder = PrivateTempFolder();
  return folder;
}

std::string Content(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 1;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = static_cast<char>((i & 0xFF) < 200 ? 'a' + (state >> 29) : state >> 24);
  }
  return bytes;
}

// One archive per storage type holding a 100 MiB entry, made once.
const std::string& ArchiveFor(TStorageType storage) {
  static std::string paths[4];
  std::string& path = paths[static_cast<int>(storage)];
  if (path.empty()) {
    static const std::string content = Content(kEntrySize);
    path = Folder() + "/big" + std::to_string(static_cast<int>(storage)) + ".dat";
    TVrFileCollection collection;
    collection.AddMemory("movie\\big.mpg").content->WriteBuffer(content.data(), content.size());
    TArchiveWriteOptions options;
    options.storage = storage;
    TKwBigFileStream out(path, TBigFileMode::Create);
    collection.Write(out, options);
  }
  return path;
}

const std::string& ManyEntries() {
  static std::string path;
  if (path.empty()) {
    path = Folder() + "/many.dat";
    TVrFileCollection collection;
    for (int i = 0; i < 10000; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "graphics\\chapter%02d\\picture%05d.dov", i % 37, i);
      collection.AddMemory(name).content->WriteBuffer(name, 16);
    }
    TKwBigFileStream out(path, TBigFileMode::Create);
    TArchiveWriteOptions options;
    options.storage = TStorageType::Raw;
    collection.Write(out, options);
  }
  return path;
}

void BM_MountTenThousandEntries(benchmark::State& state) {
  const std::string& path = ManyEntries();
  TFileManagerOptions options;
  options.media_patterns.clear();
  for (auto _ : state) {
    TVrFileManager files(options);
    files.AddArchive(path);
    benchmark::DoNotOptimize(files.FindEntry("graphics\\chapter05\\picture09995.dov"));
  }
}
BENCHMARK(BM_MountTenThousandEntries)->Unit(benchmark::kMillisecond);

// The baseline: read() of the archive file's bytes in 1 MiB chunks.
void BM_PlainRead(benchmark::State& state) {
  const std::string& path = ArchiveFor(TStorageType::Raw);
  std::vector<char> buffer(kChunk);
  for (auto _ : state) {
    int fd = ::open(path.c_str(), O_RDONLY);
    size_t total = 0;
    ssize_t got;
    while (total < kEntrySize && (got = ::read(fd, buffer.data(), buffer.size())) > 0)
      total += static_cast<size_t>(got);
    ::close(fd);
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

// Streams the entry through a range stream as a media decoder would.
void BM_RangeRead(benchmark::State& state) {
  const TStorageType storage = static_cast<TStorageType>(state.range(0));
  TVrFileCollection collection;
  collection.Open(ArchiveFor(storage));
  std::vector<char> buffer(kChunk);
  for (auto _ : state) {
    auto range = collection.OpenRange("movie\\big.mpg");
    size_t total = 0;
    size_t got;
    while ((got = range->Read(buffer.data(), buffer.size())) > 0) total += got;
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}
BENCHMARK(BM_RangeRead)->Arg(1)->Arg(2)->ArgName("storage")->Unit(benchmark::kMillisecond);

// Loads the whole entry: zlib's inflate bounds the compressed case.
void BM_LoadEntry(benchmark::State& state) {
  const TStorageType storage = static_cast<TStorageType>(state.range(0));
  TVrFileCollection collection;
  collection.Open(ArchiveFor(storage));
  for (auto _ : state) benchmark::DoNotOptimize(collection.ExtractBytes("movie\\big.mpg").size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}
BENCHMARK(BM_LoadEntry)->Arg(0)->Arg(1)->Arg(2)->ArgName("storage")->Unit(benchmark::kMillisecond);

// zlib alone on the same stored bytes, for comparison with the compressed load.
void BM_InflateOnly(benchmark::State& state) {
  TVrFileCollection collection;
  collection.Open(ArchiveFor(TStorageType::Compressed));
  std::vector<uint8_t> stored = collection.ReadStored(collection.At(0));
  for (auto _ : state) benchmark::DoNotOptimize(InflateBytes(AsChars(stored)).size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}
BENCHMARK(BM_InflateOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo

namespace orvo {
namespace {

// Opening a scrambled stream builds its block map (25,600 blocks here).
void BM_OpenScrambledRange(benchmark::State& state) {
  TVrFileCollection collection;
  collection.Open(ArchiveFor(TStorageType::Scrambled));
  for (auto _ : state) benchmark::DoNotOptimize(collection.OpenRange("movie\\big.mpg"));
}
BENCHMARK(BM_OpenScrambledRange)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvo
