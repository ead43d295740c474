#pragma once
// Script names of the object properties ("PR_NAME" ... "PR_PADDINGRIGHT").
// Their numbers are stored in pages (property masks and GetProp/SetProp
// operands), so the numbering is part of the page format.
#include <string>
#include <string_view>

namespace orvo {

constexpr int kPropertyCount = 173;

// "PR_..." for 0..172; empty for other numbers.
std::string_view PropertyName(int number);
// The number of a property name (ASCII case ignored), or -1. "PR_<digits>"
// names any number 0..175, so that masks with unused bits can be written.
int FindProperty(std::string_view name);

}  // namespace orvo
