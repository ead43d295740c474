#include <gtest/gtest.h>

#include <vector>

#include "vars_fixture.h"

namespace orvo::test {
namespace {

struct FunctionCase {
  std::vector<const char*> setup;  // statements run first
  const char* expression;
  const char* result;  // "kind\tvalue" or "none"
};

// Every case runs on a fresh store with the variables it may need.
std::string RunCase(const FunctionCase& c) {
  THeadlessSystemHost host;
  TProcessRandom random;
  TExprEngine engine(host, random);
  const std::pair<const char*, int> variables[] = {{"a", PT_INT},   {"b", PT_INT},    {"y", PT_INT}, {"m", PT_INT},
                                                   {"d", PT_INT},   {"nums", PT_INT}, {"s", PT_STR}, {"arr", PT_STR},
                                                   {"f", PT_FLOAT}, {"g", PT_BOOL}};
  for (const auto& [name, kind] : variables) engine.Store().CreateVariable(name, kind, TVarScope::Global);
  for (const char* statement : c.setup) {
    if (!RunStatement(engine, Sjis(statement))) return std::string("setup failed: ") + statement;
  }
  return DescribeValue(EvaluateText(engine, Sjis(c.expression)).get());
}

void Check(const std::vector<FunctionCase>& cases) {
  for (const FunctionCase& c : cases) EXPECT_EQ(RunCase(c), c.result) << c.expression;
}

TEST(FunctionsTest, Strings) {
  Check({
      {{}, "IntToStr(-5, 3)", "str\t-005"},
      {{}, "IntToStr(42)", "str\t42"},
      {{}, "IntToStr(7, \"\")", "str\t7"},
      {{}, "IntToStr(7, 2.5)", "none"},
      {{}, "IntToHex(255, 4)", "str\t00FF"},
      {{}, "IntToHex(-1, 2)", "str\tFFFFFFFF"},
      {{}, "Copy(\"abcd\", 2)", "str\tbcd"},
      {{}, "Copy(\"abcd\", 0, 2)", "str\tab"},
      {{}, "Copy(\"abcd\", 5)", "str\t"},
      {{}, "Copy(\"abcd\", 2, -1)", "str\t"},
      {{}, "Copy(\"abcd\", 3, 99)", "str\tcd"},
      {{}, "JCopy(\"あいうえ\", 2, 2)", "str\tいう"},
      {{}, "Length(\"漢字a\")", "int\t5"},
      {{}, "JLength(\"漢字a\")", "int\t3"},
      {{"s = \"abcdef\"", "Delete(s, 2, 3)"}, "s", "str\taef"},
      {{"s = \"abcdef\"", "Delete(s, 0, 3)"}, "s", "str\tabcdef"},
      {{"s = \"abcdef\"", "Delete(s, 4)"}, "s", "str\tabc"},
      {{"s = \"あいう\"", "JDelete(s, 0, 1)"}, "s", "str\tいう"},
      {{"s = \"abc\"", "Insert(\"XY\", s, 2)"}, "s", "str\taXYbc"},
      {{"s = \"abc\"", "Insert(\"XY\", s, 9)"}, "s", "str\tabcXY"},
      {{"s = \"あい\"", "JInsert(\"X\", s, 2)"}, "s", "str\tあXい"},
      {{}, "CompareStr(\"a\", \"b\")", "int\t-1"},
      {{}, "CompareStr(\"abc\", \"ab\")", "int\t1"},
      {{}, "CompareText(\"ABC\", \"abc\")", "int\t0"},
      {{}, "Pos(\"cd\", \"abcd\")", "int\t3"},
      {{}, "Pos(\"\", \"abcd\")", "int\t0"},
      // "ソ" ends in the byte of '\': Pos finds it, JPos only finds a real backslash.
      {{}, R"(Pos("\\", "ソソ\\"))", "int\t2"},
      {{}, R"(JPos("\\", "ソソ\\"))", "int\t3"},
      {{}, "Trim(Chr(9) ++ \" ab \")", "str\tab"},
      {{}, "JTrim(\"　 ab　\")", "str\tab"},
      {{}, "FixStr(\"ab\" ++ Chr(130))", "str\tab"},
      {{}, "FixStr(\"ソ\")", "str\tソ"},
      {{}, "LowerCase(\"ABCＡＢ\")", "str\tabcａｂ"},
      {{}, "UpperCase(\"abωб\")", "str\tABΩБ"},
      {{}, "StringOfChar(\"ab\", 3)", "str\tababab"},
      {{}, "StringOfChar(\"ab\", -1)", "str\t"},
      {{}, "StringReplace(\"aXbXc\", \"X\", \"-\")", "str\ta-bXc"},
      {{}, "StringReplace(\"aXbXc\", \"X\", \"-\", TRUE)", "str\ta-b-c"},
      {{}, "StringReplace(\"aXbx\", \"x\", \"_\", TRUE, TRUE)", "str\ta_b_"},
      {{}, R"(StringReplace("ソ\\", "\\", "/", TRUE))", "str\tソ/"},
      {{}, "HanToZen(\"Ab1 ｶﾞﾊﾟｳﾞ\")", "str\tＡｂ１　ガパウ゛"},
      {{}, "ZenToHan(\"Ａｂ１　ガパヴ“”あ\")", "str\tAb1 ｶﾞﾊﾟｳﾞ\"\"あ"},
      {{}, "AddDelimiter(\",\", \"\")", "str\t"},
      {{}, "AddDelimiter(\",\", \"a\")", "str\ta,"},
      {{}, "StrToIntDef(\"$10\", 5)", "int\t16"},
      {{}, "StrToIntDef(\"x\", 5)", "int\t5"},
      {{}, "StrToFloatDef(\"1.5\", 0)", "float\t1.5"},
      {{}, "StrToFloatDef(\"x\", 2)", "float\t2"},
      {{}, "Chr(321)", "str\tA"},
      {{}, "Ord(\"A\") + Ord(\"\")", "int\t65"},
  });
}

TEST(FunctionsTest, ArithmeticAndDates) {
  Check({
      {{}, "Not(TRUE)", "bool\tFALSE"},
      {{}, "Random(1)", "int\t0"},
      {{}, "Int(-2.9)", "int\t-2"},
      {{}, "Int(1E30)", "int\t0"},
      {{}, "Float(3)", "float\t3"},
      {{}, "Cos(0)", "float\t1"},
      {{}, "ArcTan2(1, 1) * 4", "float\t3.14159265358979"},
      {{}, "Hypot(3, 4)", "float\t5"},
      {{}, "Abs(-5)", "int\t5"},
      {{}, "Abs(-2147483648)", "int\t-2147483648"},
      {{}, "Fabs(-1.5)", "float\t1.5"},
      {{}, "Min(3, -2) * 10 + Max(3, -2)", "int\t-17"},
      {{}, "Fmin(1.5, 2) + Fmax(1.5, 2)", "float\t3.5"},
      {{}, "EncodeDate(2000, 1, 1)", "float\t36526"},
      {{}, "EncodeDate(2000, 2, 30)", "none"},
      {{}, "EncodeDate(1900, 2, 29)", "none"},
      {{}, "EncodeTime(12, 0, 0)", "float\t0.5"},
      {{}, "EncodeTime(24, 0, 0)", "none"},
      {{"DecodeDate(36526.75, y, m, d)"}, "y * 10000 + m * 100 + d", "int\t20000101"},
      {{"DecodeTime(0.75, y, m, d)"}, "y * 10000 + m * 100 + d", "int\t180000"},
      {{}, "GetMonth(36585) * 100 + GetDay(36585)", "int\t229"},
      {{}, "GetYear(-693594)", "int\t0"},
      {{}, "GetYear(1E30)", "none"},
      {{},
       "GetHour(EncodeTime(23, 59, 59)) ++ GetMin(EncodeTime(1, 2, 3)) ++ GetSec(EncodeTime(1, 2, 3))",
       "str\t2323"},
      {{}, "GetWeek(36526)", "int\t7"},
      {{}, "GetWeekStr(36526)", "str\tSaturday"},
      {{}, "GetWeekJStr(36527)", "str\t日"},
  });
}

TEST(FunctionsTest, Variables) {
  Check({
      {{}, "VarExists(\"A\")", "bool\tTRUE"},
      {{}, "VarExists(\"zz\")", "bool\tFALSE"},
      {{"a = 5", "AssignTemp(\"a\")"}, "@Temp + 1", "int\t6"},
      {{"AssignTemp(\"s\")", "@Temp = \"via temp\""}, "s", "str\tvia temp"},
      {{}, "AssignTemp(\"@Temp\")", "bool\tFALSE"},
      {{"AssignTemp(\"@TextDelay\")"}, "@Temp", "none"},
      {{}, "AssignTemp(\"zz\")", "bool\tFALSE"},
      {{}, "GetVarType(1.5) ++ GetVarType(s) ++ GetVarType(a) ++ GetVarType(g)", "str\t2413"},
      {{"Calc(\"a = 3\")"}, "a", "int\t3"},
      {{}, "Calc(\"a = \")", "bool\tFALSE"},
      {{}, "Calc(\" \")", "bool\tFALSE"},
      {{"a = 1", "PushVar(\"a\", \"s\")", "a = 2", "PopVar()"}, "a", "int\t1"},
      {{}, "DeleteStack(0)", "bool\tFALSE"},
  });
}

TEST(FunctionsTest, Arrays) {
  Check({
      {{"SetArray(nums, 3, 4)"},
       "GetArraySize(nums, 0) ++ \",\" ++ GetArraySize(nums, 1) ++ \",\" ++ GetArraySize(nums)",
       "str\t4,3,12"},
      {{"SetArray(nums, 3)", "FillMem(nums, 7)"}, "ArrayToString(nums, \",\")", "str\t7,7,7"},
      {{"SetArray(arr, 2)", "FillMem(arr, 1.5)"}, "ArrayToString(arr, \",\")", "str\t1.5,1.5"},
      {{"SetArray(nums, 2)", "nums[1] = 4", "CopyMem(b, nums)"}, "ArrayToString(b, \",\")", "str\t0,4"},
      {{"SetArray(arr, 2)"}, "Length(ArrayToString(arr))", "int\t2"},
      {{"StringToArray(\"a,,b,\", arr, \",\")"}, "ArrayToString(arr, \"|\") ++ GetArraySize(arr)", "str\ta||b3"},
      {{"StringToArray(\"a b,c\", arr, \", \")"}, "ArrayToString(arr, \"|\")", "str\ta|b|c"},
      {{"StringToArray(\"x\" ++ Chr(13) ++ Chr(10) ++ \"y\" ++ Chr(10) ++ \"z\" ++ Chr(13), arr)"},
       "ArrayToString(arr, \"|\")",
       "str\tx|y|z"},
      {{"StringToArray(\"\", arr)"}, "GetArraySize(arr) ++ arr", "str\t1"},
      {{R"(StringToArray("ソ\\x", arr, "\\"))"}, "ArrayToString(arr, \"|\")", "str\tソ|x"},
      {{"StringToArray(\"a,b\", arr, \",\")"}, "IndexOfStr(arr, \"B\") ++ IndexOfStr(arr, \"B\", FALSE)", "str\t-11"},
      {{"StringToArray(\"b,A,a,B\", arr, \",\")", "SortStr(arr)"}, "ArrayToString(arr, \"|\")", "str\ta|A|b|B"},
      {{"StringToArray(\"b,A,a,B\", arr, \",\")", "SortStr(arr, TRUE)"}, "ArrayToString(arr, \"|\")", "str\tB|b|A|a"},
      {{"StringToArray(\"10,9,100\", arr, \",\")", "SortStr(arr)"}, "ArrayToString(arr, \"|\")", "str\t10|100|9"},
      {{"StringToArray(\"10,9,100\", arr, \",\")", "SortStr(arr, FALSE, TRUE)"},
       "ArrayToString(arr, \"|\")",
       "str\t9|10|100"},
      // Calls run from the rightmost, so each call under test runs in the setup.
      {{"StringToArray(\"1,2\", nums, \",\")", "a = AddArray(nums, nums)"},
       "a ++ \":\" ++ ArrayToString(nums, \",\")",
       "str\t4:1,2,1,2"},
      {{"SetArray(nums, 2, 2)"}, "AddArray(nums, 5)", "int\t4"},
      {{"StringToArray(\"1,2,3\", nums, \",\")", "StringToArray(\"7,8\", arr, \",\")", "a = InsertArray(nums, 9, arr)"},
       "a ++ \":\" ++ ArrayToString(nums, \",\")",
       "str\t5:1,2,3,7,8"},
      {{"StringToArray(\"1,2,3\", nums, \",\")", "a = InsertArray(nums, 1, 9)"},
       "a ++ \":\" ++ ArrayToString(nums, \",\")",
       "str\t4:1,9,2,3"},
      {{"StringToArray(\"1,2,3,4,5\", nums, \",\")", "a = DeleteArray(nums, 3, 10)"},
       "a ++ \":\" ++ ArrayToString(nums, \",\")",
       "str\t3:1,2,3"},
      {{"StringToArray(\"1,2,3,4,5\", nums, \",\")", "a = DeleteArray(nums, -4, 1)"},
       "a ++ \":\" ++ ArrayToString(nums, \",\")",
       "str\t4:2,3,4,5"},
      {{"StringToArray(\"1,2\", nums, \",\")", "DeleteArray(nums, 0, 2)"}, "GetArraySize(nums)", "int\t2"},
      {{"StringToArray(\"1.5,x\", arr, \",\")", "g = CopyArray(f, arr)"},
       "g ++ \":\" ++ ArrayToString(f, \",\")",
       "str\tTRUE:1.5,0"},
      {{"StringToArray(\"3,1,3,2,1\", nums, \",\")", "a = UniqueArray(nums)"},
       "a ++ \":\" ++ ArrayToString(nums, \",\")",
       "str\t3:3,1,2"},
      {{"StringToArray(\"a,,b\", arr, \",\")", "a = TrimArray(arr)"},
       "a ++ \":\" ++ ArrayToString(arr, \"|\")",
       "str\t2:a|b"},
      {{"StringToArray(\"3,1,3\", nums, \",\")"}, "TrimArray(nums, 3)", "int\t1"},
      {{}, "GetArraySize(5)", "none"},
  });
}

TEST(FunctionsTest, PathStrings) {
  Check({
      {{}, R"(ExtractFilePath("a\\b\\c.txt"))", "str\ta\\b\\"},
      {{}, R"(ExtractFileName("a\\b\\c.txt"))", "str\tc.txt"},
      {{}, R"(ExtractFileName("d:x"))", "str\tx"},
      {{}, R"(ExtractFileExt("a\\b\\c.txt"))", "str\t.txt"},
      {{}, R"(ExtractFileExt("a.b\\c"))", "str\t"},
      {{}, R"(ExtractFilePath("ソ\\x"))", "str\tソ\\"},
      {{}, R"(ExtractFileName("表ソ"))", "str\t表ソ"},
      {{}, R"(IsPathDelimiter("a\\", 2))", "bool\tTRUE"},
      {{}, R"(IsPathDelimiter("ソ", 2))", "bool\tFALSE"},
      {{}, R"(AddBackSlash("ソ"))", "str\tソ\\"},
      {{}, R"(AddBackSlash("a\\"))", "str\ta\\"},
      {{}, R"(ChangeFileExt("a\\b.txt", ".dov"))", "str\ta\\b.dov"},
      {{}, R"(ChangeFileExt("a.d\\b", ".x"))", "str\ta.d\\b.x"},
      {{}, R"(IsDelimiter(",;", "a;b", 2))", "bool\tTRUE"},
      {{}, R"(IsDelimiter("\\", "ソ", 2))", "bool\tFALSE"},
  });
}

TEST(FunctionsTest, FunctionsOfLaterSubsystemsGiveNeutralValues) {
  Check({
      {{}, "Exists(\"obj\")", "bool\tFALSE"},
      {{}, "GetSaveCaption(1)", "str\t"},
      {{}, "DBRecordCount()", "int\t0"},
      {{}, "GetProp(\"obj\", 3)", "int\t0"},
      {{}, "GetProp(\"obj\", 200)", "none"},
  });
}

TEST(FunctionsTest, DeleteStackRemovesAFrameAndItsVariables) {
  THeadlessSystemHost host;
  TProcessRandom random;
  TExprEngine engine(host, random);
  host.call_stack_count = 3;
  TParamCollection& store = engine.Store();
  store.SetCurrentDepth(1);
  store.CreateVariable("one", PT_INT, TVarScope::AutoFree);
  store.SetCurrentDepth(2);
  store.CreateVariable("two", PT_INT, TVarScope::AutoFree);
  store.SetCurrentDepth(3);
  std::unique_ptr<TCustomParam> result = EvaluateText(engine, "DeleteStack(1)");
  ASSERT_NE(result, nullptr);
  EXPECT_TRUE(result->GetAsBool());
  EXPECT_EQ(host.removed_frames, std::vector<int32_t>{1});
  EXPECT_EQ(store.Find("one"), nullptr);
  EXPECT_EQ(store.Find("two")->owner, 1);
}

TEST(FunctionsTest, RandomFollowsTheSeed) {
  THeadlessSystemHost host;
  TProcessRandom random;
  random.Seed(12345);
  TExprEngine engine(host, random);
  TProcessRandom expected;
  expected.Seed(12345);
  for (int i = 0; i < 5; ++i) {
    std::unique_ptr<TCustomParam> value = EvaluateText(engine, "Random(1000)");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->GetAsInt(), static_cast<int32_t>(expected.NextInt(1000)));
  }
}

}  // namespace
}  // namespace orvo::test
