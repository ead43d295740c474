#include <gtest/gtest.h>

#include "vars/compiler.h"
#include "vars/listing.h"
#include "vars/param_types.h"
#include "vars_fixture.h"

namespace orvo::test {
namespace {

using EvaluatorTest = VarsTest;

TEST_F(EvaluatorTest, ExpressionValues) {
  Store().CreateVariable("n", PT_INT, TVarScope::Global).Value().SetAsInt(-7);
  Store().CreateVariable("f", PT_FLOAT, TVarScope::Global).Value().SetAsFloat(0.5L);
  Store().CreateVariable("t", PT_STR, TVarScope::Global).Value().SetAsStr("TRUE");
  struct Case {
    const char* expression;
    const char* result;
  };
  const Case cases[] = {
      {"1 + 2 * 3", "int\t7"},
      {"(1 + 2) * 3", "int\t9"},
      {"7 / 2", "int\t3"},
      {"-7 / 2", "int\t-3"},
      {"7.0 / 2", "float\t3.5"},
      {"n % 3", "int\t-1"},
      {"n + f", "float\t-6.5"},
      {"2 - -3", "int\t5"},
      {"-n * 2", "int\t14"},
      {"2147483647 + 1", "int\t-2147483648"},
      {"(-2147483647 - 1) / -1", "int\t-2147483648"},
      {"(-2147483647 - 1) % -1", "int\t0"},
      {"-2147483648", "float\t-2147483648"},  // 2147483648 is no integer constant
      {"1 << 33", "int\t2"},
      {"-1 >> 28", "int\t15"},
      {"6 & 3 | 8 ^ 1", "int\t11"},
      {"3 > 2", "bool\tTRUE"},
      {"2.5 >= 2.5", "bool\tTRUE"},
      {"\"b\" > \"a\"", "bool\tTRUE"},
      {"\"B\" > \"a\"", "bool\tFALSE"},
      {"\"10\" < \"9\"", "bool\tTRUE"},
      {"1 <> 1", "bool\tFALSE"},
      {"TRUE > FALSE", "bool\tTRUE"},
      {"t == TRUE", "bool\tTRUE"},
      {"t == 1", "bool\tFALSE"},
      {"\"a\" ++ 1 ++ TRUE", "str\ta1TRUE"},
      {"\"a\" + \"b\"", "str\t0"},
      {"\"12\" + 1", "str\t13"},
      {"1 + \"12\"", "int\t13"},
      {"1E20 * 1", "float\t1E20"},
      {"\"データ\"", "str\tデータ"},
      {"x", "none"},
      {"1 / 0", "none"},
      {"1.0 / 0", "none"},
      {"n = 3", "none"},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.expression), c.result) << c.expression;
}

TEST_F(EvaluatorTest, AssignmentsAndRunTimeErrors) {
  Store().CreateVariable("x", PT_INT, TVarScope::Global).Value().SetAsInt(4);
  Store().CreateVariable("s", PT_STR, TVarScope::Global);
  Store().CreateVariable("b", PT_BOOL, TVarScope::Global);
  Store().CreateVariable("a", PT_INT, TVarScope::Global);
  struct Case {
    const char* statement;
    const char* variable;
    const char* value;
  };
  const Case cases[] = {
      {"x = 1 / 0", "x", "4"},
      {"x = x + 1", "x", "5"},
      {"x = y + 1", "x", "5"},  // no such variable: the run stops
      {"s = \"a\" ++ \"b\"", "s", "ab"},
      {"s = \"a\" + \"b\"", "s", "0"},
      {"s = 1.5 * 2", "s", "3"},
      {"b = \"TRUE\"", "b", "TRUE"},
      {"b = \"2\"", "b", "FALSE"},  // a variable operand reads its element: only "TRUE" is true
      {"b = 0.0", "b", "FALSE"},
      {"x = 2.9", "x", "2"},
      {"SetArray(a, 2, 3)", "a", "0,0,0,0,0,0"},
      {"a[1, 2] = 5", "a", "0,0,0,0,0,5"},
      {"a[0, 1] = a[1, 2] + 1", "a", "0,6,0,0,0,5"},
      {"a[2, 0] = 7", "a", "0,6,0,0,0,5"},
      {"a[1] = 7", "a", "0,6,0,0,0,5"},
      {"x = a[-1, 5]", "x", "0"},
      {"a = 9", "a", "9"},
      {"a[0] = 3", "a", "3"},
      {"a[1] = 4", "a", "3"},
  };
  for (const Case& c : cases) {
    RunStatement(engine_, Sjis(c.statement));
    EXPECT_EQ(Value(c.variable), c.value) << c.statement;
  }
}

TEST_F(EvaluatorTest, RunTimeErrorMessages) {
  Run({"SetArray(a, 1)"});  // a does not exist
  Store().CreateVariable("a", PT_INT, TVarScope::Global);
  struct Case {
    const char* statement;
    const char* error;
  };
  const Case cases[] = {
      {"SetArray(a, 2, 3)", ""},
      {"a[2, 0] = 1", "a[2,0]\r\n要素数を超えています"},
      {"a[1] = 1", "a[1]\r\n添え字が不正です"},
      {"a[-1, 0] = 1", "[-3]:配列の添字が不正です"},
      {"a = q", "\"q\" 変数がありません"},
      {"a = 1 / 0", "Division by zero"},
      {"SetArray(a, 0)", "配列の要素数[0]が不正です"},
      {"SetArray(3, 1)", "SetArray:変数が見つかりません"},
      {"CopyMem(a, 1)", "CopyMem:変数が見つかりません"},
  };
  for (const Case& c : cases) {
    TOrvoParser parser;
    parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(Sjis(c.statement)));
    parser.Execute(engine_);
    EXPECT_EQ(Cp932ToUtf8(parser.LastError()), c.error) << c.statement;
  }
}

TEST_F(EvaluatorTest, ScopesAreResolvedPerRun) {
  Store().CreateVariable("v", PT_INT, TVarScope::Global).Value().SetAsInt(1);
  TOrvoParser parser;
  parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes("v = v + 1"));
  parser.Execute(engine_);
  Store().SetCurrentDepth(2);
  Store().CreateVariable("v", PT_INT, TVarScope::Local).Value().SetAsInt(10);
  parser.Execute(engine_);
  EXPECT_EQ(Store().Find("v")->Value().GetAsInt(), 11);
  Store().DeleteOwnedBy(2);
  Store().SetCurrentDepth(0);
  parser.Execute(engine_);
  EXPECT_EQ(Store().Find("v")->Value().GetAsInt(), 3);
}

TEST_F(EvaluatorTest, NestedRunsKeepTheirOwnTemporaries) {
  Store().CreateVariable("s", PT_STR, TVarScope::Global);
  Store().CreateVariable("t", PT_INT, TVarScope::Global);
  // The inner statement's first temporary has the same name as the outer
  // run's literal "abc"; the outer value must survive.
  Run({"s = \"abc\" ++ IntToStr(Calc(\"t = 5 * 5\"))"});
  EXPECT_EQ(Value("s"), "abc1");
  EXPECT_EQ(Value("t"), "25");
  // Temporaries never reach the store.
  EXPECT_EQ(Store().Find("____0"), nullptr);
}

TEST_F(EvaluatorTest, SelfEvaluationStopsAtTheNestingLimit) {
  Store().CreateVariable("s", PT_STR, TVarScope::Global).Value().SetAsStr("n = n + 1 + 0 * Calc(s)");
  Store().CreateVariable("n", PT_INT, TVarScope::Global);
  Run({"Calc(s)"});
  EXPECT_EQ(Value("n"), std::to_string(TExprEngine::kMaxNesting - 1));
}

TEST_F(EvaluatorTest, ConstantArgumentsAreNeverWrittenThrough) {
  TOrvoParser parser;
  parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes("DecodeDate(36526, 1, 2, 3) + Delete(5, 1, 1)"));
  std::string before = ListInstructions(parser);
  parser.Execute(engine_);
  parser.Execute(engine_);
  EXPECT_EQ(ListInstructions(parser), before);
}

TEST_F(EvaluatorTest, ReloadedAndCopiedExpressionsRunAlike) {
  const char* statements[] = {"a[1, j] = 2.5 / -c ++ \"x\"", "s = IntToStr(Max(j, 7), 4) ++ HanToZen(\"ab\")",
                              "f = TRUE & (c <> 3) | j << 2 > 4"};
  auto run = [](const TOrvoParser& parser) {
    THeadlessSystemHost host;
    TProcessRandom random;
    TExprEngine engine(host, random);
    TParamCollection& store = engine.Store();
    store.CreateVariable("a", PT_STR, TVarScope::Global);
    RunStatement(engine, "SetArray(a, 2, 2)");
    for (const char* name : {"j", "c"}) store.CreateVariable(name, PT_INT, TVarScope::Global).Value().SetAsInt(1);
    store.CreateVariable("s", PT_STR, TVarScope::Global);
    store.CreateVariable("f", PT_BOOL, TVarScope::Global);
    TOrvoParser copy;
    copy.AssignFrom(parser);
    copy.Execute(engine);
    std::string values;
    for (const char* name : {"a", "s", "f"}) {
      const TCustomParam& value = store.Find(name)->Value();
      for (int32_t i = 0; i < value.Count(); ++i) values += value.GetStr(i) + ";";
    }
    return values;
  };
  for (const char* statement : statements) {
    TOrvoParser original;
    original.LoadFromBytes(TBuildOrvoParser::CompileToBytes(statement));
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    original.SaveToStream(writer);
    TOrvoParser reloaded;
    reloaded.LoadFromBytes(std::string(stream.Bytes().begin(), stream.Bytes().end()));
    std::string expected = run(original);
    EXPECT_EQ(run(reloaded), expected) << statement;
    EXPECT_NE(expected, run(TOrvoParser())) << statement;  // the statement did something
  }
}

TEST_F(EvaluatorTest, ResultIsACopy) {
  Store().CreateVariable("v", PT_INT, TVarScope::Global).Value().SetAsInt(5);
  TOrvoParser parser;
  parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes("v"));
  parser.Execute(engine_);
  ASSERT_NE(parser.Result(), nullptr);
  Store().Find("v")->Value().SetAsInt(6);
  EXPECT_EQ(parser.Result()->GetAsInt(), 5);
  parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes("v = 1"));
  parser.Execute(engine_);
  EXPECT_EQ(parser.Result(), nullptr);
}

TEST_F(EvaluatorTest, DamagedInstructionsFailSafely) {
  auto run = [&](auto write) {
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    write(writer);
    TOrvoParser parser;
    parser.LoadFromBytes(std::string(stream.Bytes().begin(), stream.Bytes().end()));
    parser.Execute(engine_);
    return Cp932ToUtf8(parser.LastError());
  };
  // An operator code beyond the table.
  EXPECT_EQ(run([](TBinaryWriter& w) {
              w.WriteInt32(1), w.WriteByte(33), w.WriteString("____0"), w.WriteInt32(1);
              w.WriteByte(PT_INT), w.WriteInt32(4);
            }),
            "不正な式\r\n\r\n代入先:____0演算タイプ:\r\n4");
  // A function number beyond the table does nothing.
  EXPECT_EQ(run([](TBinaryWriter& w) {
              w.WriteInt32(1), w.WriteByte(ocFunc), w.WriteString("____0"), w.WriteInt32(0), w.WriteByte(200);
            }),
            "");
  // Missing operands.
  EXPECT_EQ(
      run([](TBinaryWriter& w) { w.WriteInt32(1), w.WriteByte(ocPlus), w.WriteString("____0"), w.WriteInt32(0); }),
      "List index out of bounds (0)");
  // An element reference used after its array was freed in the same run.
  Store().CreateVariable("arr", PT_INT, TVarScope::Global);
  const std::vector<std::string> names = {"arr"};
  Store().PushVars(names);
  Store().Delete(*Store().Find("arr"));
  Store().CreateVariable("arr", PT_STR, TVarScope::Global);
  EXPECT_EQ(run([](TBinaryWriter& w) {
              w.WriteInt32(3);
              w.WriteByte(ocDimTo), w.WriteString("____d_0"), w.WriteInt32(2);
              w.WriteByte(PT_NONE), w.WriteString("arr"), w.WriteByte(PT_INT), w.WriteInt32(0);
              w.WriteByte(ocFunc), w.WriteString("____1"), w.WriteInt32(0), w.WriteByte(156);  // PopVar
              w.WriteByte(ocTo), w.WriteString("____d_0"), w.WriteInt32(1), w.WriteByte(PT_INT), w.WriteInt32(9);
            }),
            "");
  EXPECT_EQ(Value("arr"), "0");
}

}  // namespace
}  // namespace orvo::test
