// Expression text from untrusted bytes: compile, store, load and run it.
// What the compiler writes must load back and store to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "base/random.h"
#include "base/stream.h"
#include "vars/compiler.h"
#include "vars/engine.h"
#include "vars/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string bytes;
  try {
    bytes = orvo::TBuildOrvoParser::CompileToBytes(text);
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  orvo::THeadlessSystemHost host;
  orvo::TProcessRandom random;
  orvo::TExprEngine engine(host, random);
  for (const char* name : {"i", "j", "s", "f", "a"}) {
    engine.Store().CreateVariable(name, name[0] == 's' ? orvo::PT_STR : orvo::PT_INT, orvo::TVarScope::Global);
  }
  orvo::TOrvoParser parser;
  parser.LoadFromBytes(bytes);
  orvo::TMemoryStream stream;
  orvo::TBinaryWriter writer(stream);
  parser.SaveToStream(writer);
  if (std::string(stream.Bytes().begin(), stream.Bytes().end()) != bytes) std::abort();
  parser.Execute(engine);
  parser.Execute(engine);
  return 0;
}
