#pragma once

namespace orvo {

// True when the user's language is Japanese (LC_ALL, LC_MESSAGES, LANG),
// which picks the Japanese texts of the shell's own questions.
bool UserLanguageIsJapanese();

}  // namespace orvo
