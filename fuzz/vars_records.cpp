// The variable records of saves from untrusted bytes: the first byte picks
// the game record (with a save version) or the status record. Whatever loads
// must save and load again, and its snapshots must pop.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/stream.h"
#include "vars/host.h"
#include "vars/store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  orvo::THeadlessSystemHost host;
  orvo::TParamCollection store(host);
  orvo::TSpanStream input(data + 2, size - 2);
  orvo::TBinaryReader reader(input);
  try {
    if (data[0] & 1) {
      store.LoadStatus(reader);
    } else {
      store.LoadGame(reader, 100 + data[1]);
    }
  } catch (const orvo::EOrvoError&) {
    return 0;
  }
  orvo::TMemoryStream saved;
  orvo::TBinaryWriter writer(saved);
  store.SaveGame(writer);
  store.SaveStatus(writer);
  saved.SetPosition(0);
  orvo::TBinaryReader again(saved);
  try {
    store.LoadGame(again, 201);
    store.LoadStatus(again);
  } catch (const orvo::EOrvoError&) {
    std::abort();  // our own records must always read back
  }
  while (store.SnapshotCount() > 0) {
    try {
      store.PopVars();
    } catch (const orvo::EOrvoError&) {
    }
  }
  return 0;
}
