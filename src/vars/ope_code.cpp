#include "vars/ope_code.h"

namespace orvo {

std::string_view OpeCodeName(int code) {
  static constexpr std::string_view kNames[] = {"ocNone",   "ocTo",       "ocPlus",  "ocMinus", "ocMul",    "ocDiv",
                                                "ocMod",    "ocOr",       "ocAnd",   "ocXor",   "ocDimTo",  "ocFunc",
                                                "ocEqual",  "ocBig",      "ocSmall", "ocEBig",  "ocESmall", "ocShiftL",
                                                "ocShiftR", "ocComboStr", "ocNEqual"};
  return (code >= 0 && code <= kLastOpeCode) ? kNames[code] : std::string_view();
}

std::string_view OpeCodeSymbol(int code) {
  static constexpr std::string_view kSymbols[] = {"", "=",  "+", "-", "*",  "/",  "%",  "|",  "&",  "^", "dim",
                                                  "", "==", ">", "<", ">=", "<=", "<<", ">>", "++", "<>"};
  return (code >= 0 && code <= kLastOpeCode) ? kSymbols[code] : std::string_view();
}

}  // namespace orvo
