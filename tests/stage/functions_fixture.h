#pragma once
// A small running game for the system functions: a stage with a few objects,
// an expression engine with every function, a game folder on disk and a
// desktop whose answers the test gives.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/random.h"
#include "data/file_manager.h"
#include "platform/desktop.h"
#include "stage/functions/game_functions.h"
#include "stage/functions/object_items.h"
#include "stage/stage_fixture.h"
#include "stage/stage_system_host.h"
#include "support/test_support.h"
#include "vars/engine.h"

namespace orvo::test {

// Records every request; answers from the queues (a cancelled dialog and
// "No" when they are empty).
class TScriptedDesktop : public IDesktop {
 public:
  explicit TScriptedDesktop(std::string root) : root_(std::move(root)) {}

  bool OpenLocation(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
  std::optional<std::string> ChooseFile(const TFileDialogRequest& request) override;
  TOverwriteAnswer AskOverwrite(const std::string& text, TOverwriteButtons buttons) override;
  void Inform(const std::string& caption, const std::string& text) override {
    informed.push_back(caption + ":" + text);
  }
  std::string DesktopFolder() const override { return root_ + "/Desktop"; }
  std::string DocumentsFolder() const override { return root_ + "/Documents"; }
  std::string WallpaperFile() const override { return root_ + "/wall/orvowall.bmp"; }
  bool SetWallpaper(const std::string& picture, int32_t style) override {
    wallpapers.push_back(picture + ":" + std::to_string(style));
    return false;
  }

  std::deque<std::optional<std::string>> file_answers;
  std::deque<TOverwriteAnswer> overwrite_answers;
  std::vector<TFileDialogRequest> requests;
  std::vector<std::string> questions;  // "2:" or "5:" (buttons) + the text
  std::vector<std::string> opened;
  std::vector<std::string> informed;
  std::vector<std::string> wallpapers;

 private:
  std::string root_;
};

// A visual kind with items and a text, standing for list and preview menus
// and edit fields: items are named "item0" ... and their flags are kept.
class TTestMenu : public TOrvoControl, public IObjectItems {
 public:
  TTestMenu(TOrvoBaseList& stage, uint8_t code) : TOrvoControl(stage), code_(code) {}
  uint8_t CompoType() const override { return code_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;

  bool ItemChecked(int32_t index) const override { return InRange(index) && checked_[Slot(index)]; }
  void SetItemChecked(int32_t index, bool checked) override {
    if (InRange(index)) checked_[Slot(index)] = checked;
  }
  bool ItemEnabled(int32_t index) const override { return !InRange(index) || enabled_[Slot(index)]; }
  void SetItemEnabled(int32_t index, bool enabled) override {
    if (InRange(index)) enabled_[Slot(index)] = enabled;
  }
  int32_t ItemGroupIndex(int32_t index) const override { return InRange(index) ? index / 2 : 0; }
  std::string ItemText(int32_t index) const override {
    return InRange(index) ? "item" + std::to_string(index) : std::string();
  }
  int32_t IndexOfItemName(std::string_view name) const override;
  bool ImeOpened() const override { return ime_; }
  void SetImeOpened(bool opened) override { ime_ = opened && code_ == kcEdit; }

  static constexpr int32_t kItems = 4;

 private:
  static bool InRange(int32_t index) { return index >= 0 && index < kItems; }
  static size_t Slot(int32_t index) { return static_cast<size_t>(index); }

  uint8_t code_;
  std::string text_;
  bool checked_[kItems] = {};
  bool enabled_[kItems] = {true, true, true, true};
  bool ime_ = false;
};

class TFunctionWorld {
 public:
  // The scene: box "a" (10,10 20x20) holding "b" (5,5 4x4) and "c"; a timer
  // "t"; everything on the active screen (64 x 48). The functions reach
  // the scripted desktop unless another one is given.
  explicit TFunctionWorld(IDesktop* other_desktop = nullptr);

  // Runs a statement; false when it does not compile.
  bool Run(std::string_view utf8_statement);
  // The value of an expression as "kind\tvalue" (UTF-8) or "none".
  std::string Eval(std::string_view utf8_expression);
  // A variable as UTF-8 text, array elements joined by '|'.
  std::string Value(std::string_view utf8_name);
  // A path in the game folder.
  std::string GamePath(const std::string& relative) const { return folder + "/" + relative; }
  // Adds a game file as an archive entry (CP932 name given in UTF-8).
  void AddArchiveFile(std::string_view utf8_name, std::string_view bytes);

  std::string root;    // a fresh folder for this world
  std::string folder;  // the game folder (loose files)
  std::string save_file;
  TRuntimeState state;
  TRecordingHost stage_host;
  TOrvoBaseList stage;
  TStageSystemHost system_host;
  TProcessRandom random;
  TExprEngine engine;
  TVrFileManager files;
  TScriptedDesktop desktop;
  std::vector<std::string> forgotten;  // pictures the cache was told to drop
  TTestBox* a = nullptr;
  TTestBox* b = nullptr;
  TTestBox* c = nullptr;
};

// One function call: statements run first, then the expression's value.
struct TFunctionCase {
  std::vector<const char*> setup;
  const char* expression;
  const char* result;  // "kind\tvalue" or "none"
};

// Runs every case on a fresh world; prepare adds what the cases share.
void CheckCases(const std::vector<TFunctionCase>& cases, void (*prepare)(TFunctionWorld&) = nullptr);

// Reads a layered picture from bytes; its first frame's width and height, or (0, 0).
std::pair<int32_t, int32_t> PictureSize(const std::string& bytes);

}  // namespace orvo::test
