#pragma once
// Style, condition and link values are shared between glyphs: each list
// interns its records (never two equal ones) and counts the glyphs that hold
// each record, so that changing one glyph's style never touches another's.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/font_style.h"

namespace orvo {

struct TDecorateValues {
  int32_t color = -1;         // -1: the document's default
  int32_t border_color = -1;  // outline colour, -1: default
  int32_t shadow_color = -1;  // -1: default
  int32_t size = 0;           // 0: default
  uint8_t style = 0;          // TFontStyleBit
  std::string face;           // empty: default
  bool no_break = false;
  std::string ruby;
  int32_t border_width = 0;  // negative: default
  int32_t shadow_width = 0;  // shadow offset, negative: default

  bool operator==(const TDecorateValues&) const = default;
};

struct TDecorate : TDecorateValues {
  int32_t ref_count = 0;
};

// A show-condition: the text, and the name list derived from it on first test.
class TWdCondition {
 public:
  explicit TWdCondition(std::string text) : text_(std::move(text)) {}
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  // True when key (a message object's name) is selected by the text: empty
  // holds always, otherwise one of the names matches (ASCII case ignored),
  // or with a leading '!' none does.
  bool Holds(std::string_view key);

  int32_t ref_count = 0;

 private:
  void Parse();
  std::vector<std::string> names_;
  bool negated_ = false;
  bool parsed_ = false;
  std::string text_;
};

struct TWdLink {
  std::string href;
  std::string target;  // condition text that enables the link
  int32_t ref_count = 0;
  bool enabled = false;
};

// The interning list behind the three record kinds. Records are owned here;
// glyphs hold plain pointers and one reference each.
template <class TRecord>
class TSharedList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TRecord* At(int32_t index) const {
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
  }
  int32_t IndexOf(const TRecord* record) const {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].get() == record) return static_cast<int32_t>(i);
    }
    return -1;
  }
  void Clear() {
    items_.clear();
    last_found_ = nullptr;
  }
  // Appends without interning (the stream reader keeps a stream's records as stored).
  TRecord* Append(std::unique_ptr<TRecord> record) {
    items_.push_back(std::move(record));
    return items_.back().get();
  }
  void RemoveAt(int32_t index) {
    last_found_ = nullptr;
    items_.erase(items_.begin() + index);
  }
  void Truncate(int32_t count) {
    last_found_ = nullptr;
    if (count < Count()) items_.resize(static_cast<size_t>(count));
  }
  // Drops the records that no glyph holds.
  void RemoveUnused() {
    last_found_ = nullptr;
    std::erase_if(items_, [](const std::unique_ptr<TRecord>& r) { return r->ref_count <= 0; });
  }
  const std::vector<std::unique_ptr<TRecord>>& Items() const { return items_; }

 protected:
  // Removes a record whose count fell to 0.
  void Remove(TRecord* record) {
    int32_t index = IndexOf(record);
    if (index >= 0) RemoveAt(index);
  }

  std::vector<std::unique_ptr<TRecord>> items_;
  mutable TRecord* last_found_ = nullptr;  // builders acquire the same record run after run
};

class TDecorateList : public TSharedList<TDecorate> {
 public:
  TDecorate* Find(const TDecorateValues& values, const TDecorate* other_than = nullptr) const;
  TDecorate* AcquireDecorate(const TDecorateValues& values);
  void ReleaseDecorate(TDecorate* record);
  void ChangeDecorate(TDecorate*& holder, const TDecorateValues& values);
};

class TWdConditionList : public TSharedList<TWdCondition> {
 public:
  TWdCondition* Find(std::string_view text, const TWdCondition* other_than = nullptr) const;
  TWdCondition* AcquireCondition(std::string_view text);
  void ReleaseCondition(TWdCondition* record);
  void ChangeCondition(TWdCondition*& holder, std::string_view text);
  // Null conditions hold always.
  static bool ConditionHolds(TWdCondition* condition, std::string_view key) {
    return !condition || condition->Holds(key);
  }
};

class TWdLinkList : public TSharedList<TWdLink> {
 public:
  TWdLink* Find(std::string_view href, std::string_view target, const TWdLink* other_than = nullptr) const;
  TWdLink* AcquireLink(std::string_view href, std::string_view target);
  void ReleaseLink(TWdLink* record);
  void ChangeLink(TWdLink*& holder, std::string_view href, std::string_view target);
  // Enables each link whose target condition holds for key.
  void EvaluateLinks(std::string_view key);
};

}  // namespace orvo
