#include "image/xml_writer.h"

#include <cstdio>

#include "base/error.h"

namespace orvo {

std::string EscapeXml(std::string_view text) {
  // Byte by byte is safe in CP932: every byte escaped here is below 0x40 and
  // so never the trail byte of a double-byte character.
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<uint8_t>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (byte < 32) {
          char reference[8];
          std::snprintf(reference, sizeof reference, "&#%d;", byte);
          out += reference;
        } else {
          out.push_back(c);
        }
        break;
    }
  }
  return out;
}

TXmlWriter::TXmlWriter(std::string_view encoding) {
  out_ = "<?xml version=\"1.0\" encoding=\"" + EscapeXml(encoding) + "\"?>\r\n";
}

void TXmlWriter::EndStartTag() {
  if (!start_tag_open_) return;
  out_ += ">\r\n";
  start_tag_open_ = false;
}

void TXmlWriter::Open(std::string_view name) {
  if (open_.empty() && has_children_) throw EWriteError("XML: a document has one root element");
  EndStartTag();
  out_.append(2 * open_.size(), ' ');
  out_ += '<';
  out_ += name;
  open_.emplace_back(name);
  start_tag_open_ = true;
  has_children_ = true;
}

void TXmlWriter::Attribute(std::string_view name, std::string_view value) {
  if (!start_tag_open_) throw EWriteError("XML: attribute outside a start tag");
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  out_ += EscapeXml(value);
  out_ += '"';
}

void TXmlWriter::Attribute(std::string_view name, int64_t value) { Attribute(name, std::to_string(value)); }

void TXmlWriter::Close() {
  if (open_.empty()) throw EWriteError("XML: no element to close");
  if (start_tag_open_) {
    out_ += "/>\r\n";
    start_tag_open_ = false;
  } else {
    out_.append(2 * (open_.size() - 1), ' ');
    out_ += "</" + open_.back() + ">\r\n";
  }
  open_.pop_back();
}

std::string TXmlWriter::Finish() {
  while (!open_.empty()) Close();
  return std::move(out_);
}

}  // namespace orvo
