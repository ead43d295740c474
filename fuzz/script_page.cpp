// The page reader on arbitrary bytes: it raises or loads; what a loaded page
// writes reads back to the same bytes, and its decompiled source compiles to them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "script/lang/decompiler.h"
#include "script/lang/source_compiler.h"
#include "script/page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  orvo::TPage page;
  try {
    page.Load("fuzz.osb", bytes);
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  std::string written = page.SaveToBytes();
  orvo::TPage again;
  again.Load("fuzz.osb", written);
  if (again.SaveToBytes() != written) std::abort();
  // Decompiling searches expression texts: keep each input quick.
  size_t expressions = 0;
  for (const auto& command : page.Commands()) {
    for (const orvo::TField& field : command->fields) expressions += 1 + field.list.size() + field.properties.size();
  }
  if (page.Count() > 64 || expressions > 400) return 0;
  orvo::TDecompileOptions options;
  options.page_name = "fuzz.osb";
  std::string source = orvo::DecompilePage(page, options);
  orvo::TCompileOptions compile;
  compile.page_name = "fuzz.osb";
  if (orvo::CompilePageSource(source, compile) != written) std::abort();
  return 0;
}
