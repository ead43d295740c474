#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace orvo::test {
namespace {

// The calculator as authors use it; skipped where orvokit is not built.
TEST(EvalToolTest, PrintsKindAndValuePerExpression) {
  std::string tool = BuildDir() + "/bin/orvokit";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << "orvokit not built";
  std::string output;
  int status = RunCommand(tool + " eval --var 'x:int=5' --var 'a[2]:str=q' '1 + 2 * 3' '\"a\" ++ IntToStr(7, 3)'" +
                              " 'Length(\"データ\")' 'JLength(\"データ\")' 'x = x * 2' 'x' 'ArrayToString(a, \",\")'",
                          &output);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(output, "int\t7\nstr\ta007\nint\t6\nint\t3\nnone\nint\t10\nstr\tq,q\n");
  status = RunCommand(tool + " eval '1 + 2' 'a = b = c'", &output);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(output, "int\t3\norvokit eval: 構文エラー\n");
}

}  // namespace
}  // namespace orvo::test
