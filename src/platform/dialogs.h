#pragma once
// Message boxes, questions and input dialogs. The real ones are drawn by the
// player itself (see ui_box.h), modal over the game window; the headless ones
// write the box to stderr and take their answers from the input script, so
// runs stay repeatable.
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvo {

enum class TBoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class TBoxIcon { None, Error, Warning, Information, Question };
enum class TBoxAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // Shows a box (caption and text in UTF-8) and waits for the answer.
  virtual TBoxAnswer MessageBox(const std::string& caption, const std::string& text, TBoxButtons buttons,
                                TBoxIcon icon) = 0;
  // Asks for a line of text (caption, prompt and first text in UTF-8) and
  // waits; the text, or nothing when it was cancelled.
  virtual std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                               const std::string& initial) = 0;
  // Queues the answer of the next box (headless input scripts); ignored by real dialogs.
  virtual void QueueAnswer(const std::string& answer) = 0;
  // The next queued free-text answer (file dialogs and the like); empty means cancelled.
  virtual std::string TakeTextAnswer() = 0;
};

std::unique_ptr<IDialogs> CreateWindowDialogs();
std::unique_ptr<IDialogs> CreateHeadlessDialogs();

// The answer a box gets when the script gives none: the safe choice (Cancel, No or Ok).
TBoxAnswer DefaultAnswer(TBoxButtons buttons);
// Parses "ok", "cancel", "yes" ... ; false for other texts.
bool ParseBoxAnswer(const std::string& text, TBoxAnswer& answer);
const char* BoxAnswerName(TBoxAnswer answer);
// The buttons of a box, left to right.
std::vector<TBoxAnswer> BoxAnswers(TBoxButtons buttons);
// A button's label: Japanese when japanese is set, else English.
const char* BoxAnswerLabel(TBoxAnswer answer, bool japanese);

}  // namespace orvo
