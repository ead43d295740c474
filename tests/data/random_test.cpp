#include "data/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "base/error.h"

namespace orvo {
namespace {

// Reference values from an independent implementation of the generator.
TEST(GetRandom, MatchesReferenceDraws) {
  struct Case {
    uint32_t seed;
    std::vector<uint32_t> words;
  };
  const Case cases[] = {
      {1, {806909100u, 404163808u, 448132079u}},
      {0, {3269468041u, 3008959775u, 841307454u}},  // seed 0 acts as all bits set
      {0xFFFFFFFFu, {3269468041u, 3008959775u, 841307454u}},
      {123456789, {438623355u, 724256503u, 3613781885u}},
  };
  for (const Case& c : cases) {
    TGetRandom generator(c.seed);
    for (uint32_t expected : c.words) EXPECT_EQ(generator.NextWord(), expected) << c.seed;
  }
  TGetRandom ranged(42);
  std::vector<int64_t> draws;
  for (int i = 0; i < 6; ++i) draws.push_back(ranged.Random(10, 20));
  EXPECT_EQ(draws, (std::vector<int64_t>{15, 12, 16, 15, 18, 10}));
}

// The draws of the literal algorithm: erase from a vector.
std::vector<int32_t> LiteralForward(int32_t seed, int64_t count) {
  TGetRandom generator(static_cast<uint32_t>(seed));
  std::vector<int32_t> list(static_cast<size_t>(count));
  std::iota(list.begin(), list.end(), 0);
  std::vector<int32_t> out;
  while (!list.empty()) {
    int64_t k = list.size() >= 2 ? generator.Random(0, static_cast<int64_t>(list.size()) - 2) : 0;
    out.push_back(list[static_cast<size_t>(k)]);
    list.erase(list.begin() + k);
  }
  return out;
}

TEST(ScrambleInts, FastPermutationEqualsTheLiteralDraws) {
  struct Case {
    int32_t seed;
    int64_t count;
  };
  const Case cases[] = {{12345, 10}, {7, 16}, {-3, 1}, {0, 2}, {99, 1000}, {2147483646, 4097}};
  for (const Case& c : cases) {
    TScrambleInts forward(c.seed);
    forward.Forward(0, c.count - 1);
    EXPECT_EQ(forward.Items(), LiteralForward(c.seed, c.count)) << c.seed << " " << c.count;
    EXPECT_EQ(forward.Item(c.count - 1), c.count - 1) << "the last block stays last";

    TScrambleInts inverse(c.seed);
    inverse.Inverse(0, c.count - 1);
    for (int64_t i = 0; i < c.count; ++i) EXPECT_EQ(inverse.Item(forward.Item(i)), i);
  }
  TScrambleInts reference(12345);
  reference.Forward(0, 9);
  EXPECT_EQ(reference.Items(), (std::vector<int32_t>{2, 4, 7, 6, 0, 1, 8, 5, 3, 9}));
  TScrambleInts single(5);
  single.Forward(0, 0);
  EXPECT_EQ(single.Items(), std::vector<int32_t>{0});
  single.Forward(0, 1);
  EXPECT_EQ(single.Items(), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(single.Item(2), -1);
  EXPECT_EQ(single.Item(-1), -1);
}

TEST(KwRandom, KeystreamAndDraws) {
  TKwRandom key(3);
  EXPECT_EQ(key.Next(), 3u);
  EXPECT_EQ(key.Next(), 18u);
  EXPECT_EQ(key.Next(), 93u);

  TKwRandom big(0x80000001u);
  big.Next();
  EXPECT_EQ(big.Next(), 0x80000001u * 6u);  // wraps modulo 2^32

  TKwRandom shuffler(1403522817u);
  shuffler.Shuffle(50);
  std::vector<int64_t> drawn;
  while (shuffler.Remaining() > 0) drawn.push_back(shuffler.Draw());
  std::sort(drawn.begin(), drawn.end());
  std::vector<int64_t> all(50);
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(drawn, all);
  EXPECT_THROW(shuffler.Draw(), EFormatError);
}

}  // namespace
}  // namespace orvo
