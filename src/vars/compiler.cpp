#include "vars/compiler.h"

#include <algorithm>
#include <array>

#include "base/cp932.h"
#include "base/stream.h"
#include "vars/convert.h"
#include "vars/functions/function_table.h"
#include "vars/messages.h"

namespace orvo {

namespace {

constexpr std::string_view kOperatorChars = "+-*/%|&^=[](),<>";
constexpr std::string_view kTokenChars = "%&*+-/<=>^|";
constexpr std::string_view kUnaryBefore = "=+-*/%&^|[(,<>";
constexpr std::string_view kBadBeforeBinary = "+-*/%|&^=[(<>";

[[noreturn]] void SyntaxError() { RaiseVars(TVarsMessage::SyntaxError); }

bool IsBlank(char c) { return c == ' '; }

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsOperatorChar(char c) { return kOperatorChars.find(c) != std::string_view::npos; }

std::string Trim(std::string_view text) { return TrimText(text); }

// Byte positions where characters start (a lead byte and its trail byte are one character).
std::vector<size_t> CharStarts(std::string_view text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) starts.push_back(i);
  return starts;
}

// True when the character at start is the single byte c.
bool CharIs(std::string_view text, size_t start, char c) { return text[start] == c && CharLength(text, start) == 1; }

bool ContainsOperatorChar(std::string_view text) {
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharLength(text, i) == 1 && IsOperatorChar(text[i])) return true;
  }
  return false;
}

struct TPair {
  size_t open_index;  // index into the character starts
  size_t close_index;
};

// Pairs brackets with a stack: a closer without an opener or an opener left
// open is a syntax error. Pairs come in the text order of their openers.
std::vector<TPair> PairUp(std::string_view text, const std::vector<size_t>& starts, char open, char close) {
  std::vector<TPair> pairs;
  std::vector<size_t> stack;
  for (size_t k = 0; k < starts.size(); ++k) {
    if (CharIs(text, starts[k], open)) {
      stack.push_back(pairs.size());
      pairs.push_back({k, 0});
    } else if (CharIs(text, starts[k], close)) {
      if (stack.empty()) SyntaxError();
      pairs[stack.back()].close_index = k;
      stack.pop_back();
    }
  }
  if (!stack.empty()) SyntaxError();
  return pairs;
}

// Index of the last non-blank character before index k, or -1.
long PreviousNonBlank(std::string_view text, const std::vector<size_t>& starts, size_t k) {
  long j = static_cast<long>(k) - 1;
  while (j >= 0 && CharIs(text, starts[static_cast<size_t>(j)], ' ')) --j;
  return j;
}

// Splits function arguments at commas outside square brackets.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  int depth = 0;
  size_t begin = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharLength(text, i) != 1) continue;
    if (text[i] == '[') {
      ++depth;
    } else if (text[i] == ']') {
      if (--depth < 0) SyntaxError();
    } else if (text[i] == ',' && depth == 0) {
      parts.push_back(Trim(text.substr(begin, i - begin)));
      begin = i + 1;
    }
  }
  if (depth != 0) SyntaxError();
  parts.push_back(Trim(text.substr(begin)));
  return parts;
}

std::vector<std::string> SplitIndices(std::string_view text) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (CharIs(text, i, ',')) {
      parts.push_back(Trim(text.substr(begin, i - begin)));
      begin = i + 1;
    }
  }
  parts.push_back(Trim(text.substr(begin)));
  return parts;
}

// True when the first '(' is matched by the final ')'.
bool IsEnclosed(std::string_view text) {
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
  int depth = 1;
  for (size_t i = 1; i < text.size() - 1; i += CharLength(text, i)) {
    if (CharLength(text, i) != 1) continue;
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) return false;
  }
  return true;
}

std::string StripEnclosingParentheses(std::string text) {
  while (IsEnclosed(text)) text = Trim(std::string_view(text).substr(1, text.size() - 2));
  return text;
}

bool IsTwoCharOperator(char first, char second) {
  static constexpr std::array<std::string_view, 7> kPairs = {"==", ">=", "<=", "++", "<>", "<<", ">>"};
  for (std::string_view pair : kPairs) {
    if (pair[0] == first && pair[1] == second) return true;
  }
  return false;
}

std::vector<std::string> Tokenize(std::string_view text) {
  std::vector<std::string> tokens;
  std::string pending;
  auto flush = [&] {
    std::string operand = Trim(pending);
    if (!operand.empty()) tokens.push_back(std::move(operand));
    pending.clear();
  };
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    if (length == 1 && kTokenChars.find(text[i]) != std::string_view::npos) {
      flush();
      if (i + 1 < text.size() && IsTwoCharOperator(text[i], text[i + 1])) {
        tokens.emplace_back(text.substr(i, 2));
        i += 2;
      } else {
        tokens.emplace_back(1, text[i]);
        i += 1;
      }
    } else {
      pending.append(text.substr(i, length));
      i += length;
    }
  }
  flush();
  return tokens;
}

struct TOperator {
  std::string_view symbol;
  uint8_t code;
};

// Precedence groups, highest first; within a group the leftmost applies.
const std::array<std::vector<TOperator>, 9>& PrecedenceGroups() {
  static const std::array<std::vector<TOperator>, 9> kGroups = {{
      {{"*", ocMul}, {"/", ocDiv}, {"%", ocMod}},
      {{"+", ocPlus}, {"-", ocMinus}},
      {{"<<", ocShiftL}, {">>", ocShiftR}},
      {{"==", ocEqual}, {">=", ocEBig}, {"<=", ocESmall}, {">", ocBig}, {"<", ocSmall}, {"<>", ocNEqual}},
      {{"++", ocComboStr}},
      {{"&", ocAnd}},
      {{"^", ocXor}},
      {{"|", ocOr}},
      {{"=", ocTo}},
  }};
  return kGroups;
}

bool StartsWithOneOf(const std::string& token, std::string_view set) {
  return !token.empty() && set.find(token[0]) != std::string_view::npos;
}

}  // namespace

std::string TBuildOrvoParser::NewTemp() { return std::string(kTempPrefix) + std::to_string(temp_counter_++); }

std::string TBuildOrvoParser::NewDimTemp() { return std::string(kDimTempPrefix) + std::to_string(temp_counter_++); }

void TBuildOrvoParser::Append(uint8_t op, std::string destination, std::vector<std::string> operands) {
  list_.push_back({op, std::move(destination), std::move(operands)});
}

std::string TBuildOrvoParser::OperandFor(std::string text) {
  text = StripEnclosingParentheses(Trim(text));
  if (text.empty() || !ContainsOperatorChar(text)) return text;
  std::string temp = NewTemp();
  CompileText(temp + " = " + text);
  return temp;
}

void TBuildOrvoParser::Compile(std::string_view text) {
  CompileText(std::string(text));
  MergeTemporaries();
}

void TBuildOrvoParser::CompileText(std::string text) {
  // 1. String literals become temporaries holding the quoted text.
  for (;;) {
    size_t quote = std::string::npos;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
      if (CharIs(text, i, '"')) {
        quote = i;
        break;
      }
    }
    if (quote == std::string::npos) break;
    std::string literal = "\"";
    size_t i = quote + 1;
    bool closed = false;
    while (i < text.size()) {
      size_t length = CharLength(text, i);
      if (length == 1 && text[i] == '"') {
        closed = true;
        break;
      }
      if (length == 1 && text[i] == '\\' && i + 1 < text.size()) {
        char next = text[i + 1];
        if (CharLength(text, i + 1) == 1 && (next == '"' || next == '\\')) {
          literal += next;
          i += 2;
          continue;
        }
        if (next == 'n') {
          literal += "\r\n";
          i += 2;
          continue;
        }
      }
      literal.append(text, i, length);
      i += length;
    }
    if (!closed) break;
    literal += '"';
    std::string temp = NewTemp();
    Append(ocTo, temp, {literal});
    text = text.substr(0, quote) + temp + text.substr(i + 1);
  }

  // 2. Function calls, the rightmost (innermost) first.
  for (;;) {
    std::vector<size_t> starts = CharStarts(text);
    std::vector<TPair> pairs = PairUp(text, starts, '(', ')');
    const TPair* call = nullptr;
    size_t name_index = 0;
    for (size_t p = pairs.size(); p-- > 0;) {
      long j = PreviousNonBlank(text, starts, pairs[p].open_index);
      if (j < 0 || !IsNameChar(text[starts[static_cast<size_t>(j)]])) continue;
      while (j > 0 && IsNameChar(text[starts[static_cast<size_t>(j - 1)]])) --j;
      call = &pairs[p];
      name_index = static_cast<size_t>(j);
      break;
    }
    if (!call) break;
    size_t name_start = starts[name_index];
    size_t open = starts[call->open_index];
    size_t close = starts[call->close_index];
    std::string name = Trim(std::string_view(text).substr(name_start, open - name_start));
    std::string arguments = Trim(std::string_view(text).substr(open + 1, close - open - 1));
    std::string temp = NewTemp();
    text = text.substr(0, name_start) + temp + text.substr(close + 1);
    std::vector<std::string> operands = {name};
    for (std::string& argument : SplitArguments(arguments)) operands.push_back(OperandFor(std::move(argument)));
    Append(ocFunc, temp, std::move(operands));
  }

  // 3. Array elements, the last '[' first.
  for (;;) {
    std::vector<size_t> starts = CharStarts(text);
    std::vector<TPair> pairs = PairUp(text, starts, '[', ']');
    if (pairs.empty()) break;
    const TPair& element = pairs.back();
    long j = PreviousNonBlank(text, starts, element.open_index);
    size_t name_start = starts[element.open_index];
    if (j >= 0) {
      size_t at = starts[static_cast<size_t>(j)];
      if (CharLength(text, at) == 1 && IsOperatorChar(text[at])) SyntaxError();
      auto part_of_name = [&](long k) {
        size_t s = starts[static_cast<size_t>(k)];
        return CharLength(text, s) != 1 || (!IsBlank(text[s]) && !IsOperatorChar(text[s]));
      };
      while (j > 0 && part_of_name(j - 1)) --j;
      name_start = starts[static_cast<size_t>(j)];
    }
    size_t open = starts[element.open_index];
    size_t close = starts[element.close_index];
    std::string name = Trim(std::string_view(text).substr(name_start, open - name_start));
    std::string index_text = Trim(std::string_view(text).substr(open + 1, close - open - 1));
    std::string temp = NewDimTemp();
    text = text.substr(0, name_start) + temp + text.substr(close + 1);
    if (index_text.empty()) RaiseVars(TVarsMessage::EmptyIndexList);
    std::vector<std::string> operands = {name};
    for (std::string& index : SplitIndices(index_text)) operands.push_back(OperandFor(std::move(index)));
    Append(ocDimTo, temp, std::move(operands));
  }

  // 4. Parenthesised groups become temporaries.
  for (;;) {
    std::vector<size_t> starts = CharStarts(text);
    std::vector<TPair> pairs = PairUp(text, starts, '(', ')');
    const TPair* group = nullptr;
    for (size_t p = pairs.size(); p-- > 0;) {
      long j = PreviousNonBlank(text, starts, pairs[p].open_index);
      if (j < 0 || !IsNameChar(text[starts[static_cast<size_t>(j)]])) {
        group = &pairs[p];
        break;
      }
    }
    if (!group) break;
    size_t open = starts[group->open_index];
    size_t close = starts[group->close_index];
    std::string inner = Trim(std::string_view(text).substr(open + 1, close - open - 1));
    std::string temp = NewTemp();
    text = text.substr(0, open) + temp + text.substr(close + 1);
    CompileText(temp + " = " + inner);
  }

  // 5. Tokens.
  std::vector<std::string> tokens = Tokenize(text);
  if (tokens.empty()) {
    Append(ocTo, std::string(kArgTemp), {Trim(text)});
    return;
  }

  // 6. Unary signs, from the right.
  for (size_t s = tokens.size() - 1; s-- > 1;) {
    if ((tokens[s] != "+" && tokens[s] != "-") || !StartsWithOneOf(tokens[s - 1], kUnaryBefore)) continue;
    if (tokens[s] == "-") {
      std::string temp = NewTemp();
      Append(ocMinus, temp, {"0", tokens[s + 1]});
      tokens[s + 1] = temp;
    }
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(s));
  }

  // 7. Reduction by precedence.
  bool assigned = false;
  while (!tokens.empty()) {
    size_t position = 0;
    const TOperator* chosen = nullptr;
    for (const std::vector<TOperator>& group : PrecedenceGroups()) {
      for (size_t t = 0; t < tokens.size() && !chosen; ++t) {
        for (const TOperator& op : group) {
          if (tokens[t] == op.symbol) {
            chosen = &op;
            position = t;
            break;
          }
        }
      }
      if (chosen) break;
    }
    auto erase = [&](size_t from, size_t count) {
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(from),
                   tokens.begin() + static_cast<std::ptrdiff_t>(from + count));
    };
    if (!chosen) {
      if (assigned || tokens.size() > 1) SyntaxError();
      Append(ocTo, std::string(kArgTemp), {tokens[0]});
      erase(0, 1);
      continue;
    }
    // An operator with nothing after it.
    if (position + 1 >= tokens.size()) SyntaxError();
    if (chosen->code == ocTo) {
      if (position == 0) SyntaxError();
      Append(ocTo, tokens[position - 1], {tokens[position + 1]});
      erase(position - 1, 3);
      assigned = true;
    } else if (position > 0) {
      if (StartsWithOneOf(tokens[position - 1], kBadBeforeBinary)) SyntaxError();
      std::string temp = NewTemp();
      Append(chosen->code, temp, {tokens[position - 1], tokens[position + 1]});
      tokens[position - 1] = temp;
      erase(position, 2);
    } else {
      if (chosen->code != ocPlus && chosen->code != ocMinus) SyntaxError();
      std::string temp = NewTemp();
      Append(chosen->code, temp, {"0", tokens[1]});
      tokens[0] = temp;
      erase(1, 1);
    }
  }
}

void TBuildOrvoParser::MergeTemporaries() {
  auto mergeable = [](const std::string& name) {
    return IsTempName(name) && !name.starts_with(kDimTempPrefix) && name != kArgTemp;
  };
  for (size_t i = 0; i < list_.size();) {
    TBuildOpeData& copy = list_[i];
    if (copy.op != ocTo || copy.operands.size() != 1 || !mergeable(copy.destination) || !mergeable(copy.operands[0])) {
      ++i;
      continue;
    }
    std::string from = copy.destination;
    std::string to = copy.operands[0];
    list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(i));
    for (size_t k = i; k < list_.size(); ++k) {
      if (list_[k].destination == from) list_[k].destination = to;
      for (std::string& operand : list_[k].operands) {
        if (operand == from) operand = to;
      }
    }
  }
}

namespace {

void WriteOperand(TBinaryWriter& writer, const std::string& text) {
  int32_t integer = 0;
  long double real = 0;
  if (TryTextToInt(text, integer)) {
    writer.WriteByte(PT_INT);
    writer.WriteInt32(integer);
  } else if (TryTextToReal(text, real)) {
    writer.WriteByte(PT_FLOAT);
    writer.WriteExt80(real);
  } else if (text == "TRUE" || text == "FALSE") {
    writer.WriteByte(PT_BOOL);
    writer.WriteByte(text == "TRUE" ? 1 : 0);
  } else if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    writer.WriteByte(PT_STR);
    writer.WriteString(std::string_view(text).substr(1, text.size() - 2));
  } else {
    writer.WriteByte(PT_NONE);
    writer.WriteString(text);
  }
}

}  // namespace

void TBuildOrvoParser::SaveToStream(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(list_.size()));
  for (const TBuildOpeData& ope : list_) {
    writer.WriteByte(ope.op);
    writer.WriteString(ope.destination);
    size_t first = 0;
    if (ope.op == ocFunc) {
      const std::string& name = ope.operands.empty() ? std::string() : ope.operands[0];
      int number = FindFunction(name);
      if (number < 0) RaiseVars(TVarsMessage::NoSuchFunction, name);
      const TFunctionInfo& info = FunctionInfo(number);
      int count = static_cast<int>(ope.operands.size()) - 1;
      if (count < info.min_args || (info.max_args >= 0 && count > info.max_args)) {
        RaiseVars(TVarsMessage::BadArgumentCount, name);
      }
      writer.WriteInt32(count);
      writer.WriteByte(static_cast<uint8_t>(number));
      first = 1;
    } else {
      writer.WriteInt32(static_cast<int32_t>(ope.operands.size()));
    }
    for (size_t k = first; k < ope.operands.size(); ++k) WriteOperand(writer, ope.operands[k]);
  }
}

std::string TBuildOrvoParser::CompileToBytes(std::string_view text) {
  TBuildOrvoParser builder;
  builder.Compile(text);
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  builder.SaveToStream(writer);
  const std::vector<uint8_t>& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace orvo
