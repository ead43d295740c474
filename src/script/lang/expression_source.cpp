#include "script/lang/expression_source.h"

#include <cstdio>
#include <map>
#include <vector>

#include "base/cp932.h"
#include "base/error.h"
#include "vars/compiler.h"
#include "vars/convert.h"
#include "vars/functions/function_table.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

constexpr int kAtom = 10;
constexpr std::string_view kOperatorChars = "+-*/%|&^=[](),<>";

int Precedence(uint8_t op) {
  switch (op) {
    case ocMul:
    case ocDiv:
    case ocMod:
      return 9;
    case ocPlus:
    case ocMinus:
      return 8;
    case ocShiftL:
    case ocShiftR:
      return 7;
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual:
      return 6;
    case ocComboStr:
      return 5;
    case ocAnd:
      return 4;
    case ocXor:
      return 3;
    case ocOr:
      return 2;
    default:
      return 0;
  }
}

struct TNode {
  std::string text;
  int precedence = kAtom;
};

// A real constant as text that reads back to the same value and is not an integer.
std::optional<std::string> RealText(long double value) {
  if (!(value >= 0) || value > 1e4000L) return std::nullopt;
  char buffer[128];
  for (int precision = 1; precision <= 40; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*Lf", precision, value);
    std::string text = buffer;
    while (text.size() > 2 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
    long double back = 0;
    int32_t as_int = 0;
    if (TryTextToReal(text, back) && back == value && !TryTextToInt(text, as_int)) return text;
    if (text.size() > 60) break;
  }
  for (int precision = 0; precision <= 20; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*LE", precision, value);
    std::string text;
    for (char c : std::string(buffer)) {
      if (c != '+') text += c;
    }
    if (text.find('-') != std::string::npos) break;
    long double back = 0;
    int32_t as_int = 0;
    if (TryTextToReal(text, back) && back == value && !TryTextToInt(text, as_int)) return text;
  }
  return std::nullopt;
}

// A string constant as an expression literal.
std::optional<std::string> StringLiteral(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    char c = text[i];
    if (length == 1 && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      i += 2;
      continue;
    }
    if (length == 1 && (static_cast<uint8_t>(c) < 0x20 || c == 0x7f)) return std::nullopt;
    // A backslash stays itself unless a quote, a backslash or 'n' follows it
    // (or the closing quote would): only then it needs its own backslash.
    bool escape_backslash =
        c == '\\' && (i + 1 >= text.size() || text[i + 1] == '"' || text[i + 1] == '\\' || text[i + 1] == 'n');
    if (length == 1 && (c == '"' || escape_backslash)) out += '\\';
    out.append(text.substr(i, length));
    i += length;
  }
  return out + "\"";
}

class TRebuilder {
 public:
  explicit TRebuilder(uint32_t parentheses) : parentheses_(parentheses) {}

  std::optional<std::string> Run(const TOrvoParser& parser) {
    const auto& list = parser.Instructions();
    for (size_t index = 0; index < list.size(); ++index) {
      const TOpeData& ope = list[index];
      bool last = index + 1 == list.size();
      bool temp = IsTempName(ope.destination) && ope.destination != kArgTemp;
      if (!temp) {
        if (!last || ope.op != ocTo || ope.operands.size() != 1) return std::nullopt;
        std::optional<TNode> value = Operand(*ope.operands[0]);
        if (!value) return std::nullopt;
        if (ope.destination == kArgTemp) return value->text;
        std::optional<std::string> target;
        if (ope.destination.starts_with(kDimTempPrefix)) {
          std::optional<TNode> element = Take(ope.destination);
          if (!element) return std::nullopt;
          target = element->text;
        } else {
          if (!PlainName(ope.destination)) return std::nullopt;
          target = ope.destination;
        }
        return *target + " = " + value->text;
      }
      std::optional<TNode> node = Build(ope);
      if (!node) return std::nullopt;
      if (temps_.count(ope.destination)) return std::nullopt;
      temps_[ope.destination] = std::move(*node);
    }
    return std::nullopt;
  }

 private:
  static bool PlainName(std::string_view name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); i += CharLength(name, i)) {
      if (CharLength(name, i) != 1) continue;
      char c = name[i];
      if (static_cast<uint8_t>(c) <= ' ' || c == '"' || c == '`' || kOperatorChars.find(c) != std::string_view::npos)
        return false;
    }
    return true;
  }

  std::optional<TNode> Take(const std::string& name) {
    auto found = temps_.find(name);
    if (found == temps_.end()) return std::nullopt;
    TNode node = std::move(found->second);
    temps_.erase(found);
    return node;
  }

  std::optional<TNode> Operand(const TCustomParam& operand, bool allow_empty = false) {
    switch (operand.ClassKind()) {
      case PT_INT: {
        int32_t value = operand.GetAsInt();
        if (value < 0) return std::nullopt;
        return TNode{IntToText(value)};
      }
      case PT_FLOAT: {
        std::optional<std::string> text = RealText(operand.GetAsFloat());
        if (!text) return std::nullopt;
        return TNode{*text};
      }
      case PT_BOOL:
        return TNode{operand.GetAsBool() ? "TRUE" : "FALSE"};
      case PT_STR: {
        std::optional<std::string> text = StringLiteral(operand.GetAsStr());
        if (!text) return std::nullopt;
        return TNode{*text};
      }
      default: {
        const std::string& name = static_cast<const TParamVar&>(operand).Name();
        if (name.empty()) {
          if (!allow_empty) return std::nullopt;
          return TNode{""};
        }
        if (IsTempName(name)) return Take(name);
        if (!PlainName(name)) return std::nullopt;
        return TNode{name};
      }
    }
  }

  std::string Wrap(const TNode& node, bool needed) { return needed ? "(" + node.text + ")" : node.text; }

  std::optional<TNode> Build(const TOpeData& ope) {
    switch (ope.op) {
      case ocTo: {
        if (ope.operands.size() != 1) return std::nullopt;
        return Operand(*ope.operands[0]);
      }
      case ocFunc:
      case ocDimTo: {
        std::string head;
        size_t first = 0;
        if (ope.op == ocFunc) {
          if (ope.function >= kFunctionCount) return std::nullopt;
          head = std::string(FunctionInfo(ope.function).name) + "(";
        } else {
          if (ope.operands.empty()) return std::nullopt;
          std::optional<TNode> array = Operand(*ope.operands[0]);
          if (!array || array->precedence != kAtom || array->text.empty()) return std::nullopt;
          head = array->text + "[";
          first = 1;
        }
        for (size_t i = first; i < ope.operands.size(); ++i) {
          std::optional<TNode> argument = Operand(*ope.operands[i], true);
          if (!argument) return std::nullopt;
          if (i > first) head += ", ";
          head += argument->text;
        }
        head += ope.op == ocFunc ? ")" : "]";
        return TNode{head};
      }
      default:
        break;
    }
    int precedence = Precedence(ope.op);
    if (precedence == 0 || ope.operands.size() != 2) return std::nullopt;
    std::optional<TNode> left = Operand(*ope.operands[0]);
    std::optional<TNode> right = Operand(*ope.operands[1]);
    if (!left || !right) return std::nullopt;
    TNode node;
    node.text = Wrap(*left, left->precedence < precedence) + " " + std::string(OpeCodeSymbol(ope.op)) + " " +
                Wrap(*right, right->precedence <= precedence);
    node.precedence = precedence;
    // Optional parentheses around this operation, chosen by the caller's search.
    if (parentheses_ & (1u << (binary_count_++ % 32))) {
      node.text = "(" + node.text + ")";
      node.precedence = kAtom;
    }
    return node;
  }

  uint32_t parentheses_;
  int binary_count_ = 0;
  std::map<std::string, TNode> temps_;
};

bool SurvivesUtf8(const std::string& text) {
  std::string back;
  return TryUtf8ToCp932(Cp932ToUtf8(text), back) && back == text;
}

}  // namespace

std::string CompileExpression(std::string_view text) {
  bool blank = true;
  for (char c : text) {
    if (static_cast<uint8_t>(c) > ' ') blank = false;
  }
  if (blank) return std::string(4, '\0');
  return TBuildOrvoParser::CompileToBytes(text);
}

std::optional<std::string> ExpressionText(const TExpression& expression) {
  if (expression.Bytes() == std::string(4, '\0')) return std::string();
  size_t binary = 0;
  for (const TOpeData& ope : expression.Parser().Instructions()) {
    if (Precedence(ope.op) > 0) ++binary;
  }
  uint32_t variants = binary >= 8 ? 256u : (1u << binary);
  for (uint32_t parentheses = 0; parentheses < variants; ++parentheses) {
    std::optional<std::string> text = TRebuilder(parentheses).Run(expression.Parser());
    if (!text) return std::nullopt;
    if (!SurvivesUtf8(*text)) return std::nullopt;
    try {
      if (CompileExpression(*text) == expression.Bytes()) return text;
    } catch (const EOrvoError&) {
    }
  }
  return std::nullopt;
}

bool IsTrueCondition(const TExpression& expression) {
  static const std::string kTrue = CompileExpression("TRUE");
  return expression.Bytes() == kTrue;
}

}  // namespace orvo
