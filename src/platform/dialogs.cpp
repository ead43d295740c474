#include "platform/dialogs.h"

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "platform/locale.h"

namespace orvo {

namespace {


std::vector<TBoxAnswer> AnswersOf(TBoxButtons buttons) {
  switch (buttons) {
    case TBoxButtons::Ok: return {TBoxAnswer::Ok};
    case TBoxButtons::OkCancel: return {TBoxAnswer::Ok, TBoxAnswer::Cancel};
    case TBoxButtons::YesNo: return {TBoxAnswer::Yes, TBoxAnswer::No};
    case TBoxButtons::YesNoCancel: return {TBoxAnswer::Yes, TBoxAnswer::No, TBoxAnswer::Cancel};
    case TBoxButtons::RetryCancel: return {TBoxAnswer::Retry, TBoxAnswer::Cancel};
    case TBoxButtons::AbortRetryIgnore: return {TBoxAnswer::Abort, TBoxAnswer::Retry, TBoxAnswer::Ignore};
  }
  return {TBoxAnswer::Ok};
}

const char* Label(TBoxAnswer answer, bool japanese) {
  switch (answer) {
    case TBoxAnswer::Ok: return "OK";
    case TBoxAnswer::Cancel: return japanese ? "キャンセル" : "Cancel";
    case TBoxAnswer::Yes: return japanese ? "はい" : "Yes";
    case TBoxAnswer::No: return japanese ? "いいえ" : "No";
    case TBoxAnswer::Retry: return japanese ? "再試行" : "Retry";
    case TBoxAnswer::Abort: return japanese ? "中止" : "Abort";
    case TBoxAnswer::Ignore: return japanese ? "無視" : "Ignore";
  }
  return "OK";
}

class TSdlDialogs : public IDialogs {
 public:
  TBoxAnswer MessageBox(const std::string& caption, const std::string& text, TBoxButtons buttons,
                        TBoxIcon icon) override {
    bool japanese = UserLanguageIsJapanese();
    std::vector<TBoxAnswer> answers = AnswersOf(buttons);
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < answers.size(); ++i) {
      Uint32 flags = 0;
      if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
      if (answers[i] == DefaultAnswer(buttons)) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
      data.push_back({flags, static_cast<int>(i), Label(answers[i], japanese)});
    }
    Uint32 flags = icon == TBoxIcon::Error     ? SDL_MESSAGEBOX_ERROR
                   : icon == TBoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                               : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxData box{flags, nullptr, caption.c_str(), text.c_str(), static_cast<int>(data.size()), data.data(),
                           nullptr};
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0 || chosen < 0) {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
      return DefaultAnswer(buttons);
    }
    return answers[static_cast<size_t>(chosen)];
  }
  void QueueAnswer(const std::string&) override {}
  std::string TakeTextAnswer() override { return {}; }
};

class THeadlessDialogs : public IDialogs {
 public:
  TBoxAnswer MessageBox(const std::string& caption, const std::string& text, TBoxButtons buttons,
                        TBoxIcon) override {
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

TBoxAnswer DefaultAnswer(TBoxButtons buttons) {
  switch (buttons) {
    case TBoxButtons::Ok: return TBoxAnswer::Ok;
    case TBoxButtons::YesNo: return TBoxAnswer::No;
    case TBoxButtons::AbortRetryIgnore: return TBoxAnswer::Abort;
    default: return TBoxAnswer::Cancel;
  }
}

bool ParseBoxAnswer(const std::string& text, TBoxAnswer& answer) {
  static const std::pair<const char*, TBoxAnswer> names[] = {
      {"ok", TBoxAnswer::Ok},       {"cancel", TBoxAnswer::Cancel}, {"yes", TBoxAnswer::Yes},
      {"no", TBoxAnswer::No},       {"retry", TBoxAnswer::Retry},   {"abort", TBoxAnswer::Abort},
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
    case TBoxAnswer::Ok: return "ok";
    case TBoxAnswer::Cancel: return "cancel";
    case TBoxAnswer::Yes: return "yes";
    case TBoxAnswer::No: return "no";
    case TBoxAnswer::Retry: return "retry";
    case TBoxAnswer::Abort: return "abort";
    case TBoxAnswer::Ignore: return "ignore";
  }
  return "ok";
}

std::unique_ptr<IDialogs> CreateWindowDialogs() { return std::make_unique<TSdlDialogs>(); }
std::unique_ptr<IDialogs> CreateHeadlessDialogs() { return std::make_unique<THeadlessDialogs>(); }

}  // namespace orvo
