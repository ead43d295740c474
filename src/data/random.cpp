#include "data/random.h"

#include "base/error.h"

namespace orvo {

void TGetRandom::Seed(uint32_t seed) {
  seed_ = seed;
  uint32_t s = seed == 0 ? 0xFFFFFFFFu : seed;
  uint32_t words[5];
  for (uint32_t& word : words) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    word = s;
  }
  for (int i = 0; i < 4; ++i) x_[i] = words[i];
  carry_ = words[4];
  for (int i = 0; i < 19; ++i) NextWord();
}

uint32_t TGetRandom::NextWord() {
  uint64_t sum = 2111111111ull * x_[3] + 1492ull * x_[2] + 1776ull * x_[1] + 5115ull * x_[0] + carry_;
  x_[3] = x_[2];
  x_[2] = x_[1];
  x_[1] = x_[0];
  x_[0] = static_cast<uint32_t>(sum);
  carry_ = static_cast<uint32_t>(sum >> 32);
  return x_[0];
}

int64_t TGetRandom::Random(int64_t lo, int64_t hi) {
  // output * span with output = word / 2^32 is exact in 64-bit reals, so the
  // truncated product is the integer part of word * span / 2^32.
  __int128 span = static_cast<__int128>(hi) - lo + 1;
  __int128 word = NextWord();
  __int128 magnitude = ((span < 0 ? -span : span) * word) >> 32;
  return static_cast<int64_t>(lo + (span < 0 ? -magnitude : magnitude));
}

void TRemovalList::Reset(int64_t count) {
  if (count < 0) count = 0;
  size_ = count;
  remaining_ = count;
  tree_.assign(static_cast<size_t>(count) + 1, 0);
  for (int64_t i = 1; i <= count; ++i) {
    tree_[static_cast<size_t>(i)] += 1;
    int64_t parent = i + (i & -i);
    if (parent <= count) tree_[static_cast<size_t>(parent)] += tree_[static_cast<size_t>(i)];
  }
  top_bit_ = 1;
  while (top_bit_ * 2 <= count) top_bit_ *= 2;
}

int64_t TRemovalList::RemoveAt(int64_t index) {
  if (index < 0 || index >= remaining_) throw EFormatError("Random list index out of range");
  // Binary lifting: the largest position whose prefix count is <= index.
  int64_t position = 0;
  int64_t rest = index;
  for (int64_t step = top_bit_; step > 0; step /= 2) {
    int64_t next = position + step;
    if (next <= size_ && tree_[static_cast<size_t>(next)] <= rest) {
      position = next;
      rest -= tree_[static_cast<size_t>(next)];
    }
  }
  for (int64_t i = position + 1; i <= size_; i += i & -i) tree_[static_cast<size_t>(i)] -= 1;
  --remaining_;
  return position;  // zero-based item
}

void TScrambleInts::Build(int64_t lo, int64_t hi, TDirection direction) {
  permutation_.clear();
  if (hi < lo) return;
  int64_t count = hi - lo + 1;
  TGetRandom generator(static_cast<uint32_t>(seed_));
  TRemovalList list(count);
  permutation_.assign(static_cast<size_t>(count), 0);
  for (int64_t i = 0; i < count; ++i) {
    int64_t left = list.Count();
    // The last item is never drawn while another remains.
    int64_t k = left >= 2 ? generator.Random(0, left - 2) : 0;
    int64_t item = list.RemoveAt(k);
    if (direction == TDirection::Forward) {
      permutation_[static_cast<size_t>(i)] = static_cast<int32_t>(item + lo);
    } else {
      permutation_[static_cast<size_t>(item)] = static_cast<int32_t>(i);
    }
  }
}

void TScrambleInts::Forward(int64_t lo, int64_t hi) { Build(lo, hi, TDirection::Forward); }
void TScrambleInts::Inverse(int64_t lo, int64_t hi) { Build(lo, hi, TDirection::Inverse); }

int64_t TScrambleInts::Item(int64_t i) const {
  if (i < 0 || i >= Count()) return -1;
  return permutation_[static_cast<size_t>(i)];
}

void TKwRandom::Shuffle(int64_t n) { list_.Reset(n); }

int64_t TKwRandom::Draw() {
  if (list_.Count() == 0) throw EFormatError("Draw from an empty list");
  Next();
  return list_.RemoveAt(static_cast<int64_t>(state_ % static_cast<uint64_t>(list_.Count())));
}

}  // namespace orvo
