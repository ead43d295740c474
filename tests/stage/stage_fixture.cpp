#include "stage/stage_fixture.h"

#include "base/numeric.h"
#include "base/stream.h"
#include "stage/prop_table.h"

namespace orvo::test {

TPropValue TTestBox::GetProperty(int32_t id) const {
  switch (id) {
    case PR_REPEAT:
      return TPropValue::Bool(repeat_);
    case PR_AUTOSCRAP:
      return TPropValue::Bool(auto_scrap_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_SOURCE:
      return TPropValue::Str(source_);
    case PR_ALPHA:
      return TPropValue::Int(alpha_);
    case PR_ZOOMX:
    case PR_ZOOMY:
      return TPropValue::Int(zoom_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

void TTestBox::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_PAUSED:
      paused_ = value.AsBool();
      break;
    case PR_REPEAT:
      repeat_ = value.AsBool();
      break;
    case PR_AUTOSCRAP:
      auto_scrap_ = value.AsBool();
      break;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      break;
    case PR_ALPHA:
      alpha_ = value.AsInt();
      break;
    case PR_SOURCE:
      source_ = value.AsStr();
      if (IsMotionFileName(source_)) {
        LoadMotion(source_);
      } else {
        FreeMotion();
      }
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

bool TTestBox::Update() {
  ++update_count_;
  return finish_ || TOrvoControl::Update();
}

void TTestBox::Paint(TCustomDIBX& surface) {
  if (Color() >= 0) surface.FillRect(ObjectRect(), static_cast<uint32_t>(surface.ColorToPixel(Color())));
  PaintChildren(surface);
}

StageTest::StageTest() : stage_(state_, &host_) {
  state_.frame_delta = 15;
  stage_.SetSize(64, 48);
  stage_.RegisterKind(kcBox, [](TOrvoBaseList& stage) { return std::make_unique<TTestBox>(stage); });
}

TTestBox* StageTest::Box(const std::string& name, int32_t left, int32_t top, int32_t width, int32_t height,
                         TOrvoControl* parent) {
  TTestBox* box = stage_.Create<TTestBox>();
  // The creation command names an object before it gives it a parent.
  box->SetName(name);
  box->SetParent(parent ? parent : &stage_.ActiveScreen());
  box->SetBoundsRect(left, top, width, height);
  return box;
}

void StageTest::Frame(int32_t delta) {
  state_.frame_delta = delta;
  state_.total_elapsed = WrapAdd(state_.total_elapsed, delta);
  stage_.ProcessInput();
  stage_.UpdateAll();
  stage_.PaintAll();
  stage_.ClearDirty();
}

std::vector<std::string> StageTest::TakeEvents() {
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

void StageTest::Move(int32_t x, int32_t y, bool on_stage) {
  TInputEvent event;
  event.kind = TInputKind::MouseMove;
  event.on_stage = on_stage;
  event.x = x;
  event.y = y;
  stage_.HandleInput(event);
}

void StageTest::Press(TMouseButton button, int32_t x, int32_t y) {
  TInputEvent event;
  event.kind = TInputKind::MouseDown;
  event.button = button;
  event.x = x;
  event.y = y;
  stage_.HandleInput(event);
}

void StageTest::Release(TMouseButton button, int32_t x, int32_t y) {
  TInputEvent event;
  event.kind = TInputKind::MouseUp;
  event.button = button;
  event.x = x;
  event.y = y;
  stage_.HandleInput(event);
}

void StageTest::Key(int32_t code, bool down) {
  TInputEvent event;
  event.kind = down ? TInputKind::KeyDown : TInputKind::KeyUp;
  event.key = code;
  stage_.HandleInput(event);
}

void StageTest::Wheel(bool down) {
  TInputEvent event;
  event.kind = down ? TInputKind::WheelDown : TInputKind::WheelUp;
  stage_.HandleInput(event);
}

std::string Str(const char* bytes) { return std::string(bytes); }

std::string SaveStage(const TOrvoBaseList& stage) {
  TMemoryStream stream;
  TBinaryWriter writer(stream);
  stage.WriteState(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void LoadStage(TOrvoBaseList& stage, const std::string& bytes, int32_t version) {
  TSpanStream stream(bytes.data(), bytes.size());
  TBinaryReader reader(stream);
  stage.ReadState(reader, version);
}

std::vector<uint32_t> StagePixels(TOrvoBaseList& stage) {
  stage.ActiveScreen().AddWholeArea();
  stage.PaintAll();
  stage.ClearDirty();
  TDIBX& display = stage.DisplaySurface();
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < display.Height(); ++y) {
    for (int32_t x = 0; x < display.Width(); ++x) pixels.push_back(display.GetPixel(x, y));
  }
  return pixels;
}

void ExpectPropertyTableRows(TOrvoControl& object) {
  for (int32_t id = 0; id < kPropCount; ++id) {
    SCOPED_TRACE("kind " + std::to_string(object.CompoType()) + " property " + std::to_string(id));
    const TPropValue before = object.GetProperty(id);
    EXPECT_EQ(before.Type(), PropType(id));
    if (PropReadBy(object, id)) continue;
    EXPECT_EQ(before, DefaultPropValue(object, id));
    if (PropWrittenBy(object, id) || id == PR_NAME) continue;
    object.SetProperty(id, PropType(id) == TPropType::Str ? TPropValue::Str("x") : TPropValue::Int(77));
    EXPECT_EQ(object.GetProperty(id), before);
  }
}

}  // namespace orvo::test
