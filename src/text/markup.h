#pragma once
// The tag language of message text: the tokenizer that cuts joined lines
// into text and tag tokens, the parsed tag with its attribute readers, and
// the style stacks that a build keeps while it turns tokens into glyphs.
// All text is CP932: every scan steps over double-byte characters.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace orvo {

// An A tag without HREF or an IF tag without TARGET.
class EMarkupError : public EOrvoError {
 public:
  using EOrvoError::EOrvoError;
};

enum TTagCode : uint8_t {
  tcText = 0,
  tcUnknown = 1,
  tcA = 2,
  tcAEnd = 3,
  tcB = 4,
  tcBEnd = 5,
  tcFont = 6,
  tcFontEnd = 7,
  tcI = 8,
  tcIEnd = 9,
  tcS = 10,
  tcSEnd = 11,
  tcU = 12,
  tcUEnd = 13,
  tcNoBr = 14,
  tcNoBrEnd = 15,
  tcRuby = 16,
  tcRubyEnd = 17,
  tcDiv = 18,
  tcDivEnd = 19,
  tcIndent = 20,
  tcUndent = 21,
  tcBr = 22,
  tcClear = 23,
  tcEvent = 24,
  tcWait = 25,
  tcWaitEnd = 26,
  tcVar = 27,
  tcImg = 28,
  tcHistChar = 29,
  tcIf = 30,
  tcIfEnd = 31,
};

// Joins lines with CR and cuts the text into tokens (text runs and tags).
std::vector<std::string> Tokenize(const std::vector<std::string>& lines);

// Attribute escapes: \" and \\ become the character, \n becomes CR LF.
std::string Unescape(std::string_view value);

// One attribute word out of the text between a tag's brackets: the word
// ("NAME" or "NAME" CR "VALUE"; empty when nothing could be taken) and the
// rest still to split. Always makes progress on non-empty rest.
std::string SplitAttr(std::string& rest);

// Reads "decimal" or "$hex" integers; false when the text is not one.
bool TryAttrInt(std::string_view text, int32_t& value);

// The set of align names an attribute may take.
enum TAlignSet : uint8_t { asLeft = 1 << 1, asRight = 1 << 2, asCenter = 1 << 3, asTop = 1 << 4, asBottom = 1 << 5 };

class TTag {
 public:
  void ParseTag(std::string_view token);
  uint8_t TagCode() const;
  const std::string& Normalized() const { return normalized_; }
  const std::vector<std::string>& Attributes() const { return attributes_; }

  int32_t AttrIndex(std::string_view name) const;
  bool HasAttr(std::string_view name) const { return AttrIndex(name) >= 0; }
  // default_value when absent, "" when present without value.
  std::string AttrValue(std::string_view name, std::string_view default_value) const;
  int32_t AttrInt(std::string_view name, int32_t default_value) const;
  // "#RRGGBB" as 0x00BBGGRR; default_value otherwise.
  int32_t AttrColor(std::string_view name, int32_t default_value) const;
  // The ALIGN value when it is a name of allowed (TAlignSet bits), else default_value.
  uint8_t AttrAlign(uint8_t allowed, uint8_t default_value) const;

 private:
  std::vector<std::string> attributes_;
  std::string normalized_;
};

// A growable stack whose top answers its base value while it is empty.
template <class T>
class TValueStack {
 public:
  explicit TValueStack(T base = T{}) : base_(std::move(base)) {}
  const T& Top() const { return items_.empty() ? base_ : items_.back(); }
  void Push(T value) { items_.push_back(std::move(value)); }
  void Pop() {
    if (!items_.empty()) items_.pop_back();
  }
  void Reset(T base) {
    base_ = std::move(base);
    items_.clear();
  }

 private:
  T base_;
  std::vector<T> items_;
};
using TIntStack = TValueStack<int32_t>;
using TStrStack = TValueStack<std::string>;
using TAlignStack = TValueStack<uint8_t>;

// The style in force while markup is built.
struct TTagValList {
  explicit TTagValList(int32_t text_delay);

  TIntStack size{0};
  TIntStack color{-1};
  TIntStack border_color{-1};
  TIntStack shadow_color{-1};
  TStrStack face{std::string()};
  uint8_t style = 0;
  bool no_break = false;
  std::string ruby;
  TAlignStack align{1};
  std::string href;
  std::string target;
  TIntStack wait;
  TIntStack border_width{-1};
  TIntStack shadow_width{-1};
  std::string condition;
};

}  // namespace orvo
