#pragma once
// Read-aloud: text handed to the desktop's speech service. The player never
// asks which implementation it has; tests use the recording one.
#include <memory>
#include <string>
#include <vector>

namespace orvo {

class ISpeech {
 public:
  virtual ~ISpeech() = default;
  // Starts speaking text (UTF-8) after whatever is still being spoken.
  virtual void Speak(const std::string& text_utf8) = 0;
  // Stops the speech in progress and drops what is queued.
  virtual void Cancel() = 0;
};

// Speech through speech-dispatcher, in Japanese when it has a Japanese voice;
// null with a reason in problem when the service cannot be reached.
std::unique_ptr<ISpeech> CreateSpeechDispatcher(std::string& problem);

// The headless stand-in: every request as one stderr line, "speech: say TEXT"
// (line breaks written as \n) or "speech: cancel".
std::unique_ptr<ISpeech> CreateHeadlessSpeech();

// Remembers every request as "say:TEXT" or "cancel", in order.
class TRecordingSpeech : public ISpeech {
 public:
  void Speak(const std::string& text_utf8) override { requests.push_back("say:" + text_utf8); }
  void Cancel() override { requests.push_back("cancel"); }
  std::vector<std::string> requests;
};

}  // namespace orvo
