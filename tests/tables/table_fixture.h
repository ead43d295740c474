#pragma once
// A store and evaluator with the DB functions over one table store, and
// helpers that make key arrays and run statements.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/random.h"
#include "data/file_manager.h"
#include "support/test_support.h"
#include "tables/db_manager.h"
#include "tables/table_functions.h"
#include "vars/engine.h"
#include "vars/parser.h"

namespace orvo::test {

inline std::string Describe(const TCustomParam* value) {
  if (!value) return "none";
  static const char* const kKinds[] = {"none", "int", "float", "bool", "str"};
  return std::string(kKinds[value->ParamType()]) + "\t" + Cp932ToUtf8(value->GetAsStr());
}

class TableRig {
 public:
  TableRig() : engine_(host_, random_) {
    RegisterTableFunctions(engine_.Functions(), TTableFunctionServices(tables_, files_));
  }

  // A global array variable holding the texts (converted to its kind).
  void Array(const char* name, int kind, std::initializer_list<const char*> values) {
    TCustomParam& array = engine_.Store().CreateVariable(name, kind, TVarScope::Global).Value();
    const std::array<int32_t, 1> sizes{static_cast<int32_t>(values.size())};
    array.SetDims(sizes);
    int32_t i = 0;
    for (const char* value : values) array.SetStr(i++, Sjis(value));
  }
  const TCustomParam& Value(const char* name) { return engine_.Store().Find(name)->Value(); }
  void Variable(const char* name, int kind) { engine_.Store().CreateVariable(name, kind, TVarScope::Global); }

  // Runs each statement; false names the first that did not compile.
  bool Run(std::initializer_list<const char*> statements) {
    for (const char* statement : statements) {
      if (!RunStatement(engine_, Sjis(statement))) {
        ADD_FAILURE() << "did not run: " << statement;
        return false;
      }
    }
    return true;
  }
  bool Run(const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) {
      if (!RunStatement(engine_, Sjis(statement))) {
        ADD_FAILURE() << "did not run: " << statement;
        return false;
      }
    }
    return true;
  }
  // "kind\tvalue" of an expression.
  std::string Eval(const std::string& expression) { return Describe(EvaluateText(engine_, Sjis(expression)).get()); }

  TDBManager& Tables() { return tables_; }
  TVrFileManager& Files() { return files_; }
  TExprEngine& Engine() { return engine_; }

 private:
  THeadlessSystemHost host_;
  TProcessRandom random_;
  TDBManager tables_;
  TVrFileManager files_;
  TExprEngine engine_;
};

}  // namespace orvo::test
