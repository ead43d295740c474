#pragma once
// A page command: the common record, the kind's stored fields (kept exactly
// as read, so a page written back is the same bytes), and the virtual
// operations through which the interpreter runs it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "script/page_format.h"
#include "vars/parser.h"

namespace orvo {

class TCallMan;
class TExprEngine;

// One stored expression: the bytes as read and their executable form.
class TExpression {
 public:
  TExpression();
  ~TExpression();
  TExpression(TExpression&&) noexcept;
  TExpression& operator=(TExpression&&) noexcept;

  // Reads one expression block from the reader (bad data raises).
  void Load(TBinaryReader& reader);
  // Takes a stored form (the compiler's output); bad data raises.
  void Assign(std::string bytes);
  void Save(TBinaryWriter& writer) const;

  // True when the block holds no instruction: evaluating it gives no value.
  bool Empty() const { return parser_->Empty(); }
  // True for the usual empty block (a zero count), as the compiler writes it.
  bool Blank() const { return bytes_.size() == 4 && bytes_ == std::string(4, '\0'); }
  const std::string& Bytes() const { return bytes_; }
  const TOrvoParser& Parser() const { return *parser_; }

  // Runs the expression; the value, or null when it gives none. The value
  // stays valid until the next evaluation of this expression.
  const TCustomParam* Evaluate(TExprEngine& engine) const;
  std::optional<bool> AsBool(TExprEngine& engine) const;
  std::optional<int32_t> AsInt(TExprEngine& engine) const;
  std::optional<std::string> AsStr(TExprEngine& engine) const;

 private:
  std::string bytes_;
  std::unique_ptr<TOrvoParser> parser_;
};

// The expression "no value" of absent fields.
const TExpression& EmptyExpression();

// One stored field after the common record; which members are used depends on kind.
struct TField {
  TFieldKind kind = TFieldKind::Expr;
  TExpression expr;               // Expr
  std::string text;               // String, Text (bytes)
  int32_t number = 0;             // Int32, Byte
  std::vector<TExpression> list;  // ExprList
  // Properties: the property number of every set mask bit, ascending, with its expression.
  std::vector<std::pair<int, TExpression>> properties;
};

class TCommand {
 public:
  explicit TCommand(uint8_t kind_byte);
  virtual ~TCommand();
  TCommand(const TCommand&) = delete;
  TCommand& operator=(const TCommand&) = delete;

  // The kind code (the low six bits of the stored kind byte).
  int Kind() const { return kind_byte_ & 0x3f; }
  // The kind byte as stored (bit 0x80 is kept, ignored otherwise).
  uint8_t KindByte() const { return kind_byte_; }
  const TKindLayout& Layout() const { return KindLayout(Kind()); }

  // Whether the interpreter goes on within the same frame after this command.
  virtual bool ContinueAfter() const { return continue_byte != 0; }
  // Whether the command is passed over without effect.
  virtual bool IsDisabled() const { return disabled_byte != 0; }
  void SetDisabled(bool disabled) { disabled_byte = disabled ? 1 : 0; }
  // True while events must not run during this command's wait.
  virtual bool BlocksEvents() const { return false; }
  // True only for a label command of exactly that name.
  virtual bool IsLabel(std::string_view name) const {
    (void)name;
    return false;
  }
  // Called once when the program counter first reaches the command.
  virtual void Start(TCallMan& call_man) { (void)call_man; }
  // Runs the command; the base advances the program counter by one.
  virtual void Execute(TCallMan& call_man);
  // Writes a waiting command's progress (an "orvo100" record); nothing by default.
  virtual void SaveState(TBinaryWriter& writer) const { (void)writer; }
  // Reads what SaveState wrote; nothing by default.
  virtual void LoadState(TBinaryReader& reader) { (void)reader; }
  // Ends a waiting command at once.
  virtual void Abort(TCallMan& call_man) { (void)call_man; }
  // True while the command holds the program counter until it finishes.
  virtual bool IsWaiting() const { return false; }

  // Reads the common record and the kind's fields for a page of that version.
  void Load(TBinaryReader& reader, int32_t page_version, const TMaskEntry& mask);
  // Writes the kind byte, the common record and the fields.
  void Save(TBinaryWriter& writer, int32_t page_version) const;

  // One entry per row of the kind's field table; rows that the page's
  // version leaves out stay empty and are not written.
  std::vector<TField> fields;
  // Makes the fields of the kind's table, all empty (for commands built in memory).
  void InitFields();
  // Index into fields of the kind's field named name, or -1 when the kind
  // has none or the page's version leaves it out.
  int FieldIndex(std::string_view name) const;
  // Whether row index of the field table is stored by a page of page_version.
  bool FieldPresent(size_t index) const;
  const TField* FindField(std::string_view name) const;
  // The expression field of that name; an empty one when absent.
  const TExpression& Expr(std::string_view name) const;
  // The same by row of the field table (for the hot paths of the interpreter).
  const TExpression& ExprAt(size_t index) const {
    return index < fields.size() && FieldPresent(index) ? fields[index].expr : EmptyExpression();
  }
  const std::string& Text(std::string_view name) const;
  int32_t Number(std::string_view name) const;

  int32_t indent = 0;
  uint8_t disabled_byte = 0;
  uint8_t continue_byte = 1;
  int32_t line = 0;
  // Version of the owning page: decides which conditional fields exist.
  int32_t page_version = kNewestPageVersion;

 protected:
  uint8_t kind_byte_;
};

// Creates the command of a kind byte; bit 0x40 raises "不正なコマンド".
std::unique_ptr<TCommand> CreateCommand(uint8_t kind_byte);

// Reading a waiting command's state record: the version of a leading
// "orvoNNN" tag (consumed), or 0 when there is none (nothing consumed).
int ReadStateVersion(TBinaryReader& reader);
// Writes the "orvo100" tag.
void WriteStateTag(TBinaryWriter& writer);

}  // namespace orvo
