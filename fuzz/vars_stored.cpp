// The stored form of compiled expressions from untrusted bytes (as pages
// and saves carry it): load, run, store and load again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/random.h"
#include "base/stream.h"
#include "vars/engine.h"
#include "vars/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TOrvoParser parser;
  try {
    parser.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  orvo::THeadlessSystemHost host;
  host.call_stack_count = 2;
  orvo::TProcessRandom random;
  orvo::TExprEngine engine(host, random);
  for (const char* name : {"i", "s", "a"}) {
    engine.Store().CreateVariable(name, name[0] == 's' ? orvo::PT_STR : orvo::PT_INT, orvo::TVarScope::Global);
  }
  parser.Execute(engine);
  orvo::TMemoryStream stream;
  orvo::TBinaryWriter writer(stream);
  parser.SaveToStream(writer);
  orvo::TOrvoParser again;
  again.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(stream.Bytes().data()), stream.Bytes().size()));
  again.AssignFrom(parser);
  again.Execute(engine);
  return 0;
}
