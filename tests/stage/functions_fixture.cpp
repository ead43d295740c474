#include "stage/functions_fixture.h"

#include <filesystem>

#include "base/cp932.h"
#include "image/dova.h"
#include "stage/timer.h"
#include "vars/parser.h"
#include "vars/store.h"

namespace orvo::test {

std::optional<std::string> TScriptedDesktop::ChooseFile(const TFileDialogRequest& request) {
  requests.push_back(request);
  if (file_answers.empty()) return std::nullopt;
  std::optional<std::string> answer = file_answers.front();
  file_answers.pop_front();
  return answer;
}

TOverwriteAnswer TScriptedDesktop::AskOverwrite(const std::string& text, TOverwriteButtons buttons) {
  questions.push_back((buttons == TOverwriteButtons::YesNo ? "2:" : "5:") + text);
  if (overwrite_answers.empty()) return TOverwriteAnswer::No;
  TOverwriteAnswer answer = overwrite_answers.front();
  overwrite_answers.pop_front();
  return answer;
}

TPropValue TTestMenu::GetProperty(int32_t id) const {
  if (id == PR_TEXT) return TPropValue::Str(text_);
  return TOrvoControl::GetProperty(id);
}

void TTestMenu::SetProperty(int32_t id, const TPropValue& value) {
  if (id == PR_TEXT) {
    text_ = value.AsStr();
    return;
  }
  TOrvoControl::SetProperty(id, value);
}

int32_t TTestMenu::IndexOfItemName(std::string_view name) const {
  for (int32_t i = 0; i < kItems; ++i) {
    if (ItemText(i) == name) return i;
  }
  return -1;
}

TFunctionWorld::TFunctionWorld(IDesktop* other_desktop)
    : root(MakeTempDir("functions")),
      folder(root + "/game"),
      save_file(root + "/save/save.dat"),
      stage(state, &stage_host),
      system_host(state, stage),
      engine(system_host, random),
      desktop(root) {
  std::filesystem::create_directories(folder);
  files.SetFolder(folder);
  stage.SetSize(64, 48);
  stage.RegisterKind(kcBox, [](TOrvoBaseList& s) { return std::make_unique<TTestBox>(s); });
  for (uint8_t code : {kcEdit, kcMenu, kcPrevMenu}) {
    stage.RegisterKind(code, [code](TOrvoBaseList& s) { return std::make_unique<TTestMenu>(s, code); });
  }
  auto place = [this](const char* name, int32_t left, int32_t top, int32_t side, TOrvoControl* parent) {
    TTestBox* box = stage.Create<TTestBox>();
    box->SetName(name);
    box->SetParent(parent ? parent : &stage.ActiveScreen());
    box->SetBoundsRect(left, top, side, side);
    return box;
  };
  a = place("a", 10, 10, 20, nullptr);
  b = place("b", 5, 5, 4, a);
  c = place("c", 12, 12, 4, a);
  stage.Create<TOrvoTimer>()->SetName("t");

  const std::pair<const char*, int> variables[] = {
      {"n", PT_INT}, {"s", PT_STR}, {"arr", PT_STR}, {"ok", PT_BOOL}, {"f", PT_FLOAT}};
  for (const auto& [name, kind] : variables) engine.Store().CreateVariable(name, kind, TVarScope::Global);

  TGameFunctionServices services(stage, files, other_desktop ? *other_desktop : desktop, state);
  services.save_file = [this] { return save_file; };
  services.forget_picture = [this](const std::string& file) { forgotten.push_back(Cp932ToUtf8(file)); };
  RegisterGameFunctions(engine, services);
}

bool TFunctionWorld::Run(std::string_view utf8_statement) { return RunStatement(engine, Sjis(utf8_statement)); }

std::string TFunctionWorld::Eval(std::string_view utf8_expression) {
  std::unique_ptr<TCustomParam> value = EvaluateText(engine, Sjis(utf8_expression));
  if (!value) return "none";
  static const char* const kKinds[] = {"none", "int", "float", "bool", "str"};
  return std::string(kKinds[value->ParamType()]) + "\t" + Cp932ToUtf8(value->GetAsStr());
}

std::string TFunctionWorld::Value(std::string_view utf8_name) {
  TParamCollectionItem* item = engine.Store().Find(Sjis(utf8_name));
  if (!item) return "<missing>";
  const TCustomParam& value = item->Value();
  std::string text;
  for (int32_t i = 0; i < value.Count(); ++i) {
    if (i) text += '|';
    text += Cp932ToUtf8(value.GetStr(i));
  }
  return text;
}

void TFunctionWorld::AddArchiveFile(std::string_view utf8_name, std::string_view bytes) {
  if (files.CollectionCount() == 0) files.AddArchive("");
  files.Collection(0).AddMemory(Sjis(utf8_name)).content = std::make_unique<TMemoryStream>(bytes);
}

void CheckCases(const std::vector<TFunctionCase>& cases, void (*prepare)(TFunctionWorld&)) {
  for (const TFunctionCase& c : cases) {
    TFunctionWorld world;
    if (prepare) prepare(world);
    bool ready = true;
    for (const char* statement : c.setup) {
      if (!world.Run(statement)) {
        ADD_FAILURE() << "setup failed: " << statement;
        ready = false;
      }
    }
    if (ready) {
      EXPECT_EQ(world.Eval(c.expression), c.result) << c.expression;
    }
  }
}

std::pair<int32_t, int32_t> PictureSize(const std::string& bytes) {
  TDovaFrameList list;
  if (bytes.empty() || !list.LoadFromBytes(bytes, "x.dov") || list.Count() == 0) return {0, 0};
  return {list.Frame(0).picture.Width(), list.Frame(0).picture.Height()};
}

}  // namespace orvo::test
