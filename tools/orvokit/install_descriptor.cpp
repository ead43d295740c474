// The install descriptor that packed and bundled games need to start.
#include "base/stream.h"
#include "data/install_info.h"
#include "kit.h"
#include "script/project_settings.h"

namespace orvo::kit {

std::string LocalInstallDescriptor(const std::string& settings_bytes, std::string* title) {
  TInstallInfo install;
  if (!settings_bytes.empty()) {
    TMemoryStream settings(std::vector<uint8_t>(settings_bytes.begin(), settings_bytes.end()));
    install.title = ReadProjectSettings(settings).title;
  }
  install.installed_locally = true;
  TMemoryStream stream;
  WriteInstallInfo(stream, install);
  if (title) *title = install.title;
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

}  // namespace orvo::kit
