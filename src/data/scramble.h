#pragma once
// Block scrambling of whole buffers: the blocks of the data are stored in the
// order of a seeded permutation behind an 8-byte header (block size, masked seed).
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/stream.h"

namespace orvo {

// The seed is stored xor-ed with this mask.
constexpr int32_t kScrambleSeedMask = 29129;
constexpr int64_t kScrambleHeaderSize = 8;

enum class TScrambleHeader { Without, With };

// Block size the archive writer uses for data of the given size.
int32_t ScrambleBlockSize(int64_t size);

// Number of blocks of size block in length bytes (the last one may be short).
int64_t ScrambleBlockCount(int64_t length, int32_t block);

// Output block i = input block P[i] of the forward permutation. A block size
// below 1 raises EFormatError.
std::vector<uint8_t> ScrambleBytes(std::string_view data, int32_t block, int32_t seed, TScrambleHeader header);
// Reverses ScrambleBytes with header; a damaged header raises EFormatError.
std::vector<uint8_t> DescrambleBytes(std::string_view stored);

// In-place forms over a whole memory stream; the position ends at 0.
void ScrambleBuffer(TMemoryStream& stream, int32_t block, int32_t seed, TScrambleHeader header);
void DescrambleBuffer(TMemoryStream& stream);

}  // namespace orvo
