#pragma once
// Case mapping and comparison "by the system locale" for CP932 text: ASCII
// letters and the double-byte Latin, Greek and Cyrillic letters change case;
// trail bytes and every other character stay as they are.
#include <string>
#include <string_view>

namespace orvo {

std::string LocaleLower(std::string_view text);
std::string LocaleUpper(std::string_view text);

// Locale-style ordering: letters compare without case first, and only equal
// texts fall back to case (lower before upper), then to bytes. With
// ignore_case the case step is skipped. Negative, zero or positive; zero
// with case only for identical texts, so sorting with it is a total order.
int LocaleCompare(std::string_view a, std::string_view b, bool ignore_case);

}  // namespace orvo
