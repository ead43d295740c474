#include "stage/picture_fixture.h"

#include "base/numeric.h"
#include "base/stream.h"
#include "image/dova.h"

namespace orvo::test {

namespace {

uint32_t PixelOf(int32_t colour) {
  return static_cast<uint32_t>(((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF));
}

}  // namespace

std::string DovaBytes(const std::vector<TTestFrame>& frames) {
  TDovaFrameList list;
  for (const TTestFrame& layout : frames) {
    TDovaFrame& frame = list.AddFrame();
    frame.delay = layout.delay;
    frame.picture.SetSize(layout.width, layout.height, 32);
    for (int32_t y = 0; y < layout.height; ++y) {
      for (int32_t x = 0; x < layout.width; ++x) frame.picture.SetPixel(x, y, PixelOf(layout.colour(x, y)));
    }
    if (layout.key >= 0) frame.SetTransparentColor(layout.key);
    if (layout.mask) {
      frame.picture.EnsureMask();
      for (int32_t y = 0; y < layout.height; ++y) {
        for (int32_t x = 0; x < layout.width; ++x) {
          frame.picture.Mask()->SetPixel(x, y, static_cast<uint32_t>(layout.mask(x, y)));
        }
      }
    }
  }
  TMemoryStream stream;
  list.SaveToStream(stream, TDovaCompression::Zlib, 90);
  const std::vector<uint8_t>& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

TTestFrame Plain(int32_t width, int32_t height, int32_t colour) {
  TTestFrame frame;
  frame.width = width;
  frame.height = height;
  frame.colour = [colour](int32_t, int32_t) { return colour; };
  return frame;
}

PictureTest::PictureTest() : stage_(state_) {
  state_.frame_delta = 15;
  stage_.SetSize(64, 48);
  stage_.Pictures().SetFiles(&files_);
}

TOrvoControl* PictureTest::Make(uint8_t kind, const std::string& name, TOrvoControl* parent) {
  TOrvoControl* object = stage_.CreateByKind(kind)->AsControl();
  object->SetName(name);
  object->SetParent(parent ? parent : &stage_.ActiveScreen());
  return object;
}

void PictureTest::Frame(int32_t delta) {
  state_.frame_delta = delta;
  state_.total_elapsed = WrapAdd(state_.total_elapsed, delta);
  stage_.UpdateAll();
  stage_.PaintAll();
  stage_.ClearDirty();
}

int32_t PictureTest::Pixel(int32_t x, int32_t y) {
  stage_.PaintAll();
  stage_.ClearDirty();
  const uint32_t p = stage_.DisplaySurface().GetPixel(x, y);
  return static_cast<int32_t>(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
}

std::vector<std::string> PictureTest::TakeEvents() {
  std::vector<std::string> lines;
  for (const TScriptEvent& event : stage_.Events().Entries()) {
    const TOrvoObject* owner = stage_.Resolve(event.owner);
    std::string line = std::to_string(event.code) + " " + (owner ? owner->Name() : "-");
    for (const std::string& arg : event.args) line += " " + arg;
    lines.push_back(line);
  }
  stage_.Events().Clear();
  return lines;
}

}  // namespace orvo::test
