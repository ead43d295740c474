#pragma once
// A small XML reader for the game's documents, which are CP932. It is byte
// transparent: names, values and text stay CP932 bytes, and it steps over the
// trail bytes of double-byte characters (a trail byte may be ']' and must not
// end a CDATA section). Character references become CP932 bytes. It builds a
// tree of elements with their attributes; comments, processing instructions
// and the document type are skipped. Input is untrusted: malformed documents
// raise EFormatError, nesting depth and sizes are bounded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

enum class TNameCase { Exact, IgnoreAscii };

struct TXmlAttribute {
  std::string name;
  std::string value;  // references resolved, whitespace normalised
};

class TXmlElement {
 public:
  std::string name;
  std::vector<TXmlAttribute> attributes;
  std::vector<std::unique_ptr<TXmlElement>> children;
  // Character data directly inside the element (CDATA included), in order.
  std::string text;

  // The value of the first attribute with that name, or null.
  const std::string* Attribute(std::string_view attribute_name, TNameCase match = TNameCase::Exact) const;
  // The first child element with that name, or null.
  const TXmlElement* Child(std::string_view child_name, TNameCase match = TNameCase::Exact) const;
  // Index of the first child with that name, or children.size().
  size_t ChildIndex(std::string_view child_name, TNameCase match = TNameCase::Exact) const;
  bool NameIs(std::string_view wanted, TNameCase match = TNameCase::Exact) const;
};

// The attributes of the XML declaration as written (absent ones are empty).
struct TXmlDeclaration {
  std::optional<std::string> version;
  std::optional<std::string> encoding;
  std::optional<std::string> standalone;
};

struct TXmlDocument {
  // Set when the document starts with "<?xml ...?>".
  std::optional<TXmlDeclaration> declaration;
  std::unique_ptr<TXmlElement> root;
};

struct TXmlLimits {
  size_t max_depth = 256;
  size_t max_elements = size_t{1} << 20;
};

// Parses a whole document. Raises EFormatError ("XML: ... at byte N") for
// anything that is not well formed.
TXmlDocument ParseXml(std::string_view bytes, const TXmlLimits& limits = {});

}  // namespace orvo
