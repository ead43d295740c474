#pragma once
// Operator codes of compiled expressions (stored in pages and saves).
#include <cstdint>
#include <string_view>

namespace orvo {

enum TOpeCode : uint8_t {
  ocNone = 0,
  ocTo = 1,
  ocPlus = 2,
  ocMinus = 3,
  ocMul = 4,
  ocDiv = 5,
  ocMod = 6,
  ocOr = 7,
  ocAnd = 8,
  ocXor = 9,
  ocDimTo = 10,
  ocFunc = 11,
  ocEqual = 12,
  ocBig = 13,
  ocSmall = 14,
  ocEBig = 15,
  ocESmall = 16,
  ocShiftL = 17,
  ocShiftR = 18,
  ocComboStr = 19,
  ocNEqual = 20,
};

constexpr int kLastOpeCode = ocNEqual;

// "ocTo" ... "ocNEqual"; empty for codes above 20.
std::string_view OpeCodeName(int code);
// The operator as written in expression text ("=", "+", "dim" ...); empty when it has none.
std::string_view OpeCodeSymbol(int code);

// Temporaries that the compiler names: "____%d", array elements "____d_%d",
// and the value of an expression without assignment.
constexpr std::string_view kTempPrefix = "____";
constexpr std::string_view kDimTempPrefix = "____d_";
constexpr std::string_view kArgTemp = "____arg";

inline bool IsTempName(std::string_view name) { return name.starts_with(kTempPrefix); }

}  // namespace orvo
