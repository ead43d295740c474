#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "data/big_file_stream.h"
#include "data/buffered_stream.h"
#include "data/range_stream.h"
#include "data/scramble.h"
#include "support/test_support.h"

namespace orvo {
namespace {

std::string Pattern(size_t size, uint32_t seed = 1) {
  std::string bytes(size, '\0');
  uint32_t state = seed;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

std::string ReadAll(TStream& stream, size_t chunk = 7) {
  std::string out;
  std::vector<char> buffer(chunk);
  for (;;) {
    size_t got = stream.Read(buffer.data(), buffer.size());
    if (got == 0) return out;
    out.append(buffer.data(), got);
  }
}

TEST(SplitFile, PartsAreNamedSizedAndReadAcross) {
  const std::string dir = test::MakeTempDir("split");
  const std::string name = dir + "/game.dat";
  const std::string data = Pattern(2500);
  {
    TKwBigFileStream out(name, TBigFileMode::Create, 1000);
    out.WriteBuffer(data.data(), 600);
    out.WriteBuffer(data.data() + 600, data.size() - 600);
    EXPECT_EQ(out.PartCount(), 3);
  }
  const struct {
    std::string path;
    size_t size;
  } parts[] = {{name, 1000}, {dir + "/game.001", 1000}, {dir + "/game.002", 500}};
  for (const auto& part : parts) EXPECT_EQ(test::ReadFile(part.path).size(), part.size) << part.path;

  TKwBigFileStream in(name, TBigFileMode::Read, 1000);
  EXPECT_EQ(in.Size(), 2500);
  in.SetPosition(990);
  char across[20];
  in.ReadBuffer(across, sizeof across);
  EXPECT_EQ(std::string(across, sizeof across), data.substr(990, 20));
  EXPECT_EQ(in.Seek(5000, TSeekOrigin::Begin), 2500) << "positions beyond the end are lowered to the size";
  EXPECT_EQ(in.Read(across, 1), 0u);
  EXPECT_THROW(in.Write("x", 1), EWriteError);

  // Creating again deletes the old parts.
  { TKwBigFileStream again(name, TBigFileMode::Create, 1000); }
  EXPECT_FALSE(FileExists(dir + "/game.001"));
  TKwBigFileStream missing(dir + "/none.dat", TBigFileMode::Read);
  EXPECT_EQ(missing.Size(), 0);
  EXPECT_EQ(TKwBigFileStream::PartName("a.b/c", 7), "a.b/c.007");
}

TEST(ReadAhead, GivesBackWhatItDidNotHandOut) {
  const std::string data = Pattern(300000);
  TMemoryStream source{std::string_view(data)};
  source.SetPosition(10);
  {
    TKwBuffBigStream buffered(source);
    char small[5];
    buffered.ReadBuffer(small, sizeof small);
    EXPECT_EQ(std::string(small, 5), data.substr(10, 5));
    EXPECT_EQ(buffered.Position(), 15);
    std::string big(200000, '\0');
    buffered.ReadBuffer(big.data(), big.size());
    EXPECT_EQ(big, data.substr(15, 200000));
    buffered.ReadBuffer(small, 3);
  }
  EXPECT_EQ(source.Position(), 200018);
  TKwBuffBigStream tail(source);
  EXPECT_EQ(ReadAll(tail, 4096), data.substr(200018));
}

TEST(RangeStream, StaysInsideItsWindow) {
  const std::string data = Pattern(100);
  TMemoryStream source{std::string_view(data)};
  auto range = TRangeStream::Attach(source, 30, 20);
  const struct {
    int64_t offset;
    TSeekOrigin origin;
    int64_t expected;
  } seeks[] = {{-5, TSeekOrigin::Begin, 0},   {5, TSeekOrigin::End, 30},       {-10, TSeekOrigin::End, 20},
               {4, TSeekOrigin::Current, 24}, {-100, TSeekOrigin::Current, 0}, {INT64_MAX, TSeekOrigin::End, 30}};
  for (const auto& seek : seeks) EXPECT_EQ(range->Seek(seek.offset, seek.origin), seek.expected) << seek.offset;
  range->SetPosition(25);
  EXPECT_EQ(ReadAll(*range), data.substr(45, 5));
  EXPECT_THROW(range->Write("x", 1), EWriteError);

  EXPECT_EQ(TRangeStream::Attach(source, 0, 20)->Size(), 0) << "an empty entry is an empty window";
  EXPECT_EQ(TRangeStream::Attach(source, kRangeToEnd, 20)->Size(), 80);
  EXPECT_EQ(TRangeStream::Attach(source, 500, 90)->Size(), 10) << "cut at the end of the source";
}

TEST(Scramble, BuffersRoundTrip) {
  for (int32_t block : {1, 7, 256}) {
    for (size_t size : {0, 1, 6, 7, 8, 255, 256, 257, 1795}) {
      const std::string data = Pattern(size, static_cast<uint32_t>(size + 3));
      TMemoryStream stream{std::string_view(data)};
      ScrambleBuffer(stream, block, 1234 + block, TScrambleHeader::With);
      EXPECT_EQ(stream.Size(), static_cast<int64_t>(size) + 8);
      if (size > static_cast<size_t>(block) * 3) {
        EXPECT_NE(std::string(stream.Bytes().begin() + 8, stream.Bytes().end()), data);
      }
      DescrambleBuffer(stream);
      EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), data) << block << " " << size;
    }
  }
  EXPECT_EQ(ScrambleBytes("abc", 2, 1, TScrambleHeader::Without).size(), 3u);
}

TEST(Scramble, DamagedHeadersAreRefused) {
  auto header = [](int32_t block, size_t data_size) {
    std::string bytes(8 + data_size, 'x');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(static_cast<uint32_t>(block) >> (8 * i));
    return bytes;
  };
  const std::string cases[] = {header(0, 10), header(-4096, 10), std::string("\x10\0\0", 3)};
  for (const std::string& stored : cases) {
    EXPECT_THROW(DescrambleBytes(stored), EFormatError);
    TMemoryStream source{std::string_view(stored)};
    EXPECT_THROW(TScrambleRangeStream::Attach(source, static_cast<int64_t>(stored.size()), 0), EFormatError);
  }
  EXPECT_THROW(ScrambleBytes("abc", 0, 1, TScrambleHeader::With), EFormatError);
}

TEST(ScrambleRangeStream, ReadsThePlainBytesAndStopsAtTheEnd) {
  for (size_t size : {0, 1, 255, 256, 1000, 4099}) {
    const std::string data = Pattern(size, 9);
    std::vector<uint8_t> stored = ScrambleBytes(data, 256, 777, TScrambleHeader::With);
    std::string file = std::string(13, '#') + std::string(stored.begin(), stored.end()) + "tail";
    TMemoryStream source{std::string_view(file)};
    auto range = TScrambleRangeStream::Attach(source, static_cast<int64_t>(stored.size()), 13);
    EXPECT_EQ(range->Size(), static_cast<int64_t>(size));
    EXPECT_EQ(ReadAll(*range, 100), data) << size;
    if (size >= 3) {
      range->Seek(-3, TSeekOrigin::End);
      char buffer[10];
      EXPECT_EQ(range->Read(buffer, sizeof buffer), 3u) << "a read at the end of a short last block ends";
      EXPECT_EQ(std::string(buffer, 3), data.substr(size - 3));
    }
  }
}

}  // namespace
}  // namespace orvo
