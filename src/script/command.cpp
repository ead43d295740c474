#include "script/command.h"

#include <cstring>

#include "base/error.h"
#include "script/call_man.h"
#include "vars/engine.h"

namespace orvo {

namespace {

// The smallest stored expression: its instruction count.
constexpr int64_t kMinExpressionBytes = 4;

}  // namespace

// ---- TExpression ------------------------------------------------------------

TExpression::TExpression() : bytes_(kMinExpressionBytes, '\0'), parser_(std::make_unique<TOrvoParser>()) {}
TExpression::~TExpression() = default;
TExpression::TExpression(TExpression&&) noexcept = default;
TExpression& TExpression::operator=(TExpression&&) noexcept = default;

void TExpression::Load(TBinaryReader& reader) {
  int64_t start = reader.Position();
  parser_->LoadFromStream(reader);
  int64_t end = reader.Position();
  TStream& stream = reader.Stream();
  stream.SetPosition(start);
  bytes_.resize(static_cast<size_t>(end - start));
  stream.ReadBuffer(bytes_.data(), bytes_.size());
}

void TExpression::Assign(std::string bytes) {
  parser_->LoadFromBytes(bytes);
  bytes_ = std::move(bytes);
}

void TExpression::Save(TBinaryWriter& writer) const { writer.WriteBytes(bytes_); }

const TCustomParam* TExpression::Evaluate(TExprEngine& engine) const {
  if (parser_->Empty()) return nullptr;
  parser_->Execute(engine);
  return parser_->Result();
}

std::optional<bool> TExpression::AsBool(TExprEngine& engine) const {
  const TCustomParam* value = Evaluate(engine);
  if (!value) return std::nullopt;
  return value->GetAsBool();
}

std::optional<int32_t> TExpression::AsInt(TExprEngine& engine) const {
  const TCustomParam* value = Evaluate(engine);
  if (!value) return std::nullopt;
  return value->GetAsInt();
}

std::optional<std::string> TExpression::AsStr(TExprEngine& engine) const {
  const TCustomParam* value = Evaluate(engine);
  if (!value) return std::nullopt;
  return value->GetAsStr();
}

const TExpression& EmptyExpression() {
  static const TExpression empty;
  return empty;
}

// ---- TCommand ---------------------------------------------------------------

TCommand::TCommand(uint8_t kind_byte) : kind_byte_(kind_byte) {}
TCommand::~TCommand() = default;

void TCommand::Execute(TCallMan& call_man) { call_man.Advance(); }

void TCommand::InitFields() {
  fields.clear();
  for (const TFieldLayout& layout : Layout().fields) {
    TField field;
    field.kind = layout.kind;
    fields.push_back(std::move(field));
  }
}

bool TCommand::FieldPresent(size_t index) const {
  const auto& layouts = Layout().fields;
  return index < layouts.size() && page_version > layouts[index].after_version;
}

int TCommand::FieldIndex(std::string_view name) const {
  const auto& layouts = Layout().fields;
  for (size_t i = 0; i < layouts.size() && i < fields.size(); ++i) {
    if (layouts[i].name == name) return FieldPresent(i) ? static_cast<int>(i) : -1;
  }
  return -1;
}

const TField* TCommand::FindField(std::string_view name) const {
  int index = FieldIndex(name);
  return index < 0 ? nullptr : &fields[static_cast<size_t>(index)];
}

const TExpression& TCommand::Expr(std::string_view name) const {
  const TField* field = FindField(name);
  return field ? field->expr : EmptyExpression();
}

const std::string& TCommand::Text(std::string_view name) const {
  static const std::string empty;
  const TField* field = FindField(name);
  return field ? field->text : empty;
}

int32_t TCommand::Number(std::string_view name) const {
  const TField* field = FindField(name);
  return field ? field->number : 0;
}

void TCommand::Load(TBinaryReader& reader, int32_t version, const TMaskEntry& mask) {
  page_version = version;
  indent = reader.ReadInt32();
  disabled_byte = reader.ReadByte();
  continue_byte = reader.ReadByte();
  line = reader.ReadInt32();
  InitFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!FieldPresent(i)) continue;
    TField& field = fields[i];
    switch (field.kind) {
      case TFieldKind::Expr:
        field.expr.Load(reader);
        break;
      case TFieldKind::String:
      case TFieldKind::Text:
        field.text = reader.ReadString();
        break;
      case TFieldKind::Int32:
        field.number = reader.ReadInt32();
        break;
      case TFieldKind::Byte:
        field.number = reader.ReadByte();
        break;
      case TFieldKind::ExprList: {
        int32_t count = reader.ReadInt32();
        size_t checked = reader.RequireCount(count < 0 ? 0 : count, kMinExpressionBytes);
        field.list.resize(checked);
        for (TExpression& expression : field.list) expression.Load(reader);
        break;
      }
      case TFieldKind::Properties:
        for (int bit = 0; bit < kMaskBits; ++bit) {
          if (!MaskBit(mask, bit)) continue;
          field.properties.emplace_back(bit, TExpression());
          field.properties.back().second.Load(reader);
        }
        break;
    }
  }
}

void TCommand::Save(TBinaryWriter& writer, int32_t version) const {
  writer.WriteByte(kind_byte_);
  writer.WriteInt32(indent);
  writer.WriteByte(disabled_byte);
  writer.WriteByte(continue_byte);
  writer.WriteInt32(line);
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i >= Layout().fields.size() || version <= Layout().fields[i].after_version) continue;
    const TField& field = fields[i];
    switch (field.kind) {
      case TFieldKind::Expr:
        field.expr.Save(writer);
        break;
      case TFieldKind::String:
      case TFieldKind::Text:
        writer.WriteString(field.text);
        break;
      case TFieldKind::Int32:
        writer.WriteInt32(field.number);
        break;
      case TFieldKind::Byte:
        writer.WriteByte(static_cast<uint8_t>(field.number));
        break;
      case TFieldKind::ExprList:
        writer.WriteInt32(static_cast<int32_t>(field.list.size()));
        for (const TExpression& expression : field.list) expression.Save(writer);
        break;
      case TFieldKind::Properties:
        for (const auto& [bit, expression] : field.properties) expression.Save(writer);
        break;
    }
  }
}

// ---- state records ----------------------------------------------------------

int ReadStateVersion(TBinaryReader& reader) {
  if (reader.Remaining() < 7) return 0;
  int64_t start = reader.Position();
  std::string tag = reader.ReadBytes(7);
  if (tag.compare(0, 4, "orvo") != 0) {
    reader.Stream().SetPosition(start);
    return 0;
  }
  int version = 0;
  for (size_t i = 4; i < 7; ++i) {
    if (tag[i] < '0' || tag[i] > '9') {
      reader.Stream().SetPosition(start);
      return 0;
    }
    version = version * 10 + (tag[i] - '0');
  }
  return version;
}

void WriteStateTag(TBinaryWriter& writer) { writer.WriteBytes("orvo100"); }

}  // namespace orvo
