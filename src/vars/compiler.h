#pragma once
// The expression compiler: turns expression text (CP932) into a flat list
// of three-address instructions on text operands, exactly as the authoring
// tool does, so that the bytes it writes match the tool's.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "vars/ope_code.h"

namespace orvo {

// One instruction as text: for ocFunc operand 0 is the function name.
struct TBuildOpeData {
  uint8_t op = ocNone;
  std::string destination;
  std::vector<std::string> operands;
};

class TBuildOrvoParser {
 public:
  // Compiles text (appending to the list) and merges the copies between
  // temporaries. Errors raise "構文エラー" or "配列の添え字が不正です".
  void Compile(std::string_view text);
  // Writes the stored form, classifying each operand text as integer, real,
  // flag, string or variable name and numbering the functions. Unknown
  // functions and wrong argument counts raise their messages.
  void SaveToStream(TBinaryWriter& writer) const;
  // Compile and SaveToStream into a byte string.
  static std::string CompileToBytes(std::string_view text);

  const std::vector<TBuildOpeData>& Instructions() const { return list_; }
  void Clear() { list_.clear(); }

 private:
  void CompileText(std::string text);
  std::string NewTemp();
  std::string NewDimTemp();
  // The operand for one function argument or array index.
  std::string OperandFor(std::string text);
  void Append(uint8_t op, std::string destination, std::vector<std::string> operands);
  void MergeTemporaries();

  std::vector<TBuildOpeData> list_;
  int32_t temp_counter_ = 0;
};

}  // namespace orvo
