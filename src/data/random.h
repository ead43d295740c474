#pragma once
// The generators behind block scrambling and the directory keystreams. Every
// draw must match the archives that the authoring tool writes, so the
// arithmetic here is exact and owns its state (no process-wide generator).
#include <cstdint>
#include <vector>

namespace orvo {

// Order-four multiply-with-carry generator with a private state.
class TGetRandom {
 public:
  explicit TGetRandom(uint32_t seed = 0) { Seed(seed); }
  void Seed(uint32_t seed);
  // Next raw output word; the real output is this value times 2^-32.
  uint32_t NextWord();
  // lo + trunc(output * (hi - lo + 1)), computed exactly (as with 64-bit reals).
  int64_t Random(int64_t lo, int64_t hi);
  uint32_t SeedValue() const { return seed_; }

 private:
  uint32_t x_[4] = {};  // x_[0] is the newest word
  uint32_t carry_ = 0;
  uint32_t seed_ = 0;
};

// A list of integers from which items are removed by index in O(log n)
// (a counting tree), so that shuffling a quarter of a million blocks stays fast.
class TRemovalList {
 public:
  TRemovalList() = default;
  explicit TRemovalList(int64_t count) { Reset(count); }
  // The list becomes 0, 1, ..., count - 1.
  void Reset(int64_t count);
  int64_t Count() const { return remaining_; }
  // Removes and returns the item now at index (0 <= index < Count()).
  int64_t RemoveAt(int64_t index);

 private:
  std::vector<int32_t> tree_;  // Fenwick tree of presence counts
  int64_t size_ = 0;
  int64_t remaining_ = 0;
  int64_t top_bit_ = 0;
};

// The block permutation of a scrambled buffer.
class TScrambleInts {
 public:
  explicit TScrambleInts(int32_t seed) : seed_(seed) {}
  // permutation[i] = the i-th item drawn from lo..hi.
  void Forward(int64_t lo, int64_t hi);
  // permutation[item - lo] = the draw at which item came out.
  void Inverse(int64_t lo, int64_t hi);
  // permutation[i], or -1 when i is outside.
  int64_t Item(int64_t i) const;
  int64_t Count() const { return static_cast<int64_t>(permutation_.size()); }
  const std::vector<int32_t>& Items() const { return permutation_; }

 private:
  enum class TDirection { Forward, Inverse };
  void Build(int64_t lo, int64_t hi, TDirection direction);

  int32_t seed_;
  std::vector<int32_t> permutation_;
};

// Keystream of the archive directory, and a shuffler that draws from a list.
class TKwRandom {
 public:
  explicit TKwRandom(uint32_t seed) : seed_(seed) {}
  // state = state * 5 + seed (mod 2^32); returns the new state.
  uint32_t Next() {
    state_ = state_ * 5u + seed_;
    return state_;
  }
  // The list to draw from becomes 0 .. n - 1.
  void Shuffle(int64_t n);
  // Removes and returns the item at (state * 5 + seed) mod count; drawing
  // from an empty list raises EFormatError.
  int64_t Draw();
  int64_t Remaining() const { return list_.Count(); }

 private:
  uint32_t seed_;
  uint32_t state_ = 0;
  TRemovalList list_;
};

}  // namespace orvo
