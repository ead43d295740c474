#include "script/project_settings.h"

#include <gtest/gtest.h>

#include <map>

#include "base/binary_io.h"
#include "base/error.h"
#include "script/project.h"
#include "support/test_support.h"

namespace orvo {
namespace {

using test::Sjis;

// Writes a settings file of an older version field by field, so that the
// reader is checked against the layout of each version and not only against
// our own writer.
std::string SettingsOfVersion(int32_t version) {
  TMemoryStream stream;
  TBinaryWriter w(stream);
  w.WriteInt32(version);
  w.WriteString(Sjis("題名"));
  w.WriteInt32(800);
  w.WriteInt32(600);
  w.WriteInt32(3);
  w.WriteInt32(4);
  w.WriteString("start.osb");
  if (version >= 110) w.WriteString("exit.osb");
  w.WriteString("Key");
  w.WriteInt32(7);
  if (version > 103) w.WriteBool(true);   // save to disk
  if (version >= 106) w.WriteBool(true);  // idle sleep
  if (version >= 109) w.WriteString(".wav");
  if (version > 112) w.WriteBool(true);  // pause when inactive
  if (version >= 114) w.WriteByte(9);
  if (version >= 116) w.WriteBool(false);  // show toolbar
  w.WriteString("prompt %d");
  w.WriteString("bye");
  w.WriteInt32(2);
  w.WriteByte(1);
  w.WriteString("count");
  w.WriteInt32(-5);
  w.WriteByte(4);
  w.WriteString("name");
  w.WriteString(Sjis("ソ"));
  w.WriteInt32(1);
  w.WriteString("bgm");
  w.WriteInt32(2);
  const auto& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

TEST(ProjectSettings, ReadsEveryVersionWithItsDefaults) {
  struct Case {
    int32_t version;
    bool save_to_disk, idle_sleep, pause, toolbar;
    const char* exit_page;
    const char* extensions;
  };
  const Case cases[] = {
      {103, false, false, false, true, "", ".wav.wma.ogg.mid"},
      {104, true, false, false, true, "", ".wav.wma.ogg.mid"},
      {109, true, true, false, true, "", ".wav"},
      {110, true, true, false, true, "exit.osb", ".wav"},
      {116, true, true, true, false, "exit.osb", ".wav"},
      {117, true, true, true, false, "exit.osb", ".wav"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    TMemoryStream stream(SettingsOfVersion(c.version));
    TProjectSettings s = ReadProjectSettings(stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(s.title, Sjis("題名"));
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.start_page, "start.osb");
    EXPECT_EQ(s.exit_page, c.exit_page);
    EXPECT_EQ(s.image_option, 7);
    EXPECT_EQ(s.save_to_disk, c.save_to_disk);
    EXPECT_EQ(s.idle_sleep, c.idle_sleep);
    EXPECT_EQ(s.media_extensions, c.extensions);
    EXPECT_EQ(s.pause_when_inactive, c.pause);
    EXPECT_EQ(s.show_toolbar, c.toolbar);
    ASSERT_EQ(s.default_variables.size(), 2u);
    EXPECT_EQ(s.default_variables[0].int_value, -5);
    EXPECT_EQ(s.default_variables[1].string_value, Sjis("ソ"));
    ASSERT_EQ(s.folder_discs.size(), 1u);
    EXPECT_EQ(s.folder_discs[0].disc, 2);
  }
}

TEST(ProjectSettings, RejectsNewerVersionsAndDamagedFiles) {
  TMemoryStream newer(SettingsOfVersion(118));
  try {
    ReadProjectSettings(newer);
    FAIL() << "version 118 was accepted";
  } catch (const EOrvoError& error) {
    EXPECT_EQ(error.Message(), Sjis("このバージョンには対応していません"));
  }
  std::string good = SettingsOfVersion(117);
  // Every cut of the file fails cleanly instead of reading past the end.
  for (size_t length = 0; length < good.size(); ++length) {
    TMemoryStream cut(good.substr(0, length));
    EXPECT_THROW(ReadProjectSettings(cut), EOrvoError) << length;
  }
  // A title of 10 MiB + 1 bytes is refused before anything is allocated.
  std::string huge = good.substr(0, 4) + std::string("\x01\x00\xA0\x00", 4);
  TMemoryStream oversized(huge);
  try {
    ReadProjectSettings(oversized);
    FAIL();
  } catch (const EOrvoError& error) {
    EXPECT_EQ(error.Message(), "Invalid string data");
  }
}

TEST(ProjectSettings, WriterRoundTripsTheNewestVersion) {
  TMemoryStream original(SettingsOfVersion(117));
  TProjectSettings s = ReadProjectSettings(original);
  TDefaultVariable real;
  real.type = 2;
  real.name = "ratio";
  real.real_value = 1.0L / 3.0L;
  s.default_variables.push_back(real);
  TMemoryStream written;
  WriteProjectSettings(written, s);
  written.SetPosition(0);
  EXPECT_EQ(ReadProjectSettings(written), s);
}

}  // namespace
}  // namespace orvo
