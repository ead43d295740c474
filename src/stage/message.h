#pragma once
// The message window (kind 13): one text document shown a page at a time,
// revealed and faded in frame by frame. Its progress, the text's events and
// link clicks become script events; scripts turn pages through PR_INDEX.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "stage/mes_data.h"
#include "stage/orvo_control.h"
#include "text/kw_word.h"

namespace orvo {

// Event codes of the message window (the ids of the handler properties).
enum TMesEventCode : int32_t {
  ecPlaying = 32,
  ecLink = 46,
  ecPlayStart = 101,
};

// Where the shown text came from.
enum class TTextSource : uint8_t { Plain = 0, Recorded = 1, History = 2 };

class TOrvoMes : public TOrvoControl {
 public:
  explicit TOrvoMes(TOrvoBaseList& stage);
  ~TOrvoMes() override;

  uint8_t CompoType() const override { return kcMes; }
  bool Paused() const override { return paused_; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  bool Update() override;
  void Paint(TCustomDIBX& surface) override;
  TOrvoControl* HitTest(int32_t x, int32_t y, uint32_t mask) override;
  void LButtonDown() override;
  void LButtonUp() override;
  void MouseMove() override;
  void MouseLeave(TOrvoControl* new_hover) override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;
  void WriteState(TBinaryWriter& writer) const override;
  void ReadState(TBinaryReader& reader, int32_t version) override;
  std::string_view IdleHandler() const override { return on_idle_; }

  // PR_TEXT: lays out markup; a markup error leaves no pages and is raised.
  void SetText(const std::string& markup);
  // Lays out the content reference again.
  void RebuildText(bool notify_play_start, bool include_history);
  // After the stage was read from a save: the text, page and reveal as saved.
  void ReloadText();
  // PR_INDEX: nothing outside the pages or on the current page.
  void SetPage(int32_t index);
  void PostPlayStart();
  // 0 while the current page reveals, else 2.
  int32_t GetPlayState() const;

  // ---- what the text commands set
  void SetTextSource(TTextSource source) { text_source_ = source; }
  TTextSource TextSourceFlag() const { return text_source_; }
  void SetCommandOrigin(std::string page_name, int32_t command_index) {
    page_name_ = std::move(page_name);
    command_index_ = command_index;
  }
  void SetHistoryOffset(int32_t offset) { history_offset_ = offset; }
  void SetPackedDisplay(bool packed) { packed_display_ = packed; }
  TOrvoNewMesData& Content() { return content_; }

  // ---- inspection
  TKwWord& Document() { return document_; }
  int32_t PageCount() const { return static_cast<int32_t>(pages_.size()); }
  int32_t CurrentIndex() const { return current_; }
  TWdPage* CurrentPage() const;
  TWdGlyph* PressedGlyph() const { return pressed_; }

 protected:
  void SizeChanged() override;

 private:
  void FreePages();
  void NotifyText(std::string_view text);
  // The current page is recorded for the history and the read marks.
  void RecordCurrentPage();
  void RequestRender();
  void SendDirty();
  void Post(const std::string& handler, int32_t code, std::vector<std::string> args = {});
  void UpdatePausedState(bool was_paused);

  TKwWord document_;
  std::vector<std::unique_ptr<TWdPage>> pages_;
  int32_t current_ = -1;
  int32_t scroll_ = 0;
  int32_t reserved_int_ = 0;
  std::string reserved_[3];
  std::string on_playing_, on_play_start_, on_play_end_, on_link_, on_notify_, on_idle_;
  bool paused_ = false;
  bool text_paused_ = false;
  int32_t text_delay_ = 256;
  TTextSource text_source_ = TTextSource::Plain;
  int32_t command_index_ = 0;
  std::string page_name_;
  TOrvoNewMesData content_;
  std::string markup_;
  int32_t play_start_delay_ = 0;
  bool packed_display_ = false;
  bool needs_render_ = false;
  bool reset_on_render_ = false;
  int32_t history_offset_ = 0;
  bool capture_link_ = false;
  std::optional<std::string> page_states_;
  TWdGlyph* pressed_ = nullptr;
};

}  // namespace orvo
