#pragma once
// A stage with the media managers on the game clock and files in memory, for
// the sound and video object tests.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/runtime_state.h"
#include "media/media_system.h"
#include "stage/stage.h"

namespace orvo::test {

struct TMediaRig {
  explicit TMediaRig(bool direct)
      : media(Services(), direct, 100, false, [this] { return static_cast<uint32_t>(state.total_elapsed); }) {
    media.RegisterKinds(stage);
  }

  TMediaServices Services() {
    TMediaServices services;
    services.require_file = [this](const std::string& name) { return files.count(name) > 0; };
    services.load_bytes = [this](const std::string& name) {
      auto it = files.find(name);
      if (it == files.end()) throw EReadError(name + ": missing");
      return std::vector<uint8_t>(it->second.begin(), it->second.end());
    };
    return services;
  }

  // A new object of the kind, named, on the source, with the properties set in order, started.
  template <class TObject>
  TObject* NewObject(uint8_t kind, const std::string& name, const std::string& source,
                     const std::vector<std::pair<int32_t, TPropValue>>& props) {
    auto* object = static_cast<TObject*>(stage.CreateByKind(kind));
    object->SetName(name);
    object->SetProperty(PR_SOURCE, TPropValue::Str(source));
    for (const auto& [id, value] : props) object->SetProperty(id, value);
    object->StartMedia();
    return object;
  }

  size_t PlayEndEvents() const {
    size_t n = 0;
    for (const TScriptEvent& event : stage.Events().Entries()) n += event.code == ecPlayEnd ? 1 : 0;
    return n;
  }

  std::map<std::string, std::string> files;
  TRuntimeState state;
  // The media system outlives the stage whose objects hold its items.
  TMediaSystem media;
  TOrvoBaseList stage{state};
};

}  // namespace orvo::test
