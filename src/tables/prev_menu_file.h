#pragma once
// The preview-menu file: the buttons of a preview menu with their pictures,
// previews and places, in a record form ("OrvoPrevMenu" and three version
// digits) or an XML form. File names inside are resolved against the
// folder of the file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvo {

class TStream;

class TContSelButton {
 public:
  int32_t left = 0;
  int32_t top = 0;
  std::string path;
  bool cap_mask = false;
  int32_t cap_mask_level = 128;
  std::string name;
  int32_t group = 0;
  std::string in_image_path, out_image_path, settle_image_path;
  std::string dis_image_path, dis_in_image_path, dis_out_image_path;
  std::string in_prev_path, out_prev_path, settle_prev_path;
  std::string dis_in_prev_path, dis_out_prev_path;
  int32_t prev_left = 0;
  int32_t prev_top = 0;
  std::string cursor_path;
  std::string down_image_path, down_in_image_path, down_out_image_path;
  std::string down_in_prev_path, down_out_prev_path, down_on_prev_path, down_off_prev_path;
  bool down_on_prev_repeat = false;
  bool down_off_prev_repeat = false;
};

// Which form a file had.
enum class TPrevMenuForm : uint8_t { Record, Xml };

class TContSelList {
 public:
  // Clears the list and reads either form from the stream's position;
  // folder is the file's folder in the game data (FolderOf). Bad data
  // raises the format's messages or a read error.
  void LoadFromStream(TStream& stream, std::string_view folder);
  void LoadFromBytes(std::string_view bytes, std::string_view folder);

  int32_t ButtonCount() const { return static_cast<int32_t>(buttons_.size()); }
  const TContSelButton& Button(int32_t index) const { return *buttons_[static_cast<size_t>(index)]; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  const std::string& Background() const { return background_; }
  TPrevMenuForm Form() const { return form_; }
  // The three digits of the record form, or the XML root's Version.
  const std::string& Version() const { return version_; }
  // Set when the file comes from a newer program (the XML root's Version above 200).
  bool NewerVersion() const { return newer_; }

 private:
  void Clear();
  TContSelButton& AddButton();
  void ReadRecords(std::string_view bytes, std::string_view folder);
  void ReadRecordFields(std::string_view bytes, std::string_view folder);
  void ReadXml(std::string_view bytes, std::string_view folder);

  std::vector<std::unique_ptr<TContSelButton>> buttons_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::string background_;
  TPrevMenuForm form_ = TPrevMenuForm::Record;
  std::string version_;
  bool newer_ = false;
};

// A file name of a preview-menu file resolved against the file's folder
// (CP932): short, rooted and drive names stay, "..\" climbs the folder
// (upper-cased) and other names are appended to it.
std::string ResolvePrevMenuName(std::string_view name, std::string_view folder);

// The messages of the format (CP932).
const std::string& MsgPrevMenuVersion();
const std::string& MsgPrevMenuNoDeclaration();
const std::string& MsgPrevMenuXmlVersion();
const std::string& MsgPrevMenuCharset();
const std::string& MsgPrevMenuInvalid();
const std::string& MsgPrevMenuNewer();

}  // namespace orvo
