#include "stage/bar_fixture.h"

#include "base/numeric.h"
#include "base/stream.h"

namespace orvo::test {

namespace {

TTestFrame Cells(int32_t cell_width, int32_t height, std::vector<int32_t> colours) {
  TTestFrame frame;
  frame.width = cell_width * static_cast<int32_t>(colours.size());
  frame.height = height;
  frame.colour = [cell_width, colours](int32_t x, int32_t) { return colours[static_cast<size_t>(x / cell_width)]; };
  return frame;
}

}  // namespace

BarTest::BarTest() {
  stage_.SetSize(320, 240);
  AddBar("bar.dov", 200, 4);
  AddBar("vbar.dov", 4, 200);
  files_.files["thumb.dov"] = DovaBytes({Cells(10, 10, {kThumbColours[0], kThumbColours[1], kThumbColours[2]})});
  files_.files["buttons.dov"] = DovaBytes({Cells(8, 8, std::vector<int32_t>(kButtonColours, kButtonColours + 6))});
}

void BarTest::AddBar(const std::string& name, int32_t cell_width, int32_t cell_height) {
  files_.files[name] = DovaBytes({Cells(cell_width, cell_height, {kBarLeft, kBarRight})});
}

TOrvoSlider* BarTest::MakeSlider(uint8_t kind, const std::string& name, int32_t orientation) {
  auto* slider = static_cast<TOrvoSlider*>(Make(kind, name));
  Set(*slider, PR_ORIENTATION, TPropValue::Int(orientation));
  slider->SetBoundsRect(10, 20, 0, 0);
  Set(*slider, PR_SOURCE, TPropValue::Str(orientation == 1 ? "vbar.dov" : "bar.dov"));
  Set(*slider, PR_THUMBSOURCE, TPropValue::Str("thumb.dov"));
  Set(*slider, PR_BUTTONSOURCE, TPropValue::Str("buttons.dov"));
  Set(*slider, PR_MAX, TPropValue::Int(100));
  Set(*slider, PR_ALPHA, TPropValue::Int(255));
  Set(*slider, PR_ONNOTIFY, TPropValue::Str("changed"));
  return slider;
}

void BarTest::Step(int32_t delta) {
  state_.frame_delta = delta;
  state_.total_elapsed = WrapAdd(state_.total_elapsed, delta);
  stage_.ProcessInput();
  stage_.UpdateAll();
  stage_.PaintAll();
  stage_.ClearDirty();
}

void BarTest::Move(int32_t x, int32_t y) {
  TInputEvent event;
  event.kind = TInputKind::MouseMove;
  event.x = x;
  event.y = y;
  stage_.HandleInput(event);
}

void BarTest::Press(int32_t x, int32_t y) {
  TInputEvent event;
  event.kind = TInputKind::MouseDown;
  event.button = TMouseButton::Left;
  event.x = x;
  event.y = y;
  stage_.HandleInput(event);
}

void BarTest::Release(int32_t x, int32_t y) {
  TInputEvent event;
  event.kind = TInputKind::MouseUp;
  event.button = TMouseButton::Left;
  event.x = x;
  event.y = y;
  stage_.HandleInput(event);
}

void BarTest::Key(int32_t code, bool down) {
  TInputEvent event;
  event.kind = down ? TInputKind::KeyDown : TInputKind::KeyUp;
  event.key = code;
  stage_.HandleInput(event);
}

std::string BarTest::Save() const {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  stage_.WriteState(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void BarTest::Load(const std::string& bytes, int32_t version) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  stage_.ReadState(reader, version);
}

}  // namespace orvo::test
