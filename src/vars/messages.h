#pragma once
// The messages that variables, expressions and system functions raise, as
// the scripts and traces see them (CP932).
#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.h"

namespace orvo {

enum class TVarsMessage {
  BadName,               // "%s"：変数名が不正です
  BadIndex,              // [%s]:配列の添字が不正です
  BadElementCount,       // 配列の要素数[%s]が不正です
  CopyMemMismatch,       // CopyMem:変数の型があいません
  BadVariable,           // %s:不正な変数です
  BadSubscript,          // 添え字が不正です
  ElementCountExceeded,  // 要素数を超えています
  InternalError,         // 内部エラー
  SyntaxError,           // 構文エラー
  EmptyIndexList,        // 配列の添え字が不正です
  NoSuchFunction,        // "%s" 関数名がありません
  BadArgumentCount,      // %s 引数の数が不正です
  NoSuchVariable,        // "%s" 変数がありません
  BadExpression,         // 不正な式\r\n\r\n代入先:%s
  VariableNotFound,      // %s:変数が見つかりません
  BadPropertyNumber,     // GetPropの引数が違います
  DivisionByZero,        // Division by zero
  RealDivisionByZero,    // Floating point division by zero
  OutOfMemory,           // Out of memory
  InvalidStringData,     // Invalid string data
  InvalidVariableData,   // Invalid variable data
  NestingTooDeep,        // Expressions nested too deeply
};

// The message with %s replaced by argument (CP932 bytes).
std::string VarsMessage(TVarsMessage id, std::string_view argument = {});
// The error that carries it.
[[noreturn]] void RaiseVars(TVarsMessage id, std::string_view argument = {});
[[noreturn]] void RaiseBadIndex(int64_t index);

}  // namespace orvo
