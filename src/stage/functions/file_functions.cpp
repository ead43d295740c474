// Functions on the game's files and on the files scripts make: FileExists,
// LoadTextFile, CopyFile, SaveScreen and ExtractFile.
#include <memory>

#include "stage/functions/extract_file.h"
#include "stage/functions/function_support.h"
#include "stage/functions/game_functions.h"
#include "stage/functions/memory_files.h"
#include "stage/functions/screenshot.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

struct TFileContext {
  explicit TFileContext(const TGameFunctionServices& given) : services(given), memory(given.files, given.save_file) {
    memory.SetSaveFileStore(given.store_save_file);
  }

  bool RequireFile(const std::string& name) const {
    return services.project ? services.project->RequireFile(name) : services.files.Exists(name);
  }

  TGameFunctionServices services;
  TMemoryFiles memory;
};

void LoadTextFile(TFunctionCall& call, TFileContext& context) {
  const std::string name = call.Str(1);
  if (!context.RequireFile(name)) return;
  const std::vector<uint8_t> bytes = context.services.files.LoadBytes(name);
  const std::vector<std::string> lines =
      SplitTextLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (lines.empty()) return;
  if (TParamVar* array = call.Variable(0)) SetTextArray(*array, lines);
  call.Result().SetAsBool(true);
}

void CopyFile(TFunctionCall& call, TFileContext& context) {
  const std::string source = call.Str(0);
  const std::string target = call.Str(1);
  if (MemoryFileKind(source) == TMemoryFileKind::None) return;
  const TVrFile* entry = context.services.files.FindEntry(source);
  if (!entry) return;
  const std::vector<uint8_t> bytes = context.memory.Content(*entry, source);
  // Whatever the target's name, it becomes a memory entry; "save:" also goes to the save file.
  context.memory.Store(target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  call.Result().SetAsBool(true);
}

void ExtractFile(TFunctionCall& call, const TFileContext& context) {
  TExtractRequest request;
  const TCustomParam& files = call.Arg(0);
  const int32_t count = files.Count();
  for (int32_t i = 0; i < count; ++i) request.names.push_back(files.GetStr(i));
  request.ask = call.Bool(1, true);
  if (call.Has(2)) request.folder = call.Str(2);
  call.Result().SetAsBool(ExtractFiles(context.services, request));
}

}  // namespace

void RegisterFileFunctions(TSysFuncMan& functions, const TGameFunctionServices& services) {
  auto context = std::make_shared<TFileContext>(services);
  functions.Register(71, [context](TFunctionCall& call) {
    const std::string name = call.Str(0);
    call.Result().SetAsBool(!name.empty() && context->services.files.Exists(name));
  });
  functions.Register(72, [context](TFunctionCall& call) { LoadTextFile(call, *context); });
  functions.Register(158, [context](TFunctionCall& call) { CopyFile(call, *context); });
  functions.Register(137, [context](TFunctionCall& call) {
    TSaveScreenRequest request;
    request.file = call.Str(0);
    request.width = call.Int(1, 0);
    request.height = call.Int(2, 0);
    request.other_screen = call.Bool(3, false);
    request.register_mode = call.Int(4, 0);
    call.Result().SetAsBool(SaveScreen(context->services, context->memory, request));
  });
  functions.Register(151, [context](TFunctionCall& call) { ExtractFile(call, *context); });
}

}  // namespace orvo
