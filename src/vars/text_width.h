#pragma once
// Width conversion of CP932 text between single-byte characters (ASCII and
// half-width katakana) and their full-width forms.
#include <string>
#include <string_view>

namespace orvo {

std::string HanToZen(std::string_view text);
std::string ZenToHan(std::string_view text);

}  // namespace orvo
