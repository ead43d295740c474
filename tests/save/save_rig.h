#pragma once
// A game in memory with everything a save holds: pages and an interpreter,
// variables, a stage with its read marks and picture cache, the message
// history, and a save manager over a save file in a fresh folder.
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "save/history.h"
#include "save/save_manager.h"
#include "script/script_fixture.h"
#include "stage/stage.h"

namespace orvo::test {

class TRecordingDialogs : public IDialogs {
 public:
  TBoxAnswer MessageBox(const std::string& caption, const std::string& text, TBoxButtons, TBoxIcon) override {
    boxes.push_back(caption + ": " + text);
    return TBoxAnswer::Ok;
  }
  std::optional<std::string> InputText(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void QueueAnswer(const std::string&) override {}
  std::string TakeTextAnswer() override { return {}; }
  std::vector<std::string> boxes;
};

class TSaveRig {
 public:
  explicit TSaveRig(std::string folder) : folder_(std::move(folder)), stage(game.state) {
    THistoryServices history_services;
    history_services.stage = &stage;
    history.SetServices(history_services);
    stage.SetHistory(&history);
    TSaveServices services;
    services.state = &game.state;
    services.stage = &stage;
    services.store = &game.engine.Store();
    services.history = &history;
    services.files = &files;
    services.interpreter = [this] { return game.call_man.get(); };
    services.save_to_disk = [this] { return save_to_disk; };
    services.dialogs = &dialogs;
    services.close_window = [this] { ++closes; };
    saves = std::make_unique<TSaveManager>(services);
    saves->SetLocation(TSaveLocation{Path(), ""});
  }
  std::string Path() const { return folder_ + "/save.dat"; }

  std::string folder_;
  TScriptGame game;
  TOrvoBaseList stage;
  TOrvoHistoryFormatManager history;
  TVrFileManager files;
  TRecordingDialogs dialogs;
  std::unique_ptr<TSaveManager> saves;
  bool save_to_disk = true;
  int closes = 0;
};

}  // namespace orvo::test
