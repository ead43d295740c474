#pragma once
// The executable expression: a list of instructions whose operands are
// constants and variable references, loaded from the stored form and run
// against the variable store. Each run keeps its temporaries to itself, so
// runs nested inside a run (Calc, text with embedded expressions) cannot
// overwrite them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "vars/ope_code.h"
#include "vars/param.h"

namespace orvo {

class TExprEngine;
class TParamCollectionItem;

struct TOpeData {
  uint8_t op = ocNone;
  std::string destination;
  uint8_t function = 0;  // for ocFunc
  // Constants, and unbound references (TParamVar) naming variable operands.
  std::vector<std::unique_ptr<TCustomParam>> operands;
};

class TOrvoParser {
 public:
  TOrvoParser();
  ~TOrvoParser();
  TOrvoParser(const TOrvoParser&) = delete;
  TOrvoParser& operator=(const TOrvoParser&) = delete;

  // Clears the list and reads the stored form. Counts, lengths and kinds are
  // checked; bad data raises and leaves the list empty.
  void LoadFromStream(TBinaryReader& reader);
  void LoadFromBytes(std::string_view bytes);
  void SaveToStream(TBinaryWriter& writer) const;
  // Clears the list and deep-copies other's instructions (references come unbound).
  void AssignFrom(const TOrvoParser& other);
  void Clear();

  // Runs the list. The first error stops the run silently; Result() is the
  // value of "____arg" when the last instruction assigned it, else null.
  void Execute(TExprEngine& engine);
  const TCustomParam* Result() const { return result_.get(); }
  std::unique_ptr<TCustomParam> TakeResult() { return std::move(result_); }

  // The message (CP932) of the error that stopped the last run; empty when it ran through.
  const std::string& LastError() const { return last_error_; }

  const std::vector<TOpeData>& Instructions() const { return list_; }
  bool Empty() const { return list_.empty(); }

 private:
  struct TSlot;
  struct TRun;
  void Prepare();
  TParamCollectionItem* Resolve(TRun& run, int32_t slot);
  void ExecuteOne(TRun& run, size_t index);
  TParamCollectionItem& CreateTemp(TRun& run, size_t index);
  void TakeResultOf(TRun& run);

  std::vector<TOpeData> list_;
  std::unique_ptr<TCustomParam> result_;
  std::string last_error_;
  // Every distinct name is one slot; runs resolve a slot once and keep the
  // store's answer while the store's generation stays the same.
  std::vector<TSlot> slots_;
  std::vector<int32_t> destination_slots_;
  std::vector<std::vector<int32_t>> operand_slots_;
  bool running_ = false;
};

// Compiles, stores, loads and runs a statement; false for empty text or when
// compiling fails (run-time errors stop the run silently and still give true).
bool RunStatement(TExprEngine& engine, std::string_view text);
// Compiles and runs an expression and hands back its value; null when the
// text is empty, does not compile or gives no value.
std::unique_ptr<TCustomParam> EvaluateText(TExprEngine& engine, std::string_view text);

}  // namespace orvo
