#include "media/media_library.h"

namespace orvo {

namespace {

class TSilentMediaLibrary : public IMediaLibrary {
 public:
  void Start(const TMediaStartOptions&) override {}
  void Suspend() override {}
  void Resume() override {}
  void Stop() override {}
};

}  // namespace

std::unique_ptr<IMediaLibrary> CreateSilentMediaLibrary() { return std::make_unique<TSilentMediaLibrary>(); }

}  // namespace orvo
