#pragma once
// The page file's vocabulary: the 64 command kinds, the fields each stores
// after the common record (with the page-version conditions), and the
// built-in property-mask table. Reader, writer, interpreter and the source
// language all work from this one table.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace orvo {

constexpr int kCommandKindCount = 64;
constexpr int kMaskBytes = 22;  // 176 property bits per kind
constexpr int kMaskBits = kMaskBytes * 8;
// The newest page version the player runs; newer pages load empty, older
// than kOldestPageVersion must be rebuilt.
constexpr int32_t kNewestPageVersion = 117;
constexpr int32_t kOldestPageVersion = 103;

enum class TFieldKind : uint8_t {
  Expr,        // compiled expression block
  String,      // stored string
  Int32,       // int32
  Byte,        // one byte (type, scope, flags)
  Text,        // int32 count and that many bytes (message text)
  ExprList,    // int32 count and that many expressions
  Properties,  // one expression per set bit of the kind's property mask
};

struct TFieldLayout {
  TFieldKind kind;
  std::string_view name;  // the field's name in the source language
  // The field is present only when the owning page's version exceeds this.
  int32_t after_version = 0;
};

struct TKindLayout {
  std::string_view class_name;  // "TComIf" ...
  std::string_view keyword;     // the source language's generic keyword
  std::span<const TFieldLayout> fields;
};

// Row of kind 0..63.
const TKindLayout& KindLayout(int kind);
// The kind whose class name or keyword is name (ASCII case ignored), or -1.
int FindKind(std::string_view name);

using TMaskEntry = std::array<uint8_t, kMaskBytes>;
using TMaskTable = std::array<TMaskEntry, kCommandKindCount>;

// The table of the built-in default page.
const TMaskTable& DefaultMaskTable();
inline bool MaskBit(const TMaskEntry& entry, int bit) { return (entry[static_cast<size_t>(bit / 8)] >> (bit % 8)) & 1; }
inline void SetMaskBit(TMaskEntry& entry, int bit) {
  entry[static_cast<size_t>(bit / 8)] = static_cast<uint8_t>(entry[static_cast<size_t>(bit / 8)] | (1 << (bit % 8)));
}

// Kind codes the interpreter and the language treat specially.
enum TCommandKind : uint8_t {
  ckIf = 0,
  ckElseif = 1,
  ckElse = 2,
  ckLabel = 3,
  ckJump = 4,
  ckCall = 5,
  ckExit = 6,
  ckWait = 7,
  ckFlip = 13,
  ckCalc = 14,
  ckVarNew = 15,
  ckVarDel = 16,
  ckTextIns = 20,
  ckMovieStop = 21,
  ckComment = 27,
  ckWhile = 31,
  ckWhileInit = 32,
  ckWhileLoop = 33,
  ckBreak = 34,
  ckContinue = 35,
  ckGameSave = 38,
  ckGameLoad = 39,
  ckPCReset = 40,
  ckReset = 41,
  ckTerminate = 45,
  ckDoEvent = 46,
  ckIfdef = 61,
  ckIfndef = 62,
  ckEndif = 63,
};

}  // namespace orvo
