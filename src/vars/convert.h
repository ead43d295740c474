#pragma once
// The text forms of script values and the conversions between kinds that
// every value object, the compiler and the system functions share.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvo {

// Decimal digits with a leading '-' when negative.
std::string IntToText(int32_t value);
// General format with 15 significant digits: fixed notation unless the
// decimal exponent is at least 15 or below -4 ("1E20", "1.5E-5"); trailing
// zeros and a trailing point dropped; "INF", "-INF" and "NAN" for the rest.
std::string RealToText(long double value);
// "TRUE" or "FALSE".
const std::string& BoolToText(bool value);

// Integer syntax of scripts: leading blanks, an optional sign, decimal digits
// or '$' and up to 8 hexadecimal digits (which wrap to 32 bits); nothing may
// follow. False when the text does not convert or leaves the 32-bit range.
bool TryTextToInt(std::string_view text, int32_t& value);
// Real syntax: blanks, sign, digits with an optional '.', an optional
// exponent, blanks. False when it does not convert or overflows.
bool TryTextToReal(std::string_view text, long double& value);
// The same, giving 0 when the text does not convert.
int32_t TextToInt(std::string_view text);
long double TextToReal(std::string_view text);

// Removes leading and trailing bytes with codes up to 32 (blanks and controls).
std::string TrimText(std::string_view text);

// Real to script integer, truncating toward zero. Values inside the 64-bit
// range keep their low 32 bits; NaN and values beyond give 0, as the FPU does
// with its invalid-operation trap masked. Never undefined behaviour.
int32_t RealToScriptInt(long double value);

// Flag forms of text: GetAsBool accepts "TRUE", "FALSE" or a non-zero integer;
// the indexed getter and the setters accept exactly "TRUE" only.
bool TextToBoolLoose(std::string_view text);
inline bool TextToBoolStrict(std::string_view text) { return text == "TRUE"; }

}  // namespace orvo
