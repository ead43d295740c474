#include "stage/stage_commands.h"

#include "stage/custom_image.h"
#include "stage/images.h"
#include "stage/list_box.h"
#include "stage/message.h"
#include "stage/particle.h"
#include "stage/prop_access.h"
#include "stage/prop_motion.h"
#include "stage/stage.h"

namespace orvo {

const std::string& FlipCoverName() {
  static const std::string kName("\x01\x01", 2);
  return kName;
}

TOrvoObject* TStageCommands::Object(TObjectHandle handle) const { return stage_->Resolve(handle); }

TOrvoControl* TStageCommands::Control(TObjectHandle handle) const { return stage_->ResolveControl(handle); }

TObjectHandle TStageCommands::CreateByKind(int32_t kind) {
  TOrvoObject* object = stage_->CreateByKind(kind);
  return object ? object->Handle() : 0;
}

TObjectHandle TStageCommands::FindComponent(std::string_view name) const {
  TOrvoObject* object = stage_->FindComponent(name);
  return object ? object->Handle() : 0;
}

TObjectHandle TStageCommands::FindControl(std::string_view name) const {
  TOrvoControl* control = stage_->FindControl(name);
  return control ? control->Handle() : 0;
}

TObjectHandle TStageCommands::Screen(int index) const { return stage_->Screen(index).Handle(); }

int TStageCommands::ActiveScreenIndex() const { return stage_->ActiveScreenIndex(); }

std::string TStageCommands::Name(TObjectHandle object) const {
  const TOrvoObject* found = Object(object);
  return found ? found->Name() : std::string();
}

void TStageCommands::SetName(TObjectHandle object, const std::string& name) {
  if (TOrvoObject* found = Object(object)) found->SetName(name);
}

bool TStageCommands::IsCabinet(TObjectHandle object) const {
  const TOrvoControl* control = Control(object);
  return control && control->IsCabinet();
}

void TStageCommands::SetParent(TObjectHandle object, TObjectHandle parent) {
  TOrvoControl* control = Control(object);
  TOrvoControl* new_parent = Control(parent);
  if (control && new_parent && !control->IsScreen()) control->SetParent(new_parent);
}

std::vector<TObjectHandle> TStageCommands::Children(TObjectHandle parent) const {
  std::vector<TObjectHandle> children;
  if (const TOrvoControl* control = Control(parent)) {
    for (const TOrvoControl* child : control->Children()) children.push_back(child->Handle());
  }
  return children;
}

void TStageCommands::Scrap(TObjectHandle object) {
  if (TOrvoObject* found = Object(object)) found->Scrap();
}

void TStageCommands::Invalidate(TObjectHandle object) {
  if (TOrvoControl* control = Control(object)) control->Invalidate();
}

TParamType TStageCommands::PropertyType(int32_t id) const { return PropParamType(id); }

void TStageCommands::GetProperty(TCustomParam& variable, TObjectHandle object, int32_t id) {
  if (const TOrvoObject* found = Object(object)) GetProp(variable, *found, id);
}

void TStageCommands::SetProperty(TObjectHandle object, int32_t id, const TCustomParam& value) {
  if (TOrvoObject* found = Object(object)) SetProp(*found, id, value);
}

void TStageCommands::PrepareLeft(TObjectHandle object) {
  if (auto* picture = dynamic_cast<TOrvoCustomImage*>(Object(object))) picture->UpdateSizeIfDue();
}

void TStageCommands::SetParticleExpressions(TObjectHandle object, const TOrvoParser* appear_x,
                                            const TOrvoParser* appear_y, const TOrvoParser* interval) {
  if (auto* emitter = dynamic_cast<TOrvoParticle*>(Object(object))) {
    emitter->SetExpressions(appear_x, appear_y, interval);
  }
}

void TStageCommands::SetLastWait(TObjectHandle object, const TOrvoParser& expression) {
  if (auto* animation = dynamic_cast<TOrvoCustomImages*>(Object(object))) animation->SetLastWait(expression);
}

void TStageCommands::SetupPropMotion(TObjectHandle motion, const TPropMotionSetup& setup) {
  auto* found = dynamic_cast<TOrvoPropMotion*>(Object(motion));
  if (!found) return;
  found->SetTargetName(setup.target);
  found->SetPropId(setup.property);
  if (setup.value) found->SetTargetValue(*setup.value);
  if (setup.time) found->SetDuration(*setup.time);
  if (setup.mode) found->SetMotionType(*setup.mode);
  if (setup.paused) found->SetPaused(*setup.paused);
}

void TStageCommands::RestartMedia(TObjectHandle object) {
  if (TOrvoObject* found = Object(object)) found->RestartMedia();
}

void TStageCommands::StartMedia(TObjectHandle object) {
  if (TOrvoObject* found = Object(object)) found->StartMedia();
}

void TStageCommands::SetMenuState(TObjectHandle object, int32_t state) {
  if (auto* menu = dynamic_cast<TOrvoMenu*>(Object(object))) menu->SetPlayState(static_cast<uint8_t>(state & 3));
}

bool TStageCommands::StopMedia(TObjectHandle object, int32_t fade_time) {
  TOrvoObject* found = Object(object);
  return found && found->StopMedia(fade_time);
}

bool TStageCommands::Alive(TObjectHandle object) const { return Object(object) != nullptr; }

namespace {
TOrvoMes* AsMessage(TOrvoObject* object) { return dynamic_cast<TOrvoMes*>(object); }
}  // namespace

bool TStageCommands::IsMessage(TObjectHandle object) const { return AsMessage(Object(object)) != nullptr; }

void TStageCommands::InsertText(TObjectHandle message, const TTextInsertion& insertion) {
  TOrvoMes* found = AsMessage(Object(message));
  if (!found) return;
  found->SetTextSource(TTextSource::Plain);
  found->SetHistoryOffset(0);
  if (insertion.record) {
    found->SetTextSource(TTextSource::Recorded);
    found->SetCommandOrigin(insertion.page_name, insertion.command_index);
  }
  found->Content().SetTextReference(insertion.page_name, insertion.command_index);
  found->Content().Prime(insertion.page_name, insertion.command_index, insertion.glyph_stream);
  found->SetPackedDisplay(false);
  found->RebuildText(false, false);
  // Through SetPage, so that the play-start event carries the read flag.
  if (found->PageCount() > 0) found->SetPage(0);
}

bool TStageCommands::HoldsText(TObjectHandle message) const {
  TOrvoMes* found = AsMessage(Object(message));
  return found && found->PageCount() > 0;
}

void TStageCommands::ClearText(TObjectHandle message) {
  if (TOrvoMes* found = AsMessage(Object(message))) {
    found->SetTextSource(TTextSource::Plain);
    found->SetText(std::string());
  }
}

void TStageCommands::ClearReadMarks() { stage_->ReadMarks().ClearMarks(); }

void TStageCommands::PaintAll() { stage_->PaintAll(); }

TObjectHandle TStageCommands::CreateFlipCover() {
  TCustomDIBX& display = stage_->DisplaySurface();
  TPictureView view;
  view.surface = std::make_shared<TDIBX>();
  view.surface->SetSize(display.Width(), display.Height(), display.BitCount());
  view.surface->Assign(display);
  TOrvoCustomImage* cover = stage_->Create<TOrvoCustomImage>();
  cover->SetName(FlipCoverName());
  cover->SetParent(&stage_->ActiveScreen());
  cover->SetOwnPicture(std::move(view));
  return cover->Handle();
}

void TStageCommands::RenderScreen(int index) { stage_->RenderScreen(index); }

bool TStageCommands::StartTransition(const TTransitionSetup& setup) {
  TCustomWipe* wipe =
      stage_->StartFlip(stage_->ActiveScreenIndex(), setup.kind, setup.time, 0, /*restart=*/true, setup.reverse);
  if (!wipe) return false;
  if (setup.param1) wipe->SetParam(0, *setup.param1);
  if (setup.param2) wipe->SetParam(1, *setup.param2);
  if (setup.text) wipe->SetText(*setup.text);
  if (setup.option) wipe->SetOption(*setup.option);
  wipe->Prepare();
  return true;
}

void TStageCommands::SetTransitionElapsed(int32_t elapsed) { stage_->SetWipeElapsed(elapsed); }

void TStageCommands::SwitchScreens() {
  if (stage_->WipeRunning()) stage_->EndWipe();
  stage_->SetActiveScreen(stage_->ActiveScreenIndex() ^ 1);
}

}  // namespace orvo
