#pragma once
// A store and evaluator on a headless host, with helpers that run
// expression text and show results as "kind<TAB>value".
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/cp932.h"
#include "base/random.h"
#include "support/test_support.h"
#include "vars/engine.h"
#include "vars/param.h"
#include "vars/parser.h"

namespace orvo::test {

// "int\t7", "str\ta", "float\t1.5", "bool\tTRUE" or "none".
inline std::string DescribeValue(const TCustomParam* value) {
  if (!value) return "none";
  static const char* const kKinds[] = {"none", "int", "float", "bool", "str"};
  std::string text = kKinds[value->ParamType()];
  text += '\t';
  text += Cp932ToUtf8(value->GetAsStr());
  return text;
}

class VarsTest : public ::testing::Test {
 protected:
  VarsTest() : engine_(host_, random_) {}

  TParamCollection& Store() { return engine_.Store(); }

  // Runs each statement in turn; fails the test when one does not compile.
  void Run(std::initializer_list<std::string_view> statements) {
    for (std::string_view statement : statements) {
      ASSERT_TRUE(RunStatement(engine_, Sjis(statement))) << statement;
    }
  }

  // Result of an expression as "int\t7", "str\ta", "float\t1.5", "bool\tTRUE" or "none".
  std::string Eval(std::string_view expression) { return Describe(EvaluateText(engine_, Sjis(expression)).get()); }

  static std::string Describe(const TCustomParam* value) { return DescribeValue(value); }

  // The variable's value as UTF-8 text (its elements joined by commas for an array).
  std::string Value(std::string_view name) {
    TParamCollectionItem* item = Store().Find(Sjis(name));
    if (!item) return "<missing>";
    const TCustomParam& value = item->Value();
    if (value.Dims().empty()) return Cp932ToUtf8(value.GetAsStr());
    std::string text;
    for (int32_t i = 0; i < value.Count(); ++i) {
      if (i) text += ',';
      text += Cp932ToUtf8(value.GetStr(i));
    }
    return text;
  }

  THeadlessSystemHost host_;
  TProcessRandom random_;
  TExprEngine engine_;
};

}  // namespace orvo::test
