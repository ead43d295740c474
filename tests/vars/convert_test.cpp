#include "vars/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvo {
namespace {

TEST(ConvertTest, RealToTextUsesTheGeneralFormat) {
  struct Case {
    long double value;
    const char* text;
  };
  const Case cases[] = {
      {1e20L, "1E20"},
      {1.5e-5L, "1.5E-5"},
      {0.0001L, "0.0001"},
      {-2.5L, "-2.5"},
      {123.456L, "123.456"},
      {100, "100"},
      {0, "0"},
      {-0.0L, "0"},
      {1e15L, "1E15"},
      {999999999999999.0L, "999999999999999"},
      {1.0L / 3, "0.333333333333333"},
      {2.0L / 3, "0.666666666666667"},
      {-1.25e-300L, "-1.25E-300"},
      {std::numeric_limits<long double>::infinity(), "INF"},
      {-std::numeric_limits<long double>::infinity(), "-INF"},
      {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(RealToText(c.value), c.text);
}

TEST(ConvertTest, IntegerSyntax) {
  struct Case {
    const char* text;
    bool converts;
    int32_t value;
  };
  const Case cases[] = {
      {"12", true, 12},
      {"  12", true, 12},
      {"+7", true, 7},
      {"-2147483648", true, INT32_MIN},
      {"2147483647", true, INT32_MAX},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"$ff", true, 255},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},
      {"$100000000", false, 0},
      {"12 ", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"1.0", false, 0},
      {"0x10", false, 0},
      {"\t1", false, 0},
  };
  for (const Case& c : cases) {
    int32_t value = 0;
    EXPECT_EQ(TryTextToInt(c.text, value), c.converts) << c.text;
    if (c.converts) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(ConvertTest, RealSyntax) {
  struct Case {
    const char* text;
    bool converts;
    long double value;
  };
  const Case cases[] = {
      {"1E20", true, 1e20L}, {" 1.5 ", true, 1.5L}, {".5", true, 0.5L}, {"1.", true, 1}, {"-2e-3", true, -0.002L},
      {"1e-5000", true, 0},  {"1e5000", false, 0},  {"1e", false, 0},   {".", false, 0}, {"inf", false, 0},
      {"nan", false, 0},     {"1,5", false, 0},     {"$10", false, 0},  {"", false, 0},
  };
  for (const Case& c : cases) {
    long double value = -1;
    EXPECT_EQ(TryTextToReal(c.text, value), c.converts) << c.text;
    if (c.converts) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(ConvertTest, RealsBecomeIntegersWithoutUndefinedBehaviour) {
  struct Case {
    long double value;
    int32_t expected;
  };
  const Case cases[] = {
      {2.9L, 2},
      {-2.9L, -2},
      {3e9L, static_cast<int32_t>(static_cast<uint32_t>(3000000000u))},  // the low 32 bits
      {1e30L, 0},
      {-1e30L, 0},
      {std::numeric_limits<long double>::quiet_NaN(), 0},
      {std::numeric_limits<long double>::infinity(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(RealToScriptInt(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(ConvertTest, TextAsFlag) {
  EXPECT_TRUE(TextToBoolLoose("TRUE"));
  EXPECT_FALSE(TextToBoolLoose("FALSE"));
  EXPECT_TRUE(TextToBoolLoose("2"));
  EXPECT_FALSE(TextToBoolLoose("abc"));
  EXPECT_FALSE(TextToBoolLoose("true"));
  EXPECT_FALSE(TextToBoolStrict("2"));
}

}  // namespace
}  // namespace orvo
