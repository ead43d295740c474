#include "vars/parser.h"

#include <unordered_map>

#include "base/cp932.h"
#include "base/numeric.h"
#include "base/stream.h"
#include "vars/compiler.h"
#include "vars/convert.h"
#include "vars/engine.h"
#include "vars/messages.h"
#include "vars/param_types.h"
#include "vars/param_var.h"

namespace orvo {

struct TOrvoParser::TSlot {
  std::string name;
  bool temp = false;
  TParamCollectionItem* cached = nullptr;
  uint64_t generation = 0;
};

// One run: its own temporaries, by slot, freed when the run ends.
struct TOrvoParser::TRun {
  TExprEngine& engine;
  TParamCollection& store;
  std::vector<std::unique_ptr<TParamCollectionItem>> temps;
};

namespace {

// The smallest stored instruction: op, empty destination, operand count.
constexpr int64_t kMinInstruction = 1 + 4 + 4;
// The smallest stored operand: a tag and a flag byte.
constexpr int64_t kMinOperand = 2;

[[noreturn]] void MissingOperand(size_t index) {
  throw EOrvoError("List index out of bounds (" + std::to_string(index) + ")");
}

TCustomParam& OperandAt(const TOpeData& ope, size_t index) {
  if (index >= ope.operands.size()) MissingOperand(index);
  return *ope.operands[index];
}

std::unique_ptr<TCustomParam> ReadOperand(TBinaryReader& reader) {
  uint8_t tag = reader.ReadByte();
  std::unique_ptr<TCustomParam> operand;
  switch (tag) {
    case PT_INT:
      operand = std::make_unique<TParamInt>();
      operand->SetAsInt(reader.ReadInt32());
      break;
    case PT_FLOAT:
      operand = std::make_unique<TParamFloat>();
      operand->SetAsFloat(reader.ReadExt80());
      break;
    case PT_BOOL:
      operand = std::make_unique<TParamFlag>();
      operand->SetAsBool(reader.ReadByte() != 0);
      break;
    case PT_STR:
      operand = std::make_unique<TParamStr>();
      operand->SetAsStr(reader.ReadString());
      break;
    default:  // 0 and every other tag name a variable
      operand = std::make_unique<TParamVar>(reader.ReadString());
      break;
  }
  return operand;
}

void WriteOperand(TBinaryWriter& writer, const TCustomParam& operand) {
  TParamType kind = operand.ClassKind();
  writer.WriteByte(kind);
  switch (kind) {
    case PT_INT:
      writer.WriteInt32(operand.GetAsInt());
      break;
    case PT_FLOAT:
      writer.WriteExt80(operand.GetAsFloat());
      break;
    case PT_BOOL:
      writer.WriteByte(operand.GetAsBool() ? 1 : 0);
      break;
    case PT_STR:
      writer.WriteString(operand.GetAsStr());
      break;
    default:
      writer.WriteString(static_cast<const TParamVar&>(operand).Name());
      break;
  }
}

TParamType TempKind(const TOpeData& ope, ISystemHost& host) {
  auto kind = [&](size_t i) { return OperandAt(ope, i).ParamType(); };
  switch (ope.op) {
    case ocTo:
      return kind(0);
    case ocPlus:
      if (kind(0) == PT_STR) return PT_STR;
      return (kind(0) == PT_FLOAT || kind(1) == PT_FLOAT) ? PT_FLOAT : PT_INT;
    case ocMinus:
    case ocMul:
    case ocDiv:
      return (kind(0) == PT_FLOAT || kind(1) == PT_FLOAT) ? PT_FLOAT : PT_INT;
    case ocMod:
    case ocOr:
    case ocAnd:
    case ocXor:
    case ocShiftL:
    case ocShiftR:
      return PT_INT;
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual:
      return PT_BOOL;
    case ocComboStr:
      return PT_STR;
    case ocFunc: {
      if (ope.function >= kFunctionCount) return PT_INT;  // unknown numbers do nothing
      if (ope.function != 2) return FunctionInfo(ope.function).result;
      int32_t property = OperandAt(ope, 1).GetAsInt() & 0xFF;
      if (property > 172) RaiseVars(TVarsMessage::BadPropertyNumber);
      return host.PropertyKind(property);
    }
    default: {
      std::string detail = ope.destination + Utf8ToCp932("演算タイプ:") + std::string(OpeCodeName(ope.op));
      for (const auto& operand : ope.operands) detail += "\r\n" + operand->GetAsStr();
      RaiseVars(TVarsMessage::BadExpression, detail);
    }
  }
}

// Builds the element reference of an ocDimTo temporary, checking the indices.
std::unique_ptr<TCustomParam> MakeElementReference(const TOpeData& ope) {
  TCustomParam& array = OperandAt(ope, 0);
  std::string name = array.IsReference() ? static_cast<TParamVar&>(array).Name() : array.GetAsStr();
  TParamCollectionItem* item = array.IsReference() ? static_cast<TParamVar&>(array).TargetItem() : nullptr;
  if (!item || item->Value().IsReference()) RaiseVars(TVarsMessage::NoSuchVariable, name);
  const TCustomParam& value = item->Value();
  std::vector<int32_t> indices;
  for (size_t i = 1; i < ope.operands.size(); ++i) indices.push_back(ope.operands[i]->GetAsInt());
  auto fail = [&](TVarsMessage message) {
    std::string text = name;
    text += '[';
    for (size_t i = 0; i < indices.size(); ++i) {
      if (i) text += ',';
      text += std::to_string(indices[i]);
    }
    text += "]\r\n";
    text += VarsMessage(message);
    throw EOrvoError(text);
  };
  if (static_cast<int64_t>(indices.size()) != value.DimCount()) fail(TVarsMessage::BadSubscript);
  // offset = sum of index[k] times the sizes after k, kept within bounds so
  // that no dimensions from a damaged save can overflow it.
  constexpr int64_t kLimit = int64_t{1} << 62;
  int64_t offset = 0;
  for (size_t k = 0; k < indices.size(); ++k) {
    __int128 next = static_cast<__int128>(offset) * value.DimSize(static_cast<int32_t>(k)) + indices[k];
    offset = static_cast<int64_t>(next > kLimit ? kLimit : (next < -kLimit ? -kLimit : next));
  }
  if (offset >= value.Count()) fail(TVarsMessage::ElementCountExceeded);
  auto reference = std::make_unique<TParamVar>(name);
  // A negative offset is left to the element access, which reports it.
  reference->Bind(item, static_cast<int32_t>(std::max<int64_t>(offset, INT32_MIN)));
  return reference;
}

bool CompareValues(uint8_t op, const TCustomParam& a, const TCustomParam& b) {
  int order = 0;
  bool unordered = false;
  switch (a.ParamType()) {
    case PT_STR: {
      int c = a.GetAsStr().compare(b.GetAsStr());
      order = c < 0 ? -1 : (c > 0 ? 1 : 0);
      break;
    }
    case PT_FLOAT: {
      long double x = a.GetAsFloat();
      long double y = b.GetAsFloat();
      unordered = std::isnan(x) || std::isnan(y);
      order = x < y ? -1 : (x > y ? 1 : 0);
      break;
    }
    case PT_BOOL:
      order = static_cast<int>(a.GetAsBool()) - static_cast<int>(b.GetAsBool());
      break;
    default: {
      int32_t x = a.GetAsInt();
      int32_t y = b.GetAsInt();
      order = x < y ? -1 : (x > y ? 1 : 0);
      break;
    }
  }
  switch (op) {
    case ocEqual:
      return !unordered && order == 0;
    case ocNEqual:
      return unordered || order != 0;
    case ocBig:
      return !unordered && order > 0;
    case ocSmall:
      return !unordered && order < 0;
    case ocEBig:
      return !unordered && order >= 0;
    default:
      return !unordered && order <= 0;
  }
}

void Arithmetic(uint8_t op, const TCustomParam& a, const TCustomParam& b, TCustomParam& destination) {
  if (destination.ParamType() == PT_FLOAT && op <= ocDiv) {
    long double x = a.GetAsFloat();
    long double y = b.GetAsFloat();
    long double result = 0;
    switch (op) {
      case ocPlus:
        result = x + y;
        break;
      case ocMinus:
        result = x - y;
        break;
      case ocMul:
        result = x * y;
        break;
      default:
        if (y == 0) RaiseVars(TVarsMessage::RealDivisionByZero);
        result = x / y;
        break;
    }
    destination.SetAsFloat(result);
    return;
  }
  int32_t x = a.GetAsInt();
  int32_t y = b.GetAsInt();
  int32_t result = 0;
  switch (op) {
    case ocPlus:
      result = WrapAdd(x, y);
      break;
    case ocMinus:
      result = WrapSub(x, y);
      break;
    case ocMul:
      result = WrapMul(x, y);
      break;
    case ocDiv:
      if (y == 0) RaiseVars(TVarsMessage::DivisionByZero);
      result = WrapDiv(x, y);
      break;
    case ocMod:
      if (y == 0) RaiseVars(TVarsMessage::DivisionByZero);
      result = WrapMod(x, y);
      break;
    case ocOr:
      result = x | y;
      break;
    case ocAnd:
      result = x & y;
      break;
    case ocXor:
      result = x ^ y;
      break;
    case ocShiftL:
      result = static_cast<int32_t>(static_cast<uint32_t>(x) << (y & 31));
      break;
    default:
      result = static_cast<int32_t>(static_cast<uint32_t>(x) >> (y & 31));
      break;
  }
  destination.SetAsInt(result);
}

}  // namespace

TOrvoParser::TOrvoParser() = default;
TOrvoParser::~TOrvoParser() = default;

void TOrvoParser::Clear() {
  list_.clear();
  result_.reset();
  Prepare();
}

void TOrvoParser::Prepare() {
  slots_.clear();
  destination_slots_.clear();
  operand_slots_.clear();
  std::unordered_map<std::string, int32_t> by_name;
  auto slot_of = [&](const std::string& name) {
    auto [it, inserted] = by_name.try_emplace(LowerAscii(name), static_cast<int32_t>(slots_.size()));
    if (inserted) slots_.push_back({name, IsTempName(name), nullptr, 0});
    return it->second;
  };
  for (const TOpeData& ope : list_) {
    destination_slots_.push_back(slot_of(ope.destination));
    std::vector<int32_t> operands;
    for (const auto& operand : ope.operands) {
      operands.push_back(operand->IsReference() ? slot_of(static_cast<TParamVar&>(*operand).Name()) : -1);
    }
    operand_slots_.push_back(std::move(operands));
  }
}

void TOrvoParser::LoadFromStream(TBinaryReader& reader) {
  Clear();
  try {
    int32_t count = reader.ReadInt32();
    if (count > 0) reader.RequireCount(count, kMinInstruction);
    for (int32_t i = 0; i < count; ++i) {
      TOpeData ope;
      ope.op = reader.ReadByte();
      ope.destination = reader.ReadString();
      int32_t operands = reader.ReadInt32();
      if (ope.op == ocFunc) ope.function = reader.ReadByte();
      if (operands > 0) reader.RequireCount(operands, kMinOperand);
      for (int32_t k = 0; k < operands; ++k) ope.operands.push_back(ReadOperand(reader));
      list_.push_back(std::move(ope));
    }
  } catch (...) {
    Clear();
    throw;
  }
  Prepare();
}

void TOrvoParser::LoadFromBytes(std::string_view bytes) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  LoadFromStream(reader);
}

void TOrvoParser::SaveToStream(TBinaryWriter& writer) const {
  writer.WriteInt32(static_cast<int32_t>(list_.size()));
  for (const TOpeData& ope : list_) {
    writer.WriteByte(ope.op);
    writer.WriteString(ope.destination);
    writer.WriteInt32(static_cast<int32_t>(ope.operands.size()));
    if (ope.op == ocFunc) writer.WriteByte(ope.function);
    for (const auto& operand : ope.operands) WriteOperand(writer, *operand);
  }
}

void TOrvoParser::AssignFrom(const TOrvoParser& other) {
  if (&other == this) return;
  std::vector<TOpeData> copy;
  for (const TOpeData& ope : other.list_) {
    TOpeData duplicate{ope.op, ope.destination, ope.function, {}};
    for (const auto& operand : ope.operands) duplicate.operands.push_back(operand->Clone());
    copy.push_back(std::move(duplicate));
  }
  Clear();
  list_ = std::move(copy);
  Prepare();
}

TParamCollectionItem* TOrvoParser::Resolve(TRun& run, int32_t slot_index) {
  TSlot& slot = slots_[static_cast<size_t>(slot_index)];
  if (slot.temp) {
    if (TParamCollectionItem* temp = run.temps[static_cast<size_t>(slot_index)].get()) return temp;
  }
  uint64_t generation = run.store.Generation();
  if (slot.generation != generation) {
    slot.cached = run.store.Find(slot.name);
    slot.generation = generation;
  }
  return slot.cached;
}

TParamCollectionItem& TOrvoParser::CreateTemp(TRun& run, size_t index) {
  const TOpeData& ope = list_[index];
  std::unique_ptr<TCustomParam> value =
      ope.op == ocDimTo ? MakeElementReference(ope) : MakeParam(TempKind(ope, run.engine.Host()));
  auto& slot = run.temps[static_cast<size_t>(destination_slots_[index])];
  slot = std::make_unique<TParamCollectionItem>(std::move(value));
  return *slot;
}

void TOrvoParser::ExecuteOne(TRun& run, size_t index) {
  TOpeData& ope = list_[index];
  const std::vector<int32_t>& operand_slots = operand_slots_[index];
  // Operands are bound for this instruction only, and unbound however it ends.
  struct TUnbind {
    TOpeData& ope;
    const std::vector<int32_t>& slots;
    ~TUnbind() {
      for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i] >= 0) static_cast<TParamVar&>(*ope.operands[i]).Unbind();
      }
    }
  } unbind{ope, operand_slots};
  for (size_t i = 0; i < operand_slots.size(); ++i) {
    if (operand_slots[i] < 0) continue;
    auto& operand = static_cast<TParamVar&>(*ope.operands[i]);
    TParamCollectionItem* item = Resolve(run, operand_slots[i]);
    if (!item) RaiseVars(TVarsMessage::NoSuchVariable, operand.Name());
    operand.Bind(item, 0);
  }
  int32_t destination_slot = destination_slots_[index];
  TParamCollectionItem* destination = Resolve(run, destination_slot);
  if (!destination && slots_[static_cast<size_t>(destination_slot)].temp) destination = &CreateTemp(run, index);
  if (!destination) RaiseVars(TVarsMessage::NoSuchVariable, ope.destination);
  TCustomParam& target = destination->Value();

  switch (ope.op) {
    case ocTo: {
      const TCustomParam& a = OperandAt(ope, 0);
      switch (target.ParamType()) {
        case PT_INT:
          target.SetAsInt(a.GetAsInt());
          break;
        case PT_FLOAT:
          target.SetAsFloat(a.GetAsFloat());
          break;
        case PT_BOOL:
          target.SetAsBool(a.GetAsBool());
          break;
        case PT_STR:
          target.SetAsStr(a.GetAsStr());
          break;
        default:
          break;
      }
      break;
    }
    case ocPlus:
    case ocMinus:
    case ocMul:
    case ocDiv:
    case ocMod:
    case ocOr:
    case ocAnd:
    case ocXor:
    case ocShiftL:
    case ocShiftR:
      Arithmetic(ope.op, OperandAt(ope, 0), OperandAt(ope, 1), target);
      break;
    case ocComboStr: {
      std::string text = OperandAt(ope, 0).GetAsStr();
      std::string tail = OperandAt(ope, 1).GetAsStr();
      if (text.size() + tail.size() > kMaxScriptString) RaiseVars(TVarsMessage::OutOfMemory);
      target.SetAsStr(text + tail);
      break;
    }
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual:
      target.SetAsBool(CompareValues(ope.op, OperandAt(ope, 0), OperandAt(ope, 1)));
      break;
    case ocFunc: {
      std::vector<TCustomParam*> arguments;
      arguments.reserve(ope.operands.size());
      for (const auto& operand : ope.operands) arguments.push_back(operand.get());
      run.engine.Functions().CallFunction(run.engine, *destination, ope.function, arguments);
      break;
    }
    default:  // ocDimTo, ocNone and unknown codes: nothing beyond the temporary
      break;
  }
}

void TOrvoParser::TakeResultOf(TRun& run) {
  if (list_.empty()) return;
  size_t last = list_.size() - 1;
  if (list_[last].op != ocTo || !EqualsNoCase(list_[last].destination, kArgTemp)) return;
  TParamCollectionItem* item = Resolve(run, destination_slots_[last]);
  if (item) result_ = CopyOutValue(item->Value(), kArgTemp);
}

void TOrvoParser::Execute(TExprEngine& engine) {
  result_.reset();
  last_error_.clear();
  if (running_) {
    // The same list inside its own run (a function that runs it again): run
    // a copy, so that the outer run's bound operands stay as they are.
    TOrvoParser copy;
    copy.AssignFrom(*this);
    copy.Execute(engine);
    result_ = copy.TakeResult();
    last_error_ = copy.LastError();
    return;
  }
  if (engine.nesting_ >= TExprEngine::kMaxNesting) {
    last_error_ = VarsMessage(TVarsMessage::NestingTooDeep);
    return;
  }
  struct TGuard {
    bool& running;
    int& nesting;
    TGuard(bool& r, int& n) : running(r), nesting(n) { running = true, ++nesting; }
    ~TGuard() { running = false, --nesting; }
  } guard(running_, engine.nesting_);
  TRun run{engine, engine.Store(), {}};
  run.temps.resize(slots_.size());
  try {
    for (size_t i = 0; i < list_.size(); ++i) ExecuteOne(run, i);
  } catch (const EOrvoError& error) {
    // An error ends the run silently; what ran before stays done.
    last_error_ = error.Message();
  } catch (const std::exception& error) {
    last_error_ = error.what();
  }
  try {
    TakeResultOf(run);
  } catch (const std::exception&) {
    result_.reset();
  }
}

bool RunStatement(TExprEngine& engine, std::string_view text) {
  std::string statement = TrimText(text);
  if (statement.empty()) return false;
  TOrvoParser parser;
  try {
    parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(statement));
  } catch (const std::exception&) {
    return false;
  }
  parser.Execute(engine);
  return true;
}

std::unique_ptr<TCustomParam> EvaluateText(TExprEngine& engine, std::string_view text) {
  std::string expression = TrimText(text);
  if (expression.empty()) return nullptr;
  TOrvoParser parser;
  try {
    parser.LoadFromBytes(TBuildOrvoParser::CompileToBytes(expression));
  } catch (const std::exception&) {
    return nullptr;
  }
  parser.Execute(engine);
  return parser.TakeResult();
}

}  // namespace orvo
