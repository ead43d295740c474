#include "script/lang/source_compiler.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/error.h"
#include "script/lang/expression_source.h"
#include "script/lang/source_text.h"
#include "script/property_names.h"
#include "text/markup_writer.h"

namespace orvo {

using namespace lang;

namespace {

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The leading identifier of text and the trimmed rest.
std::pair<std::string, std::string> SplitKeyword(const std::string& text) {
  size_t end = 0;
  while (end < text.size() && IsIdentifierChar(text[end])) ++end;
  return {text.substr(0, end), Trim(std::string_view(text).substr(end))};
}

bool EndsWithWord(const std::string& text, std::string_view word, std::string& before) {
  if (text.size() < word.size() || text.compare(text.size() - word.size(), word.size(), word) != 0) return false;
  if (text.size() > word.size()) {
    char c = text[text.size() - word.size() - 1];
    if (c != ' ' && c != '\t') return false;
  }
  before = Trim(std::string_view(text).substr(0, text.size() - word.size()));
  return true;
}

int ScopeCode(const std::string& word) {
  static const char* kScopes[] = {"global", "auto", "local", "status"};
  for (int i = 0; i < 4; ++i) {
    if (word == kScopes[i]) return i;
  }
  return -1;
}

int TypeCode(const std::string& word) {
  static const char* kTypes[] = {"int", "float", "bool", "str"};
  for (int i = 0; i < 4; ++i) {
    if (word == kTypes[i]) return i + 1;
  }
  return -1;
}

}  // namespace

std::string PageFileName(std::string_view text) {
  std::string name(text);
  size_t slash = name.rfind('\\');
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += ".osb";
  return name;
}

TPageCompiler::TPageCompiler(TCompileOptions options) : options_(std::move(options)), page_(std::make_unique<TPage>()) {
  page_->SetVersion(kNewestPageVersion);
  page_->SetName(options_.page_name);
}

TPageCompiler::~TPageCompiler() = default;

void TPageCompiler::Fail(const std::string& utf8_message) const {
  throw ErrorFromUtf8(options_.file + ":" + std::to_string(line_) + ": " + utf8_message);
}

void TPageCompiler::Parse(std::string_view source) {
  size_t start = 0;
  while (start <= source.size()) {
    size_t end = source.find('\n', start);
    if (end == std::string_view::npos) end = source.size();
    std::string_view raw = source.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    ++line_;
    std::string text;
    if (!TryUtf8ToCp932(raw, text)) Fail("text that is not UTF-8 or has no CP932 form");
    try {
      ParseLine(Trim(text));
    } catch (const EOrvoError& error) {
      std::string message = error.what();
      if (message.rfind(options_.file + ":", 0) == 0) throw;
      Fail(message);
    }
    if (end == source.size()) break;
    start = end + 1;
  }
  if (!blocks_.empty()) {
    line_ = blocks_.back().line;
    Fail(std::string(blocks_.back().loop ? "loop" : "if") + " without end");
  }
}

void TPageCompiler::Directive(const std::string& text) {
  auto [name, rest] = SplitKeyword(text.substr(1));
  std::vector<std::string> words = SplitTopLevel(rest, ' ');
  if (name == "version") {
    if (commands_begun_) Fail(".version must come before the commands");
    std::optional<int64_t> version = ParseInteger(rest);
    if (!version || *version < kOldestPageVersion || *version > INT32_MAX) Fail("bad page version");
    page_->SetVersion(static_cast<int32_t>(*version));
  } else if (name == "result") {
    int type = rest == "none" ? 0 : TypeCode(rest);
    if (type < 0) Fail("result must be none, int, float, bool or str");
    page_->SetResultType(static_cast<uint8_t>(type));
  } else if (name == "mask") {
    size_t space = rest.find(' ');
    std::optional<int64_t> kind = ParseInteger(rest.substr(0, space));
    std::optional<std::string> bytes = BytesOfHex(space == std::string::npos ? "" : rest.substr(space));
    if (!kind || *kind < 0 || *kind >= kCommandKindCount || !bytes || bytes->size() != kMaskBytes)
      Fail(".mask KIND followed by 22 bytes in hexadecimal");
    TMaskEntry entry{};
    std::copy(bytes->begin(), bytes->end(), entry.begin());
    explicit_masks_[static_cast<int>(*kind)] = entry;
  } else if (name == "masks") {
    std::vector<std::string> parts;
    for (const std::string& word : words) {
      if (!word.empty()) parts.push_back(word);
    }
    if (parts.size() < 2) Fail(".masks COUNT SIZE followed by COUNT*SIZE bytes in hexadecimal");
    std::optional<int64_t> count = ParseInteger(parts[0]);
    std::optional<int64_t> size = ParseInteger(parts[1]);
    std::string hex;
    for (size_t i = 2; i < parts.size(); ++i) hex += parts[i];
    std::optional<std::string> bytes = BytesOfHex(hex);
    if (!count || !size || *count < 0 || *size < 0 || !bytes || static_cast<int64_t>(bytes->size()) != *count * *size)
      Fail(".masks COUNT SIZE followed by COUNT*SIZE bytes in hexadecimal");
    raw_masks_ = *bytes;
    raw_mask_count_ = static_cast<int32_t>(*count);
    raw_mask_size_ = static_cast<int32_t>(*size);
  } else if (name == "tail") {
    std::optional<std::string> bytes = BytesOfHex(rest);
    if (!bytes) Fail(".tail takes bytes in hexadecimal");
    page_->SetUnreadTail(*bytes);
  } else {
    Fail("unknown directive ." + name);
  }
}

void TPageCompiler::Attributes(const std::string& text) {
  for (const std::string& word : SplitTopLevel(text, ' ')) {
    if (word.empty()) continue;
    size_t equals = word.find('=');
    std::string name = word.substr(0, equals);
    std::optional<int64_t> value;
    if (equals != std::string::npos) {
      value = ParseInteger(word.substr(equals + 1));
      if (!value) Fail("attribute " + name + " needs a number");
    }
    auto byte = [&](int64_t fallback) -> uint8_t {
      int64_t v = value.value_or(fallback);
      if (v < 0 || v > 255) Fail("attribute " + name + " takes 0 to 255");
      return static_cast<uint8_t>(v);
    };
    if (name == "off")
      attributes_.disabled = byte(1);
    else if (name == "yield")
      attributes_.continue_byte = 0;
    else if (name == "go")
      attributes_.continue_byte = 1;
    else if (name == "cont")
      attributes_.continue_byte = byte(1);
    else if (name == "hi")
      attributes_.high = true;
    else if ((name == "line" || name == "indent") && value && *value >= INT32_MIN && *value <= INT32_MAX)
      (name == "line" ? attributes_.line : attributes_.indent) = static_cast<int32_t>(*value);
    else
      Fail("unknown attribute " + word);
  }
}

TCommand& TPageCompiler::Add(int kind, int32_t depth) {
  if (page_->Version() > kNewestPageVersion) Fail("a page newer than the player holds no commands");
  commands_begun_ = true;
  std::unique_ptr<TCommand> command = CreateCommand(static_cast<uint8_t>(kind | (attributes_.high ? 0x80 : 0)));
  command->page_version = page_->Version();
  command->InitFields();
  command->line = attributes_.line.value_or(line_);
  command->indent = attributes_.indent.value_or(depth);
  command->disabled_byte = attributes_.disabled.value_or(0);
  command->continue_byte = attributes_.continue_byte.value_or(1);
  page_->Commands().push_back(std::move(command));
  return *page_->Commands().back();
}

TExpression TPageCompiler::ExprOf(const std::string& text) {
  TExpression expression;
  std::string trimmed = Trim(text);
  if (trimmed == "<none>" || trimmed.empty()) return expression;
  if (trimmed.size() >= 2 && trimmed.front() == '`' && trimmed.back() == '`') {
    std::optional<std::string> bytes = BytesOfHex(std::string_view(trimmed).substr(1, trimmed.size() - 2));
    if (!bytes) Fail("bad stored expression " + Cp932ToUtf8(trimmed));
    expression.Assign(*bytes);
    return expression;
  }
  try {
    expression.Assign(CompileExpression(trimmed));
  } catch (const EOrvoError& error) {
    Fail(std::string(error.what()) + ": " + Cp932ToUtf8(trimmed));
  }
  return expression;
}

void TPageCompiler::SetExpr(TCommand& command, std::string_view field, const std::string& text) {
  int index = command.FieldIndex(field);
  if (index < 0) {
    if (Trim(text).empty() || Trim(text) == "<none>") return;
    Fail(std::string(field) + " is not stored by pages of version " + std::to_string(page_->Version()));
  }
  command.fields[static_cast<size_t>(index)].expr = ExprOf(text);
}

std::string TPageCompiler::Word(const std::string& text) {
  std::string trimmed = Trim(text);
  if (!trimmed.empty() && trimmed.front() == '"') {
    std::optional<std::string> value = ParseQuoted(trimmed);
    if (!value) Fail("bad quoted text " + Cp932ToUtf8(trimmed));
    return *value;
  }
  return trimmed;
}

std::string TPageCompiler::PageName(const std::string& text) {
  std::string trimmed = Trim(text);
  if (!trimmed.empty() && trimmed.front() == '"') return Word(trimmed);
  return PageFileName(trimmed);
}

void TPageCompiler::Target(TCommand& command, const std::string& text, bool label_first) {
  std::string page = options_.page_name;
  std::string label;
  size_t colon = FindTopLevel(text, ":");
  if (colon == std::string::npos) {
    if (label_first)
      label = Word(text);
    else
      page = PageName(text);
  } else {
    std::string page_part = Trim(std::string_view(text).substr(0, colon));
    if (!page_part.empty()) page = PageName(page_part);
    label = Word(text.substr(colon + 1));
  }
  int target = command.FieldIndex("target");
  command.fields[static_cast<size_t>(command.FieldIndex("page"))].text = page;
  if (!label.empty() && label[0] == '#' && text.find('"') == std::string::npos) {
    std::optional<int64_t> index = ParseInteger(label.substr(1));
    if (!index || *index < INT32_MIN || *index > INT32_MAX) Fail("bad command index " + label);
    command.fields[static_cast<size_t>(target)].number = static_cast<int32_t>(*index);
    return;
  }
  if (label.empty()) return;
  references_.push_back({page_->Commands().size() - 1, page, label, line_});
}

void TPageCompiler::SplitCondition(std::string& text, std::string& condition, const char* otherwise) {
  size_t clause = FindIfClause(text);
  if (clause == std::string::npos) {
    condition = otherwise;
    return;
  }
  condition = Trim(std::string_view(text).substr(clause + 2));
  text = Trim(std::string_view(text).substr(0, clause));
}

TPageCompiler::TBlock* TPageCompiler::InnermostLoop() {
  for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
    if (it->loop) return &*it;
  }
  return nullptr;
}

void TPageCompiler::Generic(int kind, const std::string& rest) {
  TCommand& command = Add(kind, static_cast<int32_t>(blocks_.size()));
  size_t index = page_->Commands().size() - 1;
  if (Trim(rest).empty()) return;
  for (const std::string& item : SplitTopLevel(rest, ',')) {
    if (item.empty()) continue;
    size_t equals = item.find('=');
    if (equals == std::string::npos) Fail("expected NAME=VALUE, not " + Cp932ToUtf8(item));
    std::string name = LowerAscii(Trim(std::string_view(item).substr(0, equals)));
    std::string value = Trim(std::string_view(item).substr(equals + 1));
    int property = name.rfind("pr_", 0) == 0 ? FindProperty(name) : -1;
    if (name.rfind("pr_", 0) == 0 && property < 0) Fail("unknown property " + Cp932ToUtf8(item.substr(0, equals)));
    if (property >= 0) {
      if (command.FieldIndex("props") < 0) Fail(std::string(command.Layout().class_name) + " takes no properties");
      properties_[index][property] = ExprOf(value);
      property_lines_[index] = line_;
      continue;
    }
    if (name == "markup" && command.Kind() == ckTextIns) {
      // Markup is stored as the glyph stream it builds, with the default wait.
      try {
        command.fields[static_cast<size_t>(command.FieldIndex("text"))].text = MarkupToGlyphStream(Word(value));
      } catch (const EOrvoError& error) {
        Fail(std::string("markup: ") + error.what());
      }
      continue;
    }
    int field = command.FieldIndex(name);
    if (field < 0) Fail(std::string(command.Layout().class_name) + " has no field " + name);
    TField& target = command.fields[static_cast<size_t>(field)];
    switch (target.kind) {
      case TFieldKind::Expr:
        // The property of getprop, setprop and motion may be given by its name.
        if (name == "prop" && FindProperty(value) >= 0 && FindProperty(value) < kPropertyCount) {
          value = std::to_string(FindProperty(value));
        }
        target.expr = ExprOf(value);
        break;
      case TFieldKind::String:
      case TFieldKind::Text:
        target.text = Word(value);
        break;
      case TFieldKind::Int32:
      case TFieldKind::Byte: {
        std::optional<int64_t> number = ParseInteger(value);
        int64_t low = target.kind == TFieldKind::Byte ? 0 : INT32_MIN;
        int64_t high = target.kind == TFieldKind::Byte ? 255 : INT32_MAX;
        if (!number || *number < low || *number > high) Fail(name + " needs a number");
        target.number = static_cast<int32_t>(*number);
        break;
      }
      case TFieldKind::ExprList: {
        if (value.size() < 2 || value.front() != '(' || value.back() != ')') Fail(name + " needs (EXPR, ...)");
        std::string inner = Trim(std::string_view(value).substr(1, value.size() - 2));
        if (inner.empty()) break;
        for (const std::string& element : SplitTopLevel(inner, ',')) target.list.push_back(ExprOf(element));
        break;
      }
      case TFieldKind::Properties:
        Fail("properties are written PR_NAME=EXPR");
    }
  }
}

void TPageCompiler::ParseLine(std::string text) {
  attributes_ = TAttributes{};
  if (text.empty() || text[0] == '#') return;
  if (text[0] == '.') {
    Directive(text);
    return;
  }
  if (text[0] == '{') {
    size_t close = text.find('}');
    if (close == std::string::npos) Fail("{ without }");
    Attributes(text.substr(1, close - 1));
    text = Trim(std::string_view(text).substr(close + 1));
  }
  int32_t depth = static_cast<int32_t>(blocks_.size());
  if (text.rfind("//", 0) == 0) {
    std::string comment = text.substr(2);
    if (!comment.empty() && comment[0] == ' ') comment.erase(0, 1);
    Add(ckComment, depth).fields[0].text = comment;
    return;
  }
  auto [keyword, rest] = SplitKeyword(text);
  std::string lower = LowerAscii(keyword);
  bool assignment =
      (!rest.empty() && rest[0] == '=' && rest.compare(0, 2, "==") != 0) || (!rest.empty() && rest[0] == '[');
  if (keyword.empty() || assignment) lower.clear();

  if (lower == "if" || lower == "while") {
    bool loop = lower == "while";
    TCommand& command = Add(loop ? ckWhile : ckIf, depth);
    SetExpr(command, "cond", rest);
    TBlock block;
    block.loop = loop;
    block.opener = page_->Commands().size() - 1;
    block.line = line_;
    block.indent = command.indent;
    blocks_.push_back(std::move(block));
  } else if (lower == "for") {
    std::vector<std::string> parts = SplitTopLevel(rest, ';');
    if (parts.size() != 3) Fail("for INIT; CONDITION; STEP");
    SetExpr(Add(ckWhileInit, depth), "expr", parts[0]);
    TCommand& command = Add(ckWhile, depth);
    SetExpr(command, "cond", parts[1]);
    TBlock block;
    block.loop = true;
    block.opener = page_->Commands().size() - 1;
    block.line = line_;
    block.indent = command.indent;
    block.step = parts[2];
    blocks_.push_back(std::move(block));
  } else if (lower == "elseif" || lower == "else") {
    if (blocks_.empty() || blocks_.back().loop) Fail(lower + " without if");
    if (blocks_.back().in_else) Fail(lower + " after else");
    TCommand& command = Add(lower == "else" ? ckElse : ckElseif, blocks_.back().indent);
    if (lower == "else") {
      if (!rest.empty()) Fail("else takes nothing");
      blocks_.back().in_else = true;
    } else {
      SetExpr(command, "cond", rest);
    }
  } else if (lower == "end") {
    if (blocks_.empty()) Fail("end without a block");
    if (!rest.empty()) Fail("end takes nothing");
    TBlock block = std::move(blocks_.back());
    blocks_.pop_back();
    if (block.loop) {
      TCommand& step = Add(ckWhileLoop, block.indent);
      SetExpr(step, "expr", block.step);
      size_t loop_index = page_->Commands().size() - 1;
      step.fields[1].number = static_cast<int32_t>(block.opener);
      int32_t exit = static_cast<int32_t>(loop_index + 1);
      page_->At(static_cast<int>(block.opener)).fields[1].number = exit;
      for (size_t b : block.breaks) page_->At(static_cast<int>(b)).fields[1].number = exit;
      for (size_t c : block.continues)
        page_->At(static_cast<int>(c)).fields[1].number = static_cast<int32_t>(loop_index);
    }
  } else if (lower == "break" || lower == "continue") {
    TBlock* loop = InnermostLoop();
    if (!loop) Fail(lower + " outside a loop");
    std::string condition;
    SplitCondition(rest, condition, "TRUE");
    if (!rest.empty()) Fail(lower + " takes only an if clause");
    TCommand& command = Add(lower == "break" ? ckBreak : ckContinue, depth);
    SetExpr(command, "cond", condition);
    (lower == "break" ? loop->breaks : loop->continues).push_back(page_->Commands().size() - 1);
  } else if (lower == "goto") {
    std::string condition;
    SplitCondition(rest, condition, "TRUE");
    TCommand& command = Add(ckJump, depth);
    SetExpr(command, "cond", condition);
    Target(command, rest, true);
  } else if (lower == "call") {
    std::string condition;
    SplitCondition(rest, condition, "TRUE");
    TCommand& command = Add(ckCall, depth);
    SetExpr(command, "cond", condition);
    size_t arrow = FindTopLevel(rest, "->");
    if (arrow != std::string::npos) {
      command.fields[2].text = Word(rest.substr(arrow + 2));
      rest = Trim(std::string_view(rest).substr(0, arrow));
    }
    if (!rest.empty() && rest.back() == ')') {
      size_t open = std::string::npos;
      int depth_count = 0;
      for (size_t i = rest.size(); i-- > 0;) {
        if (rest[i] == ')') ++depth_count;
        if (rest[i] == '(' && --depth_count == 0) {
          open = i;
          break;
        }
      }
      if (open == std::string::npos) Fail("unbalanced parentheses in call");
      std::string inner = Trim(std::string_view(rest).substr(open + 1, rest.size() - open - 2));
      if (!inner.empty()) {
        for (const std::string& argument : SplitTopLevel(inner, ','))
          command.fields[4].list.push_back(ExprOf(argument));
      }
      rest = Trim(std::string_view(rest).substr(0, open));
    }
    Target(command, rest, false);
  } else if (lower == "return") {
    std::string condition;
    SplitCondition(rest, condition, "TRUE");
    if (!rest.empty()) Fail("return takes only an if clause");
    SetExpr(Add(ckExit, depth), "cond", condition);
  } else if (lower == "wait") {
    std::string condition;
    SplitCondition(rest, condition, "");
    TCommand& command = Add(ckWait, depth);
    SetExpr(command, "cond", condition);
    std::string time;
    if (EndsWithWord(rest, "noevents", time)) {
      SetExpr(command, "noevents", "TRUE");
      rest = time;
    }
    SetExpr(command, "time", rest);
  } else if ((lower == "yield" || lower == "terminate") && rest.empty()) {
    Add(lower == "yield" ? ckDoEvent : ckTerminate, depth);
  } else if (lower == "label") {
    Add(ckLabel, depth).fields[0].text = Word(rest);
    std::string name = page_->Commands().back()->fields[0].text;
    labels_.emplace(name, static_cast<int>(page_->Commands().size() - 1));
  } else if (lower == "delete") {
    Add(ckVarDel, depth).fields[0].text = Word(rest);
  } else if (lower == "var") {
    auto [first, after] = SplitKeyword(rest);
    int scope = ScopeCode(first);
    std::string declaration = scope >= 0 ? after : rest;
    if (scope < 0) scope = 0;
    size_t colon = FindTopLevel(declaration, ":");
    if (colon == std::string::npos) Fail("var [SCOPE] NAME: TYPE [= VALUE]");
    std::string name = Word(declaration.substr(0, colon));
    auto [type_word, value] = SplitKeyword(Trim(std::string_view(declaration).substr(colon + 1)));
    int type = TypeCode(type_word);
    if (type < 0) Fail("the type is int, float, bool or str");
    if (!value.empty() && value[0] != '=') Fail("expected = VALUE after the type");
    TCommand& command = Add(ckVarNew, depth);
    command.fields[0].text = name;
    command.fields[1].number = type;
    command.fields[3].number = scope;
    if (!value.empty()) SetExpr(command, "init", value.substr(1));
  } else if (lower == "pcreset" || lower == "reset") {
    std::string target;
    bool full = EndsWithWord(rest, "full", target);
    TCommand& command = Add(lower == "reset" ? ckReset : ckPCReset, depth);
    command.fields[2].number = full ? 1 : 0;
    Target(command, full ? target : rest, true);
  } else if (lower == "calc") {
    SetExpr(Add(ckCalc, depth), "expr", rest);
  } else if (int kind = lower.empty() ? -1 : FindKind(keyword); kind >= 0) {
    Generic(kind, rest);
  } else {
    SetExpr(Add(ckCalc, depth), "expr", text);
  }
}

int TPageCompiler::FindLabel(const std::string& label) const {
  auto found = labels_.find(label);
  return found == labels_.end() ? -1 : found->second;
}

std::unique_ptr<TPage> TPageCompiler::Finish() {
  for (const TReference& reference : references_) {
    line_ = reference.line;
    std::optional<int> index;
    if (reference.page == options_.page_name) {
      int own = FindLabel(reference.label);
      if (own >= 0) index = own;
    } else if (options_.find_label) {
      index = options_.find_label(reference.page, reference.label);
    }
    if (!index) Fail("no label " + Cp932ToUtf8(reference.label) + " in " + Cp932ToUtf8(reference.page));
    TCommand& command = page_->At(static_cast<int>(reference.command));
    command.fields[static_cast<size_t>(command.FieldIndex("target"))].number = *index;
  }
  if (raw_masks_) {
    page_->SetMaskRecords(raw_mask_count_, raw_mask_size_, *raw_masks_);
  } else {
    TMaskTable table = DefaultMaskTable();
    for (const auto& [index, expressions] : properties_) {
      int kind = page_->At(static_cast<int>(index)).Kind();
      if (explicit_masks_.count(kind)) continue;
      for (const auto& [bit, expression] : expressions) {
        if (!expression.Blank()) SetMaskBit(table[static_cast<size_t>(kind)], bit);
      }
    }
    for (const auto& [kind, entry] : explicit_masks_) table[static_cast<size_t>(kind)] = entry;
    page_->SetMasks(table);
  }
  for (int i = 0; i < page_->Count(); ++i) {
    TCommand& command = page_->At(i);
    int field = command.FieldIndex("props");
    if (field < 0) continue;
    std::map<int, TExpression>& given = properties_[static_cast<size_t>(i)];
    const TMaskEntry& mask = page_->Masks()[static_cast<size_t>(command.Kind())];
    auto& list = command.fields[static_cast<size_t>(field)].properties;
    for (int bit = 0; bit < kMaskBits; ++bit) {
      if (!MaskBit(mask, bit)) continue;
      auto found = given.find(bit);
      list.emplace_back(bit, found == given.end() ? TExpression() : std::move(found->second));
      if (found != given.end()) given.erase(found);
    }
    for (const auto& [bit, expression] : given) {
      if (expression.Blank()) continue;
      line_ = property_lines_[static_cast<size_t>(i)];
      std::string name(PropertyName(bit));
      Fail((name.empty() ? "PR_" + std::to_string(bit) : name) + " is not in the page's mask for " +
           std::string(command.Layout().class_name));
    }
  }
  return std::move(page_);
}

std::map<std::string, std::string> CompilePages(const std::vector<TPageSourceFile>& sources) {
  std::map<std::string, std::unique_ptr<TPageCompiler>> compilers;
  auto find_label = [&compilers](const std::string& page, const std::string& label) -> std::optional<int> {
    for (const auto& [name, compiler] : compilers) {
      if (!EqualsNoCase(name, page)) continue;
      int index = compiler->FindLabel(label);
      if (index >= 0) return index;
    }
    return std::nullopt;
  };
  for (const TPageSourceFile& source : sources) {
    TCompileOptions options;
    options.file = source.file;
    options.page_name = source.page_name;
    options.find_label = find_label;
    auto compiler = std::make_unique<TPageCompiler>(options);
    compiler->Parse(source.text);
    compilers[source.page_name] = std::move(compiler);
  }
  std::map<std::string, std::string> pages;
  for (auto& [name, compiler] : compilers) pages[name] = compiler->Finish()->SaveToBytes();
  return pages;
}

std::string CompilePageSource(std::string_view utf8_source, const TCompileOptions& options) {
  TPageCompiler compiler(options);
  compiler.Parse(utf8_source);
  return compiler.Finish()->SaveToBytes();
}

}  // namespace orvo
