// Damaged and hostile layered pictures are refused with the system's messages
// and leave the list empty.
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/stream.h"
#include "dova_fixture.h"
#include "image/dova.h"
#include "image/jpeg_codec.h"
#include "support/test_support.h"

namespace orvo {
namespace {

using test::OneLayerFrame;
using test::TFixtureFile;
using test::TFixtureForm;

std::string Int(int32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
  return out;
}

TFixtureFile Simple(int32_t width = 2, int32_t height = 2) {
  TFixtureFile file;
  file.version = 105;
  file.frames = {OneLayerFrame(width, height, 24, std::vector<uint32_t>(static_cast<size_t>(width) * height, 1))};
  return file;
}

TFixtureFile WithColourBytes(uint8_t comp_type, std::string bytes, int32_t width = 3, int32_t height = 3) {
  TFixtureFile file = Simple(width, height);
  file.comp_type = comp_type;
  file.frames[0].layers[0].colour_bytes = std::move(bytes);
  return file;
}

TFixtureFile XmlWith(std::string description) {
  TFixtureFile file = Simple();
  file.form = TFixtureForm::Xml;
  file.version = 200;
  file.xml = std::move(description);
  return file;
}

std::string Build(TFixtureFile file) { return test::BuildFixture(file); }

std::string TinyJpeg(int32_t width, int32_t height) { return EncodeJpeg(TDIBSurface(width, height, 24), 80); }

TEST(DovaErrors, RefusesDamagedFiles) {
  const std::string corrupt = "ファイルが破壊されています";
  const std::string frame_xml = "<Frame><Layers Count='1' Width='2' Height='2' Bpp='24'>";
  struct TCase {
    const char* name;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"a truncated file", Build(Simple()).substr(0, Build(Simple()).size() - 5), corrupt},
      {"a negative frame count", "Dova102" + Int(-1) + std::string(1, '\0') + Int(0), corrupt},
      {"more frames than the data holds", "Dova102" + Int(1000000) + std::string(1, '\0') + Int(0), corrupt},
      {"a frame of width 0", Build(Simple(0, 2)), corrupt},
      {"a frame wider than any picture", Build(Simple(40000, 1)), corrupt},
      {"a bit depth of 12",
       [] {
         TFixtureFile file = Simple();
         file.frames[0].bits = 12;
         return Build(file);
       }(),
       corrupt},
      {"a negative header size",
       [] {
         TFixtureFile file = Simple();
         file.header_size = -1;
         return Build(file);
       }(),
       corrupt},
      {"a header longer than the file", "Dova105" + Int(1 << 30), corrupt},
      {"digits missing after the magic", "Dova1x5" + Int(40), corrupt},
      {"a damaged zlib block", Build(WithColourBytes(0, "not a zlib stream")), corrupt},
      {"a zlib block shorter than the picture", Build(WithColourBytes(0, test::ZlibCompress("abc"))), corrupt},
      {"plain rows shorter than the picture", Build(WithColourBytes(1, "abc")), corrupt},
      {"a JPEG of another size", Build(WithColourBytes(2, TinyJpeg(2, 2))), corrupt},
      {"a damaged JPEG", Build(WithColourBytes(2, "\xFF\xD8\xFF\xE0 garbage")), corrupt},
      {"an unknown compression type", Build(WithColourBytes(3, std::string(36, '\0'))), corrupt},
      {"a tile table beyond any picture",
       [] {
         TFixtureFile file = WithColourBytes(1, "", 4096, 1025);
         file.block_width = file.block_height = 1;
         return Build(file);
       }(),
       corrupt},
      {"an XML form newer than the reader",
       [] {
         TFixtureFile file = Simple();
         file.form = TFixtureForm::Xml;
         file.version = 300;
         return Build(file);
       }(),
       "読み込めないファイル形式です"},
      {"a negative description length", "DovaX200" + Int(-5), corrupt},
      {"a description that is not XML", Build(XmlWith("<Frames Count='1'><Frame>")), corrupt},
      {"the first frame element missing", Build(XmlWith("<Frames Count='1'><Other/></Frames>")), corrupt},
      {"a frame without layers", Build(XmlWith("<Frames Count='1'><Frame/></Frames>")), "レイヤーがありません"},
      {"a palette too short",
       Build(XmlWith("<Frames Count='1'><Frame><Layers Count='0' Bpp='1' RGB='00000'/></Frame></Frames>")),
       "カラーテーブルがありません"},
      {"a misnamed layer element",
       Build(XmlWith("<Frames Count='1'>" + frame_xml + "<Layer/><Other/></Layers></Frame></Frames>")), corrupt},
      {"fewer layer elements than counted",
       Build(XmlWith("<Frames Count='1'><Frame><Layers Count='2' Width='2' Height='2' Bpp='24'>"
                     "<Layer/></Layers></Frame></Frames>")),
       corrupt},
      {"more layers than a frame may hold",
       Build(XmlWith("<Frames Count='1'><Frame><Layers Count='5000' Bpp='24'/></Frame></Frames>")), corrupt},
      {"a negative layer count",
       Build(XmlWith("<Frames Count='1'><Frame><Layers Count='-1' Bpp='24'/></Frame></Frames>")), corrupt},
      {"a number that is not one", Build(XmlWith("<Frames Count='1'><Frame><Layers Width='1x'/></Frame></Frames>")),
       corrupt},
      {"a number beyond 32 bits", Build(XmlWith("<Frames Count='4294967297'><Frame><Layers/></Frame></Frames>")),
       corrupt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDovaFrameList list;
    list.AddFrame();
    TMemoryStream stream(c.bytes);
    try {
      list.LoadFromStream(stream);
      ADD_FAILURE() << "accepted";
    } catch (const EOrvoError& error) {
      EXPECT_EQ(error.Message(), test::Sjis(c.message));
    }
    EXPECT_EQ(list.Count(), 0u);
  }
}

TEST(DovaErrors, FrameIndexOutsideTheList) {
  TDovaFrameList list;
  list.AddFrame();
  for (int64_t index : {int64_t{-1}, int64_t{1}, int64_t{1} << 40}) {
    try {
      list.Frame(index);
      ADD_FAILURE() << index;
    } catch (const EOrvoError& error) {
      EXPECT_EQ(error.Message(), "Error:TDovaFrameList.GetFrame");
    }
  }
}

}  // namespace
}  // namespace orvo
