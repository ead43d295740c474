#include "image/xml_reader.h"

#include <cstring>

#include "base/cp932.h"
#include "base/error.h"

namespace orvo {
namespace {

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Bytes that end a name. None of them can be a trail byte (all are below 0x40).
bool EndsName(uint8_t c) {
  return IsSpace(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"' || c == '\'' || c == '&' || c == '?' ||
         c == ';';
}

bool NamesEqual(std::string_view a, std::string_view b, TNameCase match) {
  return match == TNameCase::Exact ? a == b : EqualsNoCase(a, b);
}

// Appends a Unicode scalar value as CP932 bytes.
bool AppendCodePoint(uint32_t code, std::string& out) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
    return true;
  }
  std::string utf8;
  if (code < 0x800) {
    utf8 = {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
  } else if (code < 0x10000) {
    utf8 = {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
            static_cast<char>(0x80 | (code & 0x3F))};
  } else {
    utf8 = {static_cast<char>(0xF0 | (code >> 18)), static_cast<char>(0x80 | ((code >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((code >> 6) & 0x3F)), static_cast<char>(0x80 | (code & 0x3F))};
  }
  std::string cp932;
  if (!TryUtf8ToCp932(utf8, cp932)) return false;
  out += cp932;
  return true;
}

class TParser {
 public:
  TParser(std::string_view text, const TXmlLimits& limits) : text_(text), limits_(limits) {}

  TXmlDocument Parse() {
    TXmlDocument document;
    if (StartsWith("<?xml") && position_ + 5 < text_.size() && IsSpace(Byte(position_ + 5))) {
      document.declaration = ParseDeclaration();
    }
    SkipMisc(TDoctype::Allowed);
    if (AtEnd() || Byte(position_) != '<') Fail("no root element");
    document.root = ParseElement(1);
    SkipMisc(TDoctype::Refused);
    if (!AtEnd()) Fail("content after the root element");
    return document;
  }

 private:
  enum class TDoctype { Allowed, Refused };

  [[noreturn]] void Fail(const char* what) const {
    throw EFormatError(std::string("XML: ") + what + " at byte " + std::to_string(position_));
  }

  bool AtEnd() const { return position_ >= text_.size(); }
  uint8_t Byte(size_t index) const { return static_cast<uint8_t>(text_[index]); }
  bool StartsWith(std::string_view prefix) const { return text_.substr(position_).starts_with(prefix); }

  void Expect(std::string_view literal, const char* what) {
    if (!StartsWith(literal)) Fail(what);
    position_ += literal.size();
  }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(Byte(position_))) ++position_;
  }

  // Moves past the next occurrence of terminator, stepping by characters so
  // that a trail byte never counts as part of it.
  void SkipPast(std::string_view terminator, const char* what) {
    while (!AtEnd()) {
      if (StartsWith(terminator)) {
        position_ += terminator.size();
        return;
      }
      position_ += CharLength(text_, position_);
    }
    Fail(what);
  }

  std::string ParseName() {
    size_t start = position_;
    while (!AtEnd() && !EndsName(Byte(position_))) position_ += CharLength(text_, position_);
    if (position_ == start) Fail("name expected");
    return std::string(text_.substr(start, position_ - start));
  }

  // A reference after '&': appends its bytes.
  void ParseReference(std::string& out) {
    ++position_;  // '&'
    size_t end = text_.find(';', position_);
    if (end == std::string_view::npos || end - position_ > 12) Fail("unterminated reference");
    std::string_view body = text_.substr(position_, end - position_);
    position_ = end + 1;
    if (body == "lt") {
      out.push_back('<');
    } else if (body == "gt") {
      out.push_back('>');
    } else if (body == "amp") {
      out.push_back('&');
    } else if (body == "quot") {
      out.push_back('"');
    } else if (body == "apos") {
      out.push_back('\'');
    } else if (body.size() > 1 && body[0] == '#') {
      bool hex = body[1] == 'x';
      std::string_view digits = body.substr(hex ? 2 : 1);
      if (digits.empty()) Fail("empty character reference");
      uint32_t code = 0;
      for (char c : digits) {
        uint32_t digit;
        if (c >= '0' && c <= '9') {
          digit = static_cast<uint32_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
          digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
          digit = static_cast<uint32_t>(c - 'A' + 10);
        } else {
          Fail("bad character reference");
        }
        code = code * (hex ? 16 : 10) + digit;
        if (code > 0x10FFFF) Fail("character reference out of range");
      }
      if (!AppendCodePoint(code, out)) Fail("character reference not representable");
    } else {
      Fail("unknown entity");
    }
  }

  std::string ParseAttributeValue() {
    if (AtEnd() || (Byte(position_) != '"' && Byte(position_) != '\'')) Fail("quoted value expected");
    char quote = text_[position_++];
    std::string value;
    for (;;) {
      if (AtEnd()) Fail("unterminated value");
      uint8_t c = Byte(position_);
      if (c == static_cast<uint8_t>(quote)) {
        ++position_;
        return value;
      }
      if (c == '<') Fail("'<' in a value");
      if (c == '&') {
        ParseReference(value);
      } else if (c == '\r') {
        // A line end (CR LF or CR) counts as one space.
        value.push_back(' ');
        ++position_;
        if (!AtEnd() && Byte(position_) == '\n') ++position_;
      } else if (IsSpace(c)) {
        value.push_back(' ');
        ++position_;
      } else {
        size_t length = CharLength(text_, position_);
        value.append(text_.substr(position_, length));
        position_ += length;
      }
    }
  }

  TXmlDeclaration ParseDeclaration() {
    position_ += 5;
    TXmlDeclaration declaration;
    for (;;) {
      SkipSpace();
      if (StartsWith("?>")) {
        position_ += 2;
        return declaration;
      }
      if (AtEnd()) Fail("unterminated declaration");
      std::string name = ParseName();
      SkipSpace();
      Expect("=", "'=' expected");
      SkipSpace();
      std::string value = ParseAttributeValue();
      std::optional<std::string>* slot = name == "version"      ? &declaration.version
                                         : name == "encoding"   ? &declaration.encoding
                                         : name == "standalone" ? &declaration.standalone
                                                                : nullptr;
      if (slot == nullptr) Fail("unknown declaration attribute");
      if (slot->has_value()) Fail("repeated declaration attribute");
      *slot = std::move(value);
    }
  }

  void SkipDoctype() {
    // An internal subset in brackets may hold '>' inside declarations and strings.
    int depth = 0;
    while (!AtEnd()) {
      uint8_t c = Byte(position_);
      if (c == '"' || c == '\'') {
        size_t end = text_.find(static_cast<char>(c), position_ + 1);
        if (end == std::string_view::npos) break;
        position_ = end + 1;
        continue;
      }
      if (c == '[') ++depth;
      if (c == ']') --depth;
      if (c == '>' && depth <= 0) {
        ++position_;
        return;
      }
      position_ += CharLength(text_, position_);
    }
    Fail("unterminated document type");
  }

  void SkipMisc(TDoctype doctype) {
    bool doctype_seen = false;
    for (;;) {
      SkipSpace();
      if (StartsWith("<!--")) {
        position_ += 4;
        SkipPast("-->", "unterminated comment");
      } else if (StartsWith("<?")) {
        SkipProcessingInstruction();
      } else if (StartsWith("<!DOCTYPE")) {
        if (doctype == TDoctype::Refused || doctype_seen) Fail("misplaced document type");
        doctype_seen = true;
        SkipDoctype();
      } else {
        return;
      }
    }
  }

  void SkipProcessingInstruction() {
    position_ += 2;
    size_t start = position_;
    std::string target = ParseName();
    if (EqualsNoCase(target, "xml")) {
      position_ = start;
      Fail("XML declaration not at the start");
    }
    SkipPast("?>", "unterminated processing instruction");
  }

  void AppendText(std::string& out, size_t from, size_t to) {
    // Line ends become "\n" as XML requires; everything else stays as it is.
    for (size_t i = from; i < to; ++i) {
      char c = text_[i];
      if (c == '\r') {
        out.push_back('\n');
        if (i + 1 < to && text_[i + 1] == '\n') ++i;
      } else {
        out.push_back(c);
      }
    }
  }

  std::unique_ptr<TXmlElement> ParseElement(size_t depth) {
    if (depth > limits_.max_depth) Fail("elements nested too deeply");
    if (++element_count_ > limits_.max_elements) Fail("too many elements");
    ++position_;  // '<'
    auto element = std::make_unique<TXmlElement>();
    element->name = ParseName();
    for (;;) {
      bool had_space = !AtEnd() && IsSpace(Byte(position_));
      SkipSpace();
      if (AtEnd()) Fail("unterminated start tag");
      if (StartsWith("/>")) {
        position_ += 2;
        return element;
      }
      if (Byte(position_) == '>') {
        ++position_;
        break;
      }
      if (!had_space) Fail("space expected between attributes");
      TXmlAttribute attribute;
      attribute.name = ParseName();
      for (const TXmlAttribute& other : element->attributes) {
        if (other.name == attribute.name) Fail("repeated attribute");
      }
      SkipSpace();
      Expect("=", "'=' expected");
      SkipSpace();
      attribute.value = ParseAttributeValue();
      element->attributes.push_back(std::move(attribute));
    }
    ParseContent(*element, depth);
    return element;
  }

  void ParseContent(TXmlElement& element, size_t depth) {
    for (;;) {
      size_t start = position_;
      while (!AtEnd() && Byte(position_) != '<' && Byte(position_) != '&') position_ += CharLength(text_, position_);
      AppendText(element.text, start, position_);
      if (AtEnd()) Fail("unterminated element");
      if (Byte(position_) == '&') {
        ParseReference(element.text);
      } else if (StartsWith("</")) {
        position_ += 2;
        std::string name = ParseName();
        if (name != element.name) Fail("mismatched end tag");
        SkipSpace();
        Expect(">", "'>' expected");
        return;
      } else if (StartsWith("<!--")) {
        position_ += 4;
        SkipPast("-->", "unterminated comment");
      } else if (StartsWith("<![CDATA[")) {
        position_ += 9;
        size_t from = position_;
        SkipPast("]]>", "unterminated CDATA section");
        AppendText(element.text, from, position_ - 3);
      } else if (StartsWith("<?")) {
        SkipProcessingInstruction();
      } else if (StartsWith("<!")) {
        Fail("unexpected declaration");
      } else {
        element.children.push_back(ParseElement(depth + 1));
      }
    }
  }

  std::string_view text_;
  TXmlLimits limits_;
  size_t position_ = 0;
  size_t element_count_ = 0;
};

}  // namespace

bool TXmlElement::NameIs(std::string_view wanted, TNameCase match) const { return NamesEqual(name, wanted, match); }

const std::string* TXmlElement::Attribute(std::string_view attribute_name, TNameCase match) const {
  for (const TXmlAttribute& attribute : attributes) {
    if (NamesEqual(attribute.name, attribute_name, match)) return &attribute.value;
  }
  return nullptr;
}

const TXmlElement* TXmlElement::Child(std::string_view child_name, TNameCase match) const {
  size_t index = ChildIndex(child_name, match);
  return index < children.size() ? children[index].get() : nullptr;
}

size_t TXmlElement::ChildIndex(std::string_view child_name, TNameCase match) const {
  for (size_t i = 0; i < children.size(); ++i) {
    if (children[i]->NameIs(child_name, match)) return i;
  }
  return children.size();
}

TXmlDocument ParseXml(std::string_view bytes, const TXmlLimits& limits) { return TParser(bytes, limits).Parse(); }

}  // namespace orvo
