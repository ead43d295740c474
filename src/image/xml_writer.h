#pragma once
// Writing the game's XML documents: CP932 bytes go out as they are, and only
// what the reader would otherwise change is written as a reference.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

// Writing: text with '&', '<', '>', '"' and characters below 32 as references
// (controls as "&#%d;"), so that the reader gives the same bytes back.
std::string EscapeXml(std::string_view text);

// Builds a document element by element.
class TXmlWriter {
 public:
  // Starts with the declaration <?xml version="1.0" encoding="..."?>.
  explicit TXmlWriter(std::string_view encoding = "Shift_JIS");
  void Open(std::string_view name);
  void Attribute(std::string_view name, std::string_view value);
  void Attribute(std::string_view name, int64_t value);
  // Ends the innermost open element.
  void Close();
  // Closes everything still open and returns the document.
  std::string Finish();

 private:
  void EndStartTag();
  std::string out_;
  std::vector<std::string> open_;
  bool start_tag_open_ = false;
  bool has_children_ = false;
};

}  // namespace orvo
