#pragma once
// Read-aloud: each message-window page is spoken as it starts to reveal, and
// a new page cuts the old one short. The speech service is reached only once
// the feature is first switched on.
#include <functional>
#include <memory>
#include <string>

#include "platform/speech.h"

namespace orvo {

class TReadAloud {
 public:
  // connect reaches the speech service; it returns null with a reason when it cannot.
  using TConnect = std::function<std::unique_ptr<ISpeech>(std::string& problem)>;
  explicit TReadAloud(TConnect connect) : connect_(std::move(connect)) {}

  // Switching on connects the first time; when that fails, one line goes to
  // stderr and read-aloud stays off for good. Switching off stops the speech.
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }
  // A page (CP932, "\r\n" between lines) starts to reveal.
  void PageStarted(const std::string& cp932_text);

 private:
  TConnect connect_;
  std::unique_ptr<ISpeech> speech_;
  bool enabled_ = false;
  bool failed_ = false;
  bool speaking_ = false;
};

}  // namespace orvo
