#include "app/read_aloud.h"

#include <cstdio>

#include "base/cp932.h"

namespace orvo {

void TReadAloud::SetEnabled(bool on) {
  if (on && !speech_ && !failed_) {
    std::string problem;
    speech_ = connect_(problem);
    if (!speech_) {
      failed_ = true;
      std::fprintf(stderr, "orvoplayer: read-aloud is off: %s\n", problem.c_str());
    }
  }
  if (!on && speech_ && speaking_) speech_->Cancel();
  if (!on) speaking_ = false;
  enabled_ = on && speech_ != nullptr;
}

void TReadAloud::PageStarted(const std::string& cp932_text) {
  if (!enabled_) return;
  std::string text;
  for (char c : Cp932ToUtf8(cp932_text)) {
    if (c != '\r') text += c;
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  if (speaking_) speech_->Cancel();
  speaking_ = !text.empty();
  if (speaking_) speech_->Speak(text);
}

}  // namespace orvo
