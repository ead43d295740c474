#include "data/scramble.h"

#include <algorithm>
#include <cstring>

#include "base/binary_io.h"
#include "base/error.h"
#include "data/random.h"

namespace orvo {

int32_t ScrambleBlockSize(int64_t size) {
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(size / 100, 256), 4096));
}

int64_t ScrambleBlockCount(int64_t length, int32_t block) {
  if (length <= 0 || block <= 0) return 0;
  return (length - 1) / block + 1;
}

namespace {

void CheckBlockSize(int64_t block) {
  // A block size of 0 would divide by zero; a negative one would walk backwards.
  if (block <= 0) throw EFormatError("Invalid scramble block size");
}

}  // namespace

std::vector<uint8_t> ScrambleBytes(std::string_view data, int32_t block, int32_t seed, TScrambleHeader header) {
  CheckBlockSize(block);
  const int64_t size = static_cast<int64_t>(data.size());
  const int64_t head = header == TScrambleHeader::With ? kScrambleHeaderSize : 0;
  std::vector<uint8_t> out(static_cast<size_t>(head + size));
  if (head) {
    StoreU32(out.data(), static_cast<uint32_t>(block));
    StoreU32(out.data() + 4, static_cast<uint32_t>(seed ^ kScrambleSeedMask));
  }
  TScrambleInts order(seed);
  order.Forward(0, ScrambleBlockCount(size, block) - 1);
  uint8_t* target = out.data() + head;
  for (int64_t i = 0; i < order.Count(); ++i) {
    int64_t from = order.Item(i) * block;
    int64_t take = std::min<int64_t>(block, size - from);
    std::memcpy(target, data.data() + from, static_cast<size_t>(take));
    target += take;
  }
  return out;
}

std::vector<uint8_t> DescrambleBytes(std::string_view stored) {
  if (static_cast<int64_t>(stored.size()) < kScrambleHeaderSize) throw EFormatError("Scrambled data too short");
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(stored.data());
  int32_t block = static_cast<int32_t>(LoadU32(bytes));
  int32_t seed = static_cast<int32_t>(LoadU32(bytes + 4)) ^ kScrambleSeedMask;
  CheckBlockSize(block);
  const int64_t size = static_cast<int64_t>(stored.size()) - kScrambleHeaderSize;
  const uint8_t* data = bytes + kScrambleHeaderSize;
  TScrambleInts inverse(seed);
  inverse.Inverse(0, ScrambleBlockCount(size, block) - 1);
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(size));
  for (int64_t i = 0; i < inverse.Count(); ++i) {
    int64_t from = inverse.Item(i) * block;
    int64_t take = std::min<int64_t>(block, size - from);
    out.insert(out.end(), data + from, data + from + take);
  }
  return out;
}

void ScrambleBuffer(TMemoryStream& stream, int32_t block, int32_t seed, TScrambleHeader header) {
  const auto& bytes = stream.Bytes();
  std::vector<uint8_t> out =
      ScrambleBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), block, seed, header);
  stream.Bytes() = std::move(out);
  stream.SetPosition(0);
}

void DescrambleBuffer(TMemoryStream& stream) {
  const auto& bytes = stream.Bytes();
  std::vector<uint8_t> out =
      DescrambleBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  stream.Bytes() = std::move(out);
  stream.SetPosition(0);
}

}  // namespace orvo
