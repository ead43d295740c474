#include "text/records.h"

#include "base/cp932.h"

namespace orvo {

void TWdCondition::SetText(std::string text) {
  text_ = std::move(text);
  parsed_ = false;
  names_.clear();
  negated_ = false;
}

void TWdCondition::Parse() {
  parsed_ = true;
  std::string_view rest(text_);
  negated_ = !rest.empty() && rest[0] == '!';
  if (negated_) rest.remove_prefix(1);
  // Names are separated by line breaks (CR, LF or both, from the \n escape).
  std::string name;
  for (size_t i = 0; i < rest.size();) {
    size_t length = CharLength(rest, i);
    char byte = rest[i];
    if (length == 1 && (byte == '\r' || byte == '\n')) {
      if (!name.empty()) names_.push_back(std::move(name));
      name.clear();
    } else {
      name.append(rest.substr(i, length));
    }
    i += length;
  }
  if (!name.empty()) names_.push_back(std::move(name));
}

bool TWdCondition::Holds(std::string_view key) {
  if (text_.empty()) return true;
  if (!parsed_) Parse();
  bool listed = false;
  for (const std::string& name : names_) {
    if (EqualsNoCase(name, key)) {
      listed = true;
      break;
    }
  }
  return negated_ ? !listed : listed;
}

// ---- decorations

TDecorate* TDecorateList::Find(const TDecorateValues& values, const TDecorate* other_than) const {
  if (last_found_ && last_found_ != other_than && static_cast<const TDecorateValues&>(*last_found_) == values) {
    return last_found_;
  }
  for (const auto& item : items_) {
    if (item.get() != other_than && static_cast<const TDecorateValues&>(*item) == values) {
      last_found_ = item.get();
      return item.get();
    }
  }
  return nullptr;
}

TDecorate* TDecorateList::AcquireDecorate(const TDecorateValues& values) {
  TDecorate* record = Find(values);
  if (!record) {
    auto made = std::make_unique<TDecorate>();
    static_cast<TDecorateValues&>(*made) = values;
    record = Append(std::move(made));
  }
  ++record->ref_count;
  return record;
}

void TDecorateList::ReleaseDecorate(TDecorate* record) {
  if (!record) return;
  if (--record->ref_count <= 0) Remove(record);
}

void TDecorateList::ChangeDecorate(TDecorate*& holder, const TDecorateValues& values) {
  if (holder && static_cast<const TDecorateValues&>(*holder) == values) return;
  if (TDecorate* equal = Find(values, holder)) {
    ++equal->ref_count;
    ReleaseDecorate(holder);
    holder = equal;
  } else if (holder && holder->ref_count <= 1) {
    static_cast<TDecorateValues&>(*holder) = values;
  } else {
    if (holder) --holder->ref_count;
    holder = AcquireDecorate(values);
  }
}

// ---- conditions

TWdCondition* TWdConditionList::Find(std::string_view text, const TWdCondition* other_than) const {
  if (last_found_ && last_found_ != other_than && last_found_->Text() == text) return last_found_;
  for (const auto& item : items_) {
    if (item.get() != other_than && item->Text() == text) {
      last_found_ = item.get();
      return item.get();
    }
  }
  return nullptr;
}

TWdCondition* TWdConditionList::AcquireCondition(std::string_view text) {
  TWdCondition* record = Find(text);
  if (!record) record = Append(std::make_unique<TWdCondition>(std::string(text)));
  ++record->ref_count;
  return record;
}

void TWdConditionList::ReleaseCondition(TWdCondition* record) {
  if (!record) return;
  if (--record->ref_count <= 0) Remove(record);
}

void TWdConditionList::ChangeCondition(TWdCondition*& holder, std::string_view text) {
  if (holder && holder->Text() == text) return;
  if (TWdCondition* equal = Find(text, holder)) {
    ++equal->ref_count;
    ReleaseCondition(holder);
    holder = equal;
  } else if (holder && holder->ref_count <= 1) {
    holder->SetText(std::string(text));
  } else {
    if (holder) --holder->ref_count;
    holder = AcquireCondition(text);
  }
}

// ---- links

TWdLink* TWdLinkList::Find(std::string_view href, std::string_view target, const TWdLink* other_than) const {
  if (last_found_ && last_found_ != other_than && last_found_->href == href && last_found_->target == target) {
    return last_found_;
  }
  for (const auto& item : items_) {
    if (item.get() != other_than && item->href == href && item->target == target) {
      last_found_ = item.get();
      return item.get();
    }
  }
  return nullptr;
}

TWdLink* TWdLinkList::AcquireLink(std::string_view href, std::string_view target) {
  TWdLink* record = Find(href, target);
  if (!record) {
    auto made = std::make_unique<TWdLink>();
    made->href = href;
    made->target = target;
    record = Append(std::move(made));
  }
  ++record->ref_count;
  return record;
}

void TWdLinkList::ReleaseLink(TWdLink* record) {
  if (!record) return;
  if (--record->ref_count <= 0) Remove(record);
}

void TWdLinkList::ChangeLink(TWdLink*& holder, std::string_view href, std::string_view target) {
  if (holder && holder->href == href && holder->target == target) return;
  if (TWdLink* equal = Find(href, target, holder)) {
    ++equal->ref_count;
    ReleaseLink(holder);
    holder = equal;
  } else if (holder && holder->ref_count <= 1) {
    holder->href = href;
    holder->target = target;
  } else {
    if (holder) --holder->ref_count;
    holder = AcquireLink(href, target);
  }
}

void TWdLinkList::EvaluateLinks(std::string_view key) {
  for (const auto& link : items_) {
    link->enabled = link->target.empty() || TWdCondition(link->target).Holds(key);
  }
}

}  // namespace orvo
