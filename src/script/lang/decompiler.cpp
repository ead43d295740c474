#include "script/lang/decompiler.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/error.h"
#include "script/lang/expression_source.h"
#include "script/lang/source_compiler.h"
#include "script/lang/source_text.h"
#include "script/property_names.h"
#include "text/markup_writer.h"

namespace orvo {

using namespace lang;

namespace {

// Kinds written with their class name in the generic form: their keywords
// are taken by the structured statements.
bool UsesClassName(int kind) {
  switch (kind) {
    case ckIf:
    case ckElseif:
    case ckElse:
    case ckLabel:
    case ckJump:
    case ckCall:
    case ckExit:
    case ckWait:
    case ckCalc:
    case ckVarNew:
    case ckVarDel:
    case ckComment:
    case ckWhile:
    case ckWhileInit:
    case ckWhileLoop:
    case ckBreak:
    case ckContinue:
    case ckPCReset:
    case ckReset:
    case ckTerminate:
    case ckDoEvent:
      return true;
    default:
      return false;
  }
}

std::string Expr(const TExpression& expression) {
  if (expression.Blank()) return "<none>";
  std::optional<std::string> text = ExpressionText(expression);
  if (text) return *text;
  std::string raw = "`";
  raw.append(HexOf(expression.Bytes()));
  raw.push_back('`');
  return raw;
}

std::string Name(const std::string& text) { return IsBareWord(text) ? text : Quote(text); }

struct TBlock {
  bool loop = false;
  int32_t indent = 0;
  int loop_index = -1;  // a loop's WhileLoop command
  bool in_else = false;
};

class TWriter {
 public:
  TWriter(const TPage& page, const TDecompileOptions& options, bool flat)
      : page_(page), options_(options), flat_(flat) {}

  std::string Run() {
    Header();
    for (int i = 0; i < page_.Count(); ++i) Command(i);
    while (!blocks_.empty()) {
      blocks_.pop_back();
      depth_ = static_cast<int>(blocks_.size());
      Line("end");
    }
    return out_;
  }

 private:
  void Line(const std::string& text) {
    if (!flat_ && !text.empty()) out_.append(2 * static_cast<size_t>(std::max(0, depth_)), ' ');
    out_ += Cp932ToUtf8(text);
    out_ += '\n';
    ++line_;
  }

  void Header() {
    if (page_.Version() != kNewestPageVersion) Line(".version " + std::to_string(page_.Version()));
    if (page_.Version() > kNewestPageVersion) {
      if (!page_.UnreadTail().empty()) Line(".tail " + HexOf(page_.UnreadTail()));
      return;
    }
    static const char* kTypes[] = {"none", "int", "float", "bool", "str"};
    if (page_.ResultType() != 0)
      Line(".result " +
           (page_.ResultType() <= 4 ? std::string(kTypes[page_.ResultType()]) : std::to_string(page_.ResultType())));
    TPage canonical;
    canonical.SetMasks(page_.Masks());
    if (canonical.MaskRecords() != page_.MaskRecords() || page_.MaskCount() != kCommandKindCount ||
        page_.MaskSize() != kMaskBytes) {
      Line(".masks " + std::to_string(page_.MaskCount()) + " " + std::to_string(page_.MaskSize()) + " " +
           HexOf(page_.MaskRecords()));
      return;
    }
    TMaskTable compiled = DefaultMaskTable();
    for (const auto& command : page_.Commands()) {
      const TField* properties = command->FindField("props");
      if (!properties) continue;
      for (const auto& [bit, expression] : properties->properties) {
        if (!expression.Blank()) SetMaskBit(compiled[static_cast<size_t>(command->Kind())], bit);
      }
    }
    for (int kind = 0; kind < kCommandKindCount; ++kind) {
      const TMaskEntry& entry = page_.Masks()[static_cast<size_t>(kind)];
      if (entry != compiled[static_cast<size_t>(kind)])
        Line(".mask " + std::to_string(kind) + " " + HexOf(std::string(entry.begin(), entry.end())));
    }
  }

  // Attributes of a command whose indent the compiler would make expected.
  std::string Attributes(const TCommand& command, int32_t expected_indent, bool pad) {
    std::vector<std::string> items;
    if (command.disabled_byte == 1)
      items.push_back("off");
    else if (command.disabled_byte != 0)
      items.push_back("off=" + std::to_string(command.disabled_byte));
    if (command.continue_byte == 0)
      items.push_back("yield");
    else if (command.continue_byte != 1)
      items.push_back("cont=" + std::to_string(command.continue_byte));
    if (command.KindByte() & 0x80) items.push_back("hi");
    if (flat_ || command.indent != expected_indent) items.push_back("indent=" + std::to_string(command.indent));
    if (!flat_ && pad && command.line > line_ && command.line - line_ <= 40) {
      while (line_ < command.line) Line("");
    }
    if (flat_ || command.line != line_) items.push_back("line=" + std::to_string(command.line));
    if (items.empty()) return {};
    std::string text = "{";
    for (size_t i = 0; i < items.size(); ++i) text += (i ? " " : "") + items[i];
    return text + "} ";
  }

  // A property number of getprop, setprop and motion written as its name
  // (which compiles to the same bytes).
  static std::string PropertyOr(const std::string& field, const std::string& text) {
    if (field != "prop" || text.empty() || text.size() > 3) return text;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return text;
    if (text.size() > 1 && text[0] == '0') return text;
    const std::string_view property = PropertyName(std::stoi(text));
    return property.empty() ? text : std::string(property);
  }

  std::string Generic(const TCommand& command) {
    const TKindLayout& layout = command.Layout();
    std::string text(UsesClassName(command.Kind()) ? layout.class_name : layout.keyword);
    std::vector<std::string> items;
    for (size_t i = 0; i < command.fields.size(); ++i) {
      if (!command.FieldPresent(i)) continue;
      const TField& field = command.fields[i];
      std::string name(layout.fields[i].name);
      switch (field.kind) {
        case TFieldKind::Expr:
          if (!field.expr.Blank()) items.push_back(name + "=" + PropertyOr(name, Expr(field.expr)));
          break;
        case TFieldKind::String:
        case TFieldKind::Text: {
          if (field.text.empty()) break;
          // A glyph stream whose markup compiles to the same bytes reads better as that markup.
          std::string markup;
          if (command.Kind() == ckTextIns && name == "text" && GlyphStreamToMarkup(field.text, markup)) {
            items.push_back("markup=" + Quote(markup));
          } else {
            items.push_back(name + "=" + Quote(field.text));
          }
          break;
        }
        case TFieldKind::Int32:
        case TFieldKind::Byte:
          if (field.number != 0) items.push_back(name + "=" + std::to_string(field.number));
          break;
        case TFieldKind::ExprList: {
          if (field.list.empty()) break;
          std::string list = name + "=(";
          for (size_t e = 0; e < field.list.size(); ++e) list += (e ? ", " : "") + Expr(field.list[e]);
          items.push_back(list + ")");
          break;
        }
        case TFieldKind::Properties:
          for (const auto& [bit, expression] : field.properties) {
            if (expression.Blank()) continue;
            std::string property(PropertyName(bit));
            if (property.empty()) property = "PR_" + std::to_string(bit);
            items.push_back(property + "=" + Expr(expression));
          }
          break;
      }
    }
    for (size_t i = 0; i < items.size(); ++i) text += (i ? ", " : " ") + items[i];
    return text;
  }

  // The written form of a page and command index; label_first: a bare word is a label.
  std::string Target(const std::string& page, int32_t index, bool label_first) {
    bool own = page == options_.page_name;
    const TPage* target = own ? &page_ : (options_.find_page ? options_.find_page(page) : nullptr);
    std::string label;
    if (target && index >= 0 && index < target->Count()) {
      const TField* name = target->At(index).Kind() == ckLabel ? target->At(index).FindField("name") : nullptr;
      if (name && target->FindLabel(name->text) == index) label = name->text;
    }
    std::string label_text = label.empty() ? std::string("#").append(std::to_string(index))
                                           : (IsBareWord(label) && label[0] != '#' ? label : Quote(label));
    std::string page_text;
    if (!own) {
      std::string stem = page.size() > 4 && page.compare(page.size() - 4, 4, ".osb") == 0
                             ? page.substr(0, page.size() - 4)
                             : std::string();
      page_text = !stem.empty() && IsBareWord(stem) && PageFileName(stem) == page ? stem : Quote(page);
    }
    if (label_first) return own ? label_text : page_text + ":" + label_text;
    if (own) return ":" + label_text;
    if (index == 0 && label.empty()) return page_text;
    return page_text + ":" + label_text;
  }

  static std::string Condition(const TExpression& condition) {
    return IsTrueCondition(condition) ? std::string() : " if " + Expr(condition);
  }

  std::string Structured(const TCommand& command, int index) {
    switch (command.Kind()) {
      case ckIf:
        return "if " + Expr(command.Expr("cond"));
      case ckElseif:
        return "elseif " + Expr(command.Expr("cond"));
      case ckElse:
        return "else";
      case ckLabel:
        return "label " + Name(command.Text("name"));
      case ckJump:
        return "goto " + Target(command.Text("page"), command.Number("target"), true) + Condition(command.Expr("cond"));
      case ckCall: {
        std::string text = "call " + Target(command.Text("page"), command.Number("target"), false);
        const TField* args = command.FindField("args");
        if (args && !args->list.empty()) {
          text += "(";
          for (size_t i = 0; i < args->list.size(); ++i) text += (i ? ", " : "") + Expr(args->list[i]);
          text += ")";
        }
        if (!command.Text("result").empty()) text += " -> " + Name(command.Text("result"));
        return text + Condition(command.Expr("cond"));
      }
      case ckExit:
        return "return" + Condition(command.Expr("cond"));
      case ckWait: {
        const TExpression& no_events = command.Expr("noevents");
        if (!no_events.Blank() && !IsTrueCondition(no_events)) break;
        std::string text = "wait";
        if (!command.Expr("time").Blank()) text += " " + Expr(command.Expr("time"));
        if (!no_events.Blank()) text += " noevents";
        if (!command.Expr("cond").Blank()) text += " if " + Expr(command.Expr("cond"));
        return text;
      }
      case ckCalc: {
        std::string text = command.Expr("expr").Blank() ? std::string() : Expr(command.Expr("expr"));
        bool bare =
            !text.empty() && (std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_' || text[0] == '@');
        if (bare) {
          size_t end = 0;
          while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
          std::string word = LowerAscii(text.substr(0, end));
          static const char* kWords[] = {"if",       "elseif", "else", "end",     "while", "for",   "break",
                                         "continue", "goto",   "call", "return",  "wait",  "yield", "terminate",
                                         "label",    "delete", "var",  "pcreset", "reset", "calc"};
          for (const char* keyword : kWords) {
            if (word == keyword) bare = false;
          }
          if (FindKind(text.substr(0, end)) >= 0) bare = false;
        }
        return bare ? text : "calc " + text;
      }
      case ckVarNew: {
        int32_t type = command.Number("type"), scope = command.Number("scope");
        if (type < 1 || type > 4 || scope < 0 || scope > 3) break;
        static const char* kTypes[] = {"int", "float", "bool", "str"};
        static const char* kScopes[] = {"", "auto ", "local ", "status "};
        std::string text = std::string("var ") + kScopes[scope] + Name(command.Text("name")) + ": " + kTypes[type - 1];
        if (!command.Expr("init").Blank()) text += " = " + Expr(command.Expr("init"));
        return text;
      }
      case ckVarDel:
        return "delete " + Name(command.Text("name"));
      case ckComment:
        return "// " + command.Text("text");
      case ckDoEvent:
        return "yield";
      case ckTerminate:
        return "terminate";
      case ckPCReset:
      case ckReset: {
        int32_t full = command.Number("full");
        if (full != 0 && full != 1) break;
        return std::string(command.Kind() == ckReset ? "reset " : "pcreset ") +
               Target(command.Text("page"), command.Number("target"), true) + (full ? " full" : "");
      }
      case ckBreak:
      case ckContinue: {
        const TBlock* loop = nullptr;
        for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
          if (it->loop) {
            loop = &*it;
            break;
          }
        }
        if (!loop) break;
        int32_t wanted = command.Kind() == ckBreak ? loop->loop_index + 1 : loop->loop_index;
        if (command.Number("target") != wanted) break;
        return std::string(command.Kind() == ckBreak ? "break" : "continue") + Condition(command.Expr("cond"));
      }
      default:
        break;
    }
    (void)index;
    return Generic(command);
  }

  bool IsLoopStart(int index) const {
    const TCommand& command = page_.At(index);
    if (command.Kind() != ckWhile) return false;
    int32_t step = command.Number("exit") - 1;
    return step > index && step < page_.Count() && page_.At(step).Kind() == ckWhileLoop &&
           page_.At(step).Number("loop") == index;
  }

  bool SameAttributes(const TCommand& a, const TCommand& b) const {
    return a.disabled_byte == b.disabled_byte && a.continue_byte == b.continue_byte && a.line == b.line &&
           a.indent == b.indent && (a.KindByte() & 0x80) == (b.KindByte() & 0x80);
  }

  void Command(int index) {
    const TCommand& command = page_.At(index);
    if (flat_) {
      Line(Attributes(command, 0, false) + Generic(command));
      return;
    }
    int kind = command.Kind();
    // Blocks of ifs end where the indent falls back, unless an elseif or else continues them.
    while (!blocks_.empty() && !blocks_.back().loop) {
      const TBlock& block = blocks_.back();
      bool continues = command.indent == block.indent && !block.in_else && (kind == ckElseif || kind == ckElse);
      if (command.indent > block.indent || continues) break;
      blocks_.pop_back();
      depth_ = static_cast<int>(blocks_.size());
      Line("end");
    }
    int32_t depth = static_cast<int32_t>(blocks_.size());
    depth_ = depth;
    if (kind == ckWhileInit && index + 1 < page_.Count() && IsLoopStart(index + 1) &&
        SameAttributes(command, page_.At(index + 1)) && command.indent == depth) {
      skip_init_ = index;
      return;
    }
    if (kind == ckWhile && IsLoopStart(index)) {
      const TCommand& step = page_.At(command.Number("exit") - 1);
      bool for_loop = skip_init_ == index - 1 || !step.Expr("expr").Blank();
      std::string text;
      if (for_loop) {
        std::string init = skip_init_ == index - 1 ? Expr(page_.At(index - 1).Expr("expr")) : std::string();
        if (init == "<none>") init.clear();
        std::string step_text = step.Expr("expr").Blank() ? std::string() : Expr(step.Expr("expr"));
        text = "for " + init + "; " + Expr(command.Expr("cond")) + "; " + step_text;
      } else {
        text = "while " + Expr(command.Expr("cond"));
      }
      Line(Attributes(command, depth, true) + text);
      blocks_.push_back({true, command.indent, command.Number("exit") - 1, false});
      return;
    }
    if (kind == ckWhileInit && skip_init_ == index) return;
    if (kind == ckWhileLoop && !blocks_.empty() && blocks_.back().loop && blocks_.back().loop_index == index) {
      int32_t indent = blocks_.back().indent;
      blocks_.pop_back();
      depth_ = static_cast<int>(blocks_.size());
      Line(Attributes(command, indent, true) + "end");
      return;
    }
    if (kind == ckElseif || kind == ckElse) {
      if (!blocks_.empty() && !blocks_.back().loop && command.indent == blocks_.back().indent) {
        if (kind == ckElse) blocks_.back().in_else = true;
        depth_ = depth - 1;
        Line(Attributes(command, blocks_.back().indent, true) + Structured(command, index));
        return;
      }
      Line(Attributes(command, depth, true) + Generic(command));
      return;
    }
    Line(Attributes(command, depth, true) + Structured(command, index));
    if (kind == ckIf) blocks_.push_back({false, command.indent, -1, false});
  }

  const TPage& page_;
  const TDecompileOptions& options_;
  bool flat_;
  std::string out_;
  int line_ = 1;
  std::vector<TBlock> blocks_;
  int skip_init_ = -2;
  // Blocks open around the line being written (its indentation).
  int depth_ = 0;
};

}  // namespace

std::string DecompilePage(const TPage& page, const TDecompileOptions& options) {
  TCompileOptions compile;
  compile.file = "<decompiled>";
  compile.page_name = options.page_name;
  compile.find_label = [&options](const std::string& name, const std::string& label) -> std::optional<int> {
    const TPage* other = options.find_page ? options.find_page(name) : nullptr;
    int index = other ? other->FindLabel(label) : -1;
    if (index < 0) return std::nullopt;
    return index;
  };
  std::string original = page.SaveToBytes();
  for (bool flat : {false, true}) {
    std::string source = TWriter(page, options, flat).Run();
    try {
      if (CompilePageSource(source, compile) == original) return source;
    } catch (const EOrvoError&) {
    }
    if (flat) return source;
  }
  return {};
}

}  // namespace orvo
