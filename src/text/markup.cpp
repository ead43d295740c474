#include "text/markup.h"

#include <array>

#include "base/cp932.h"
#include "vars/convert.h"

namespace orvo {

namespace {

bool StartsNoCase(std::string_view text, size_t at, std::string_view prefix) {
  return text.size() - at >= prefix.size() && EqualsNoCase(text.substr(at, prefix.size()), prefix);
}

bool IsBlankOrControl(char byte) { return static_cast<uint8_t>(byte) <= 0x20; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

constexpr std::array<std::string_view, 3> kRawOpeners = {"<!--", "<SCRIPT", "<STYLE"};
constexpr std::array<std::string_view, 3> kRawClosers = {"-->", "</SCRIPT>", "</STYLE>"};

class TTokenizer {
 public:
  explicit TTokenizer(std::string text) : text_(std::move(text)) {}

  std::vector<std::string> Run() {
    size_t n = text_.size();
    size_t i = 0;
    while (i < n) i = Step(i);
    Emit();
    return std::move(tokens_);
  }

 private:
  void Emit() {
    if (!pending_.empty()) tokens_.push_back(std::move(pending_));
    pending_.clear();
  }

  // Handles the character at i and answers the position of the next one.
  size_t Step(size_t i) {
    std::string_view text(text_);
    size_t length = CharLength(text, i);
    uint8_t byte = static_cast<uint8_t>(text[i]);
    bool single = length == 1;
    if (quote_) {
      if (!(single && (byte == '\r' || byte == '\n' || byte == '\t'))) pending_.append(text.substr(i, length));
      if (single && byte == '"') quote_ = false;
      return i + length;
    }
    // Raw blocks open with '<' and close with '<' or '-'.
    bool may_open_or_close = byte == '<' || byte == '-';
    for (std::string_view opener : kRawOpeners) {
      if (may_open_or_close && StartsNoCase(text, i, opener)) {
        if (raw_depth_ == 0) Emit();
        pending_ += opener;
        ++raw_depth_;
        return i + opener.size();
      }
    }
    for (std::string_view closer : kRawClosers) {
      if (may_open_or_close && StartsNoCase(text, i, closer)) {
        if (raw_depth_ > 0) --raw_depth_;
        pending_ += closer;
        if (raw_depth_ == 0) Emit();
        return i + closer.size();
      }
    }
    if (raw_depth_ > 0) {
      pending_.append(text.substr(i, length));
      if (single && byte == '\r') pending_ += '\n';
      return i + length;
    }
    if (!single) {
      pending_.append(text.substr(i, length));
      return i + length;
    }
    bool layout_mode = preformatted_ || text_area_;
    switch (byte) {
      case '<':
        if (tag_depth_ == 0) Emit();
        pending_ += '<';
        ++tag_depth_;
        return i + 1;
      case '>':
        if (tag_depth_ == 0) break;
        if (--tag_depth_ > 0) return i + 1;
        pending_ += '>';
        return TagEmitted(i + 1);
      case '\\': {
        if (i + 1 >= text.size()) break;
        char next = text[i + 1];
        if (next == '"' || next == '%' || next == '<' || next == '>' || next == '\\' || next == '{' || next == '}') {
          pending_ += next;
          if (next == '<' || next == '>') Emit();
          return i + 2;
        }
        return i + 1;  // the backslash goes; the next byte is handled on its own
      }
      case '\r':
        if (tag_depth_ == 0 && layout_mode) {
          Emit();
          if (preformatted_) tokens_.push_back("<BR>");
        } else if (!pending_.empty() && (i == 0 || text[i - 1] != ' ')) {
          pending_ += ' ';
        }
        return i + 1;
      case 0x14:
        if (pending_.empty() || pending_.back() != ' ' || layout_mode) pending_ += ' ';
        return i + 1;
      case '\t':
        if (layout_mode) pending_.append(8, ' ');
        return i + 1;
      case '"':
        quote_ = true;
        pending_ += '"';
        return i + 1;
      default:
        break;
    }
    if (byte == ' ' && i != 0 && !pending_.empty() && pending_.back() == ' ') return i + 1;
    pending_ += static_cast<char>(byte);
    return i + 1;
  }

  // A tag token has just been completed at next (the position after '>').
  size_t TagEmitted(size_t next) {
    std::string tag = pending_;
    Emit();
    std::string_view view(tag);
    bool closing = false;
    if (!text_area_ && StartsNoCase(view, 0, "</PRE")) {
      preformatted_ = false;
      closing = true;
    } else if (!text_area_ && StartsNoCase(view, 0, "<PRE")) {
      preformatted_ = true;
      if (next < text_.size() && text_[next] == '\r') ++next;
    } else if (!preformatted_ && StartsNoCase(view, 0, "</TEXTAREA")) {
      text_area_ = false;
      closing = true;
    } else if (!preformatted_ && StartsNoCase(view, 0, "<TEXTAREA")) {
      text_area_ = true;
      if (next < text_.size() && text_[next] == '\r') ++next;
    }
    if (closing && tokens_.size() >= 2 && EqualsNoCase(tokens_[tokens_.size() - 2], "<BR>")) {
      tokens_.erase(tokens_.end() - 2);
    }
    return next;
  }

  std::string text_;
  std::vector<std::string> tokens_;
  std::string pending_;
  int raw_depth_ = 0;
  int tag_depth_ = 0;
  bool quote_ = false;
  bool preformatted_ = false;
  bool text_area_ = false;
};

struct TTagName {
  std::string_view name;
  uint8_t code;
};

constexpr TTagName kTagNames[] = {
    {"A", tcA},           {"/A", tcAEnd},       {"B", tcB},           {"/B", tcBEnd},
    {"FONT", tcFont},     {"/FONT", tcFontEnd}, {"I", tcI},           {"/I", tcIEnd},
    {"S", tcS},           {"/S", tcSEnd},       {"U", tcU},           {"/U", tcUEnd},
    {"NOBR", tcNoBr},     {"/NOBR", tcNoBrEnd}, {"RUBY", tcRuby},     {"/RUBY", tcRubyEnd},
    {"DIV", tcDiv},       {"/DIV", tcDivEnd},   {"INDENT", tcIndent}, {"UNDENT", tcUndent},
    {"BR", tcBr},         {"CLEAR", tcClear},   {"EVENT", tcEvent},   {"WAIT", tcWait},
    {"/WAIT", tcWaitEnd}, {"VAR", tcVar},       {"IMG", tcImg},       {"HISTCHAR", tcHistChar},
    {"IF", tcIf},         {"/IF", tcIfEnd},
};

constexpr std::array<std::string_view, 5> kAlignNames = {"LEFT", "RIGHT", "CENTER", "TOP", "BOTTOM"};

}  // namespace

std::vector<std::string> Tokenize(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += '\r';
    text += lines[i];
  }
  return TTokenizer(std::move(text)).Run();
}

std::string Unescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size();) {
    size_t length = CharLength(value, i);
    if (length == 1 && value[i] == '\\' && i + 1 < value.size()) {
      char next = value[i + 1];
      if (next == '"' || next == '\\') {
        out += next;
        i += 2;
        continue;
      }
      if (next == 'n') {
        out += "\r\n";
        i += 2;
        continue;
      }
    }
    out.append(value.substr(i, length));
    i += length;
  }
  return out;
}

std::string SplitAttr(std::string& rest) {
  std::string_view text = TrimBlanks(rest);
  size_t end = 0;
  while (end < text.size() && text[end] != ' ' && text[end] != '=') end += CharLength(text, end);
  std::string name(text.substr(0, end));
  text.remove_prefix(end);
  if (name.empty() && !text.empty()) {
    // A lone '=' where a name belongs ("SIZE=" at the end of a tag): drop it.
    text.remove_prefix(1);
    rest = std::string(text);
    return {};
  }
  if (text.size() > 1 && text[0] != ' ') {
    text.remove_prefix(1);  // the '='
    std::string value;
    char quote = text.empty() ? '\0' : text[0];
    size_t close = std::string_view::npos;
    if (quote == '"' || quote == '\'') {
      text.remove_prefix(1);
      close = FindChar(text, quote);
    }
    if (close != std::string_view::npos) {
      value = text.substr(0, close);
      text.remove_prefix(close + 1);
    } else {
      size_t space = FindChar(text, ' ');
      value = text.substr(0, space);
      text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
    }
    rest = std::string(text);
    return name + '\r' + value;
  }
  rest = std::string(text);
  return name;
}

bool TryAttrInt(std::string_view text, int32_t& value) { return TryTextToInt(text, value); }

void TTag::ParseTag(std::string_view token) {
  attributes_.clear();
  bool text = token.size() <= 1 || token.front() != '<' || token.back() != '>';
  for (std::string_view opener : kRawOpeners) text = text || StartsNoCase(token, 0, opener);
  if (text) {
    normalized_ = std::string(token);
    return;
  }
  std::string rest(token.substr(1, token.size() - 2));
  std::string name = SplitAttr(rest);
  normalized_ = "<" + name + ">";
  while (!rest.empty()) {
    std::string word = SplitAttr(rest);
    if (!word.empty()) attributes_.push_back(std::move(word));
  }
}

uint8_t TTag::TagCode() const {
  const std::string& text = normalized_;
  if (text.size() <= 2 || text.front() != '<' || text.back() != '>') return tcText;
  std::string_view name = std::string_view(text).substr(1, text.size() - 2);
  for (const TTagName& entry : kTagNames) {
    if (EqualsNoCase(entry.name, name)) return entry.code;
  }
  return tcUnknown;
}

int32_t TTag::AttrIndex(std::string_view name) const {
  for (size_t i = 0; i < attributes_.size(); ++i) {
    std::string_view attribute(attributes_[i]);
    size_t cr = attribute.find('\r');
    if (EqualsNoCase(attribute.substr(0, cr), name)) return static_cast<int32_t>(i);
  }
  return -1;
}

std::string TTag::AttrValue(std::string_view name, std::string_view default_value) const {
  int32_t index = AttrIndex(name);
  if (index < 0) return std::string(default_value);
  const std::string& attribute = attributes_[static_cast<size_t>(index)];
  size_t cr = attribute.find('\r');
  return cr == std::string::npos ? std::string() : attribute.substr(cr + 1);
}

int32_t TTag::AttrInt(std::string_view name, int32_t default_value) const {
  if (!HasAttr(name)) return default_value;
  int32_t value = 0;
  return TryAttrInt(AttrValue(name, ""), value) ? value : default_value;
}

int32_t TTag::AttrColor(std::string_view name, int32_t default_value) const {
  std::string value = AttrValue(name, "");
  if (value.size() < 2 || value[0] != '#') return default_value;
  std::string digits = value.substr(1, 6);
  uint32_t rgb = 0;
  for (char c : digits) {
    int digit = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
    if (digit < 0) return default_value;
    rgb = rgb * 16 + static_cast<uint32_t>(digit);
  }
  uint32_t red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
  return static_cast<int32_t>(red | (green << 8) | (blue << 16));
}

uint8_t TTag::AttrAlign(uint8_t allowed, uint8_t default_value) const {
  if (!HasAttr("ALIGN")) return default_value;
  std::string value = AttrValue("ALIGN", "");
  for (size_t i = 0; i < kAlignNames.size(); ++i) {
    uint8_t code = static_cast<uint8_t>(i + 1);
    if (EqualsNoCase(value, kAlignNames[i])) return (allowed & (1 << code)) ? code : default_value;
  }
  return default_value;
}

TTagValList::TTagValList(int32_t text_delay) : wait(text_delay) {}

}  // namespace orvo
