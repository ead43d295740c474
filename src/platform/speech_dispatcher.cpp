#include <libspeechd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/speech.h"

namespace orvo {

namespace {

// A voice of the current output module speaks Japanese.
bool HasJapaneseVoice(SPDConnection* connection) {
  SPDVoice** voices = spd_list_synthesis_voices(connection);
  if (!voices) return false;
  bool found = false;
  for (SPDVoice** voice = voices; *voice && !found; ++voice) {
    const char* language = (*voice)->language;
    found = language && language[0] == 'j' && language[1] == 'a';
  }
  free_spd_voices(voices);
  return found;
}

class TSpeechDispatcher : public ISpeech {
 public:
  explicit TSpeechDispatcher(SPDConnection* connection) : connection_(connection) {
    if (HasJapaneseVoice(connection_)) spd_set_language(connection_, "ja");
  }
  ~TSpeechDispatcher() override {
    spd_cancel(connection_);
    spd_close(connection_);
  }
  void Speak(const std::string& text_utf8) override {
    if (!text_utf8.empty()) spd_say(connection_, SPD_TEXT, text_utf8.c_str());
  }
  void Cancel() override { spd_cancel(connection_); }

 private:
  SPDConnection* connection_;
};

class THeadlessSpeech : public ISpeech {
 public:
  void Speak(const std::string& text_utf8) override {
    std::string line;
    for (char c : text_utf8) line += c == '\n' ? std::string("\\n") : std::string(1, c);
    std::fprintf(stderr, "speech: say %s\n", line.c_str());
  }
  void Cancel() override { std::fprintf(stderr, "speech: cancel\n"); }
};

}  // namespace

std::unique_ptr<ISpeech> CreateHeadlessSpeech() { return std::make_unique<THeadlessSpeech>(); }

std::unique_ptr<ISpeech> CreateSpeechDispatcher(std::string& problem) {
  char* error = nullptr;
  SPDConnection* connection =
      spd_open2("orvoplayer", nullptr, nullptr, SPD_MODE_SINGLE, nullptr, /*autospawn=*/1, &error);
  if (!connection) {
    problem = error ? error : "speech-dispatcher is not available";
    free(error);
    return nullptr;
  }
  return std::make_unique<TSpeechDispatcher>(connection);
}

}  // namespace orvo
