#include "platform/dialogs.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/locale.h"
#include "platform/ui_box.h"

namespace orvo {

namespace {

class TWindowDialogs : public IDialogs {
 public:
  TBoxAnswer MessageBox(const std::string& caption, const std::string& text, TBoxButtons buttons,
                        TBoxIcon icon) override {
    const bool japanese = UserLanguageIsJapanese();
    const std::vector<TBoxAnswer> answers = BoxAnswers(buttons);
    TUiBoxRequest request;
    request.caption = caption;
    request.text = text;
    request.icon = icon;
    for (size_t i = 0; i < answers.size(); ++i) {
      request.buttons.push_back(BoxAnswerLabel(answers[i], japanese));
      if (answers[i] == DefaultAnswer(buttons)) request.escape_button = i;
    }
    TUiBoxResult result = RunUiBox(request);
    if (!result.shown) {
      std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
      return DefaultAnswer(buttons);
    }
    return answers[std::min(result.button, answers.size() - 1)];
  }

  std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
    const bool japanese = UserLanguageIsJapanese();
    TUiBoxRequest request;
    request.caption = caption;
    request.text = prompt;
    request.buttons = {"OK", BoxAnswerLabel(TBoxAnswer::Cancel, japanese)};
    request.escape_button = 1;
    request.with_input = true;
    request.input = initial;
    TUiBoxResult result = RunUiBox(request);
    if (!result.shown || result.button != 0) return std::nullopt;
    return result.input;
  }

  void QueueAnswer(const std::string&) override {}
  std::string TakeTextAnswer() override { return {}; }
};

class THeadlessDialogs : public IDialogs {
 public:
  TBoxAnswer MessageBox(const std::string& caption, const std::string& text, TBoxButtons buttons, TBoxIcon) override {
    TBoxAnswer answer = DefaultAnswer(buttons);
    if (!answers_.empty()) {
      TBoxAnswer queued;
      if (ParseBoxAnswer(answers_.front(), queued)) answer = queued;
      answers_.pop_front();
    }
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    if (buttons != TBoxButtons::Ok) std::fprintf(stderr, "  -> %s\n", BoxAnswerName(answer));
    return answer;
  }
  // The next queued answer is the text; a box answer ("cancel" ...) or none cancels.
  std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                       const std::string&) override {
    std::string answer = TakeTextAnswer();
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), prompt.c_str());
    std::fprintf(stderr, "  -> %s\n", answer.empty() ? "cancel" : answer.c_str());
    if (answer.empty()) return std::nullopt;
    return answer;
  }
  void QueueAnswer(const std::string& answer) override { answers_.push_back(answer); }
  std::string TakeTextAnswer() override {
    if (answers_.empty()) return {};
    std::string answer = answers_.front();
    answers_.pop_front();
    TBoxAnswer parsed;
    return ParseBoxAnswer(answer, parsed) ? std::string() : answer;
  }

 private:
  std::deque<std::string> answers_;
};

}  // namespace

std::vector<TBoxAnswer> BoxAnswers(TBoxButtons buttons) {
  switch (buttons) {
    case TBoxButtons::Ok:
      return {TBoxAnswer::Ok};
    case TBoxButtons::OkCancel:
      return {TBoxAnswer::Ok, TBoxAnswer::Cancel};
    case TBoxButtons::YesNo:
      return {TBoxAnswer::Yes, TBoxAnswer::No};
    case TBoxButtons::YesNoCancel:
      return {TBoxAnswer::Yes, TBoxAnswer::No, TBoxAnswer::Cancel};
    case TBoxButtons::RetryCancel:
      return {TBoxAnswer::Retry, TBoxAnswer::Cancel};
    case TBoxButtons::AbortRetryIgnore:
      return {TBoxAnswer::Abort, TBoxAnswer::Retry, TBoxAnswer::Ignore};
  }
  return {TBoxAnswer::Ok};
}

const char* BoxAnswerLabel(TBoxAnswer answer, bool japanese) {
  switch (answer) {
    case TBoxAnswer::Ok:
      return "OK";
    case TBoxAnswer::Cancel:
      return japanese ? "キャンセル" : "Cancel";
    case TBoxAnswer::Yes:
      return japanese ? "はい" : "Yes";
    case TBoxAnswer::No:
      return japanese ? "いいえ" : "No";
    case TBoxAnswer::Retry:
      return japanese ? "再試行" : "Retry";
    case TBoxAnswer::Abort:
      return japanese ? "中止" : "Abort";
    case TBoxAnswer::Ignore:
      return japanese ? "無視" : "Ignore";
  }
  return "OK";
}

TBoxAnswer DefaultAnswer(TBoxButtons buttons) {
  switch (buttons) {
    case TBoxButtons::Ok:
      return TBoxAnswer::Ok;
    case TBoxButtons::YesNo:
      return TBoxAnswer::No;
    case TBoxButtons::AbortRetryIgnore:
      return TBoxAnswer::Abort;
    default:
      return TBoxAnswer::Cancel;
  }
}

bool ParseBoxAnswer(const std::string& text, TBoxAnswer& answer) {
  static const std::pair<const char*, TBoxAnswer> names[] = {
      {"ok", TBoxAnswer::Ok},        {"cancel", TBoxAnswer::Cancel}, {"yes", TBoxAnswer::Yes},
      {"no", TBoxAnswer::No},        {"retry", TBoxAnswer::Retry},   {"abort", TBoxAnswer::Abort},
      {"ignore", TBoxAnswer::Ignore}};
  for (const auto& [name, value] : names) {
    if (text == name) {
      answer = value;
      return true;
    }
  }
  return false;
}

const char* BoxAnswerName(TBoxAnswer answer) {
  switch (answer) {
    case TBoxAnswer::Ok:
      return "ok";
    case TBoxAnswer::Cancel:
      return "cancel";
    case TBoxAnswer::Yes:
      return "yes";
    case TBoxAnswer::No:
      return "no";
    case TBoxAnswer::Retry:
      return "retry";
    case TBoxAnswer::Abort:
      return "abort";
    case TBoxAnswer::Ignore:
      return "ignore";
  }
  return "ok";
}

std::unique_ptr<IDialogs> CreateWindowDialogs() { return std::make_unique<TWindowDialogs>(); }
std::unique_ptr<IDialogs> CreateHeadlessDialogs() { return std::make_unique<THeadlessDialogs>(); }

}  // namespace orvo
