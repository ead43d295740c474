#include "platform/locale.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace orvo {

bool UserLanguageIsJapanese() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return std::strncmp(value, "ja", 2) == 0;
  }
  return false;
}

}  // namespace orvo
