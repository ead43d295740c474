#pragma once
// Small pieces that several function groups share.
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

class TCustomParam;

// Lines the way a string list takes text: a line ends at CR, LF or CR LF (or
// at a NUL byte, which ends the text); a final line break adds no empty line.
std::vector<std::string> SplitTextLines(std::string_view text);

// Gives array one dimension of the texts' count and the texts in order;
// with no text it becomes the single empty string.
void SetTextArray(TCustomParam& array, const std::vector<std::string>& texts);

// A path on disk (UTF-8, '/') as scripts see paths: CP932 with '\'
// separators. False when it has characters that CP932 lacks.
bool DiskPathToScript(std::string_view utf8_path, std::string& cp932_path);
// A script path (CP932, '\' or '/') as a path on disk; false when it does not convert.
bool ScriptPathToDisk(std::string_view cp932_path, std::string& utf8_path);

// True when name begins with prefix, ASCII letters compared without case.
bool HasPrefixNoCase(std::string_view name, std::string_view prefix);

}  // namespace orvo
