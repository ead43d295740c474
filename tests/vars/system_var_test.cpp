#include "vars/system_var.h"

#include <gtest/gtest.h>

#include "vars/param_types.h"
#include "vars_fixture.h"

namespace orvo::test {
namespace {

class SystemVarTest : public VarsTest {
 protected:
  TCustomParam& System(int number) { return Store().SystemItem(number).Value(); }
};

TEST_F(SystemVarTest, ValuesFromTheStoreTheClockAndTheProject) {
  host_.total_elapsed = 1234;
  host_.frame_counter = 77;
  host_.system_milliseconds = 999;
  host_.title = Sjis("題名");
  host_.screen_width = 800;
  host_.screen_height = 600;
  host_.local_time = {2024, 2, 29, 13, 5, 9};
  struct Case {
    const char* expression;
    const char* result;
  };
  const Case cases[] = {
      {"@TextDelay", "int\t50"},
      {"@TickCount", "int\t1234"},
      {"@UpdateCount", "int\t77"},
      {"@PCTickCount", "int\t999"},
      {"@Title", "str\t題名"},
      {"@ScrWidth * @ScrHeight", "int\t480000"},
      {"@Pi", "float\t3.14159265358979"},
      {"@1Hour * 24", "float\t1"},
      {"@1Min * 1440", "float\t1"},
      {"@1Sec * 86400", "float\t1"},
      {"@Year * 10000 + @Month * 100 + @Day", "int\t20240229"},
      {"@Week", "int\t5"},
      {"@Hour ++ \":\" ++ @Min ++ \":\" ++ @Sec", "str\t13:5:9"},
      {"@IsDebug", "bool\tFALSE"},
      {"@SelIndex", "int\t0"},
      {"@Cursor", "str\t"},
      {"@Result", "none"},
      {"@Temp", "none"},
      {"@StackCount", "int\t0"},
      {"@KeyPush[256]", "bool\tFALSE"},
      {"@ParamCount", "int\t0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.expression), c.result) << c.expression;
}

TEST_F(SystemVarTest, WritableValues) {
  Run({"@TextDelay = 80", "@Cursor = \"hand\"", "@SelStr = \"item\"", "@SelIndex = \"3\"", "@IsDebug = TRUE",
       "@TickCount = 5"});
  EXPECT_EQ(Store().TextDelay(), 80);
  EXPECT_EQ(Store().CursorName(), "hand");
  EXPECT_EQ(Store().SelectedString(), "item");
  EXPECT_EQ(Store().SelectedIndex(), 3);
  EXPECT_EQ(Eval("@IsDebug"), "bool\tFALSE");
  EXPECT_EQ(Eval("@TickCount"), "int\t0");
  // Written from a string, integer variables ignore text that does not convert
  // (an assignment converts in the destination's kind first).
  System(svTextDelay).SetAsStr("fast");
  EXPECT_EQ(Store().TextDelay(), 80);
  Run({"@TextDelay = \"fast\""});
  EXPECT_EQ(Store().TextDelay(), 0);
}

TEST_F(SystemVarTest, ConversionsDifferFromPlainVariables) {
  struct FlagHost : THeadlessSystemHost {
    bool CGDither() const override { return dither; }
    void SetCGDither(bool value) override { dither = value; }
    bool dither = false;
  } host;
  TProcessRandom random;
  TExprEngine engine(host, random);
  TCustomParam& dither = engine.Store().SystemItem(svCGDither).Value();
  dither.SetAsStr("2");  // without index: the integer conversion decides
  EXPECT_TRUE(host.dither);
  dither.SetStr(0, "2");  // with index: only "TRUE"
  EXPECT_FALSE(host.dither);
  dither.SetAsStr("TRUE");  // "TRUE" is no integer
  EXPECT_FALSE(host.dither);

  TCustomParam& cursor = engine.Store().SystemItem(svCursor).Value();
  cursor.SetAsStr("x");
  EXPECT_TRUE(cursor.GetAsBool());  // any text reads as true without index
  EXPECT_FALSE(cursor.GetBool(0));
}

TEST_F(SystemVarTest, LocalTimeIsReadOncePerFrame) {
  struct CountingHost : THeadlessSystemHost {
    TLocalTime LocalNow() const override {
      ++reads;
      return local_time;
    }
    mutable int reads = 0;
  } host;
  TProcessRandom random;
  TExprEngine engine(host, random);
  host.local_time = {2001, 1, 1, 0, 0, 0};
  EXPECT_EQ(EvaluateText(engine, "@Year + @Month + @Sec")->GetAsInt(), 2002);
  host.local_time.year = 2002;
  EXPECT_EQ(EvaluateText(engine, "@Year")->GetAsInt(), 2001);
  host.total_elapsed = 15;
  EXPECT_EQ(EvaluateText(engine, "@Year")->GetAsInt(), 2002);
  EXPECT_EQ(host.reads, 2);
}

TEST_F(SystemVarTest, ArraysAndForwarding) {
  struct KeyHost : THeadlessSystemHost {
    bool IsKeyDown(int32_t key) const override { return key == 13; }
    bool WheelDownNow() const override { return true; }
  } host;
  TProcessRandom random;
  TExprEngine engine(host, random);
  auto eval = [&](const char* text) { return DescribeValue(EvaluateText(engine, text).get()); };
  EXPECT_EQ(eval("@KeyPush[13]"), "bool\tTRUE");
  EXPECT_EQ(eval("@KeyPush[256]"), "bool\tTRUE");
  EXPECT_EQ(eval("@KeyPush[257]"), "bool\tFALSE");
  EXPECT_EQ(eval("@KeyPush"), "bool\tFALSE");
  EXPECT_EQ(eval("@KeyPush[300]"), "none");  // beyond the 258 elements
  EXPECT_EQ(eval("GetArraySize(@KeyPush)"), "int\t258");

  host.arguments = {"first", "second"};
  // An operand is a reference to element 0, so the bare name reads the first argument.
  EXPECT_EQ(eval("@ParamStr[1] ++ @ParamCount ++ @ParamStr"), "str\tsecond2first");
  EXPECT_EQ(engine.Store().SystemItem(svParamStr).Value().GetAsStr(), "");

  TParamInt returned;
  returned.SetAsInt(41);
  host.return_value = &returned;
  EXPECT_EQ(eval("@Result + 1"), "int\t42");
  RunStatement(engine, "@Result = 7");
  EXPECT_EQ(returned.GetAsInt(), 7);

  engine.Store().CreateVariable("v", PT_INT, TVarScope::Global);
  RunStatement(engine, "SetArray(v, 3)");
  RunStatement(engine, "AssignTemp(\"v\")");
  RunStatement(engine, "@Temp[2] = 5");
  EXPECT_EQ(engine.Store().Find("v")->Value().GetInt(2), 5);
  EXPECT_EQ(eval("GetArraySize(@Temp)"), "int\t3");
  // A temp name loaded from a save that names a system variable is not followed.
  engine.Store().SetTempName("@Temp");
  EXPECT_EQ(eval("@Temp"), "none");
}

}  // namespace
}  // namespace orvo::test
