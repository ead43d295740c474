#include "stage/message.h"

#include <algorithm>

#include "base/numeric.h"
#include "stage/orvo_base.h"
#include "stage/stage.h"
#include "text/markup.h"
#include "text/markup_writer.h"
#include "text/page_state.h"
#include "text/render.h"
#include "text/reveal.h"

namespace orvo {

namespace {

// Every character of a page, revealed or not.
std::string WholeText(const TWdGlyph& glyph) {
  if (glyph.ChildCount() == 0) return glyph.ShownText();
  std::string text;
  for (int32_t i = 0; i < glyph.ChildCount(); ++i) text += WholeText(*glyph.Child(i));
  return text;
}

}  // namespace

TOrvoMes::TOrvoMes(TOrvoBaseList& stage) : TOrvoControl(stage) {
  document_.smoothing_level = 3;
  document_.paging = true;
  document_.speed_rate = text_delay_;
  document_.fonts = stage.Glyphs();
  document_.engine = stage.Engine();
  document_.event_callback = [this](TKwWord&, std::string_view text) { NotifyText(text); };
}

TOrvoMes::~TOrvoMes() = default;

TWdPage* TOrvoMes::CurrentPage() const {
  return current_ >= 0 && current_ < PageCount() ? pages_[static_cast<size_t>(current_)].get() : nullptr;
}

void TOrvoMes::FreePages() {
  // The pressed glyph lives in the pages: it must not outlive them.
  pressed_ = nullptr;
  pages_.clear();
}

void TOrvoMes::Post(const std::string& handler, int32_t code, std::vector<std::string> args) {
  if (handler.empty()) return;
  Stage().Events().PostEvent(Handle(), handler, std::move(args), code);
}

void TOrvoMes::RequestRender() {
  needs_render_ = true;
  Invalidate();
}

void TOrvoMes::SendDirty() {
  TOrvoBase* base = OwnerBase();
  if (base && IsShown()) {
    for (const TRect& rect : document_.dirty_rects) base->AddDirty(rect);
  }
  document_.ClearDirtyRects();
}

void TOrvoMes::SetText(const std::string& markup) {
  Invalidate();
  content_.ClearNewEntries();
  markup_ = markup;
  Stage().History().CommitPending(Name());
  history_offset_ = 0;
  // Emptied before building, so that a markup error leaves no pages behind.
  FreePages();
  current_ = -1;
  scroll_ = 0;
  document_.engine = Stage().Engine();
  document_.fonts = Stage().Glyphs();
  document_.ClearGlyphs();
  document_.BuildFromMarkup(SplitMarkupLines(markup));
  document_.ExpandVars(0, -1, THistoryVars::Skip);
  document_.Layout(pages_, 0, Name(), -1);
  current_ = 0;
  if (!pages_.empty()) {
    needs_render_ = true;
    reset_on_render_ = true;
    PostPlayStart();
  }
}

void TOrvoMes::RecordCurrentPage() {
  TWdPage* page = CurrentPage();
  if (!page || text_source_ != TTextSource::Recorded || page_name_.empty()) return;
  CollectPageValues(*page);
  Stage().History().RecordPending(*this, page_name_, page->frozen_values_text, current_,
                                  document_.OrdinalOf(LastGlyphOf(*page)), document_.OrdinalOf(FirstGlyphOf(*page)),
                                  command_index_);
  Stage().ReadMarks().MarkPending(Name(), page_name_, current_, command_index_);
}

void TOrvoMes::RebuildText(bool notify_play_start, bool include_history) {
  Invalidate();
  markup_.clear();
  Stage().History().CommitPending(Name());
  RecordCurrentPage();
  FreePages();
  current_ = -1;
  document_.engine = Stage().Engine();
  document_.fonts = Stage().Glyphs();
  content_.SetSource(Stage().TextCommandSource());
  content_.SetPageExists(Stage().PageExists());
  content_.Rebuild(document_, pages_, Name(), include_history, packed_display_, history_offset_);
  if (!pages_.empty()) {
    if (notify_play_start) PostPlayStart();
    needs_render_ = true;
    reset_on_render_ = true;
  }
}

void TOrvoMes::SetPage(int32_t index) {
  if (index < 0 || index >= PageCount() || index == current_) return;
  if (CurrentPage()) Stage().History().CommitPending(Name());
  pressed_ = nullptr;
  current_ = index;
  scroll_ = 0;
  PostPlayStart();
  RecordCurrentPage();
  ResetReveal(*CurrentPage());
  needs_render_ = true;
  reset_on_render_ = true;
  Invalidate();
}

void TOrvoMes::PostPlayStart() {
  if (on_play_start_.empty()) return;
  const bool read = text_source_ == TTextSource::Recorded && !page_name_.empty() &&
                    Stage().ReadMarks().IsRead(page_name_, command_index_, current_);
  Post(on_play_start_, ecPlayStart, {read ? "1" : "0"});
  play_start_delay_ = 1;
}

int32_t TOrvoMes::GetPlayState() const {
  TWdPage* page = CurrentPage();
  return page && IsRevealing(*page) ? 0 : 2;
}

void TOrvoMes::NotifyText(std::string_view text) {
  if (on_notify_.empty()) return;
  std::vector<std::string> args = SplitMarkupLines(text);
  if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") args.emplace_back();
  Post(on_notify_, ecNotify, std::move(args));
}

bool TOrvoMes::Update() {
  const bool finished = TOrvoControl::Update();
  if (play_start_delay_ > 0) {
    --play_start_delay_;
    return finished;
  }
  if (Stage().Events().HasEvent(Handle(), ecPlayStart)) return finished;
  TWdPage* page = CurrentPage();
  if (!page) return finished;
  if (needs_render_) {
    if (reset_on_render_) Stage().NotifyPageStart(WholeText(*page));
    Prepare(*page, reset_on_render_);
    needs_render_ = false;
    reset_on_render_ = false;
  }
  TRevealStep step = StepReveal(*page, Stage().FrameDelta());
  if (!step.new_text.empty()) Post(on_playing_, ecPlaying, {step.new_text});
  if (step.just_finished) {
    Stage().ReadMarks().MarkRead(Name());
    Post(on_play_end_, ecPlayEnd);
  }
  SendDirty();
  return finished;
}

void TOrvoMes::Paint(TCustomDIBX& surface) {
  TWdPage* page = CurrentPage();
  if (Visible() && OwnerBase() && page) {
    const TRect r = ObjectRect();
    const TRect clip = IntersectRect(r, surface.GetClipRect());
    if (!clip.IsEmpty()) {
      const TClipState saved = surface.SaveClip();
      surface.SetClipRect(clip);
      document_.target = &surface;
      document_.draw_origin_x = AbsLeft();
      document_.draw_origin_y = AbsTop();
      document_.clip_rect = clip;
      Draw(*page);
      document_.target = nullptr;
      surface.RestoreClip(saved);
    }
  }
  PaintChildren(surface);
}

TOrvoControl* TOrvoMes::HitTest(int32_t x, int32_t y, uint32_t mask) {
  if (!Visible() || !ObjectRect().Contains(x, y)) return nullptr;
  for (size_t i = Children().size(); i-- > 0;) {
    TOrvoControl* child = Children()[i];
    if (child->IsScrapped()) continue;
    if (TOrvoControl* hit = child->HitTest(x, y, mask)) return hit;
  }
  const bool own = IgnoreMouse() <= 7 && (mask & (uint32_t{1} << IgnoreMouse()));
  if (!own) return nullptr;
  if (!capture_link_) return this;
  TWdPage* page = CurrentPage();
  TWdGlyph* glyph = page ? orvo::HitTest(*page, x, y) : nullptr;
  return glyph && glyph->Link() && !glyph->Link()->href.empty() ? this : nullptr;
}

void TOrvoMes::MouseMove() {
  TOrvoBase* base = OwnerBase();
  TWdPage* page = CurrentPage();
  if (!Visible() || !base || !page) {
    TOrvoControl::MouseMove();
    return;
  }
  if (paused_ || IsRevealing(*page)) {
    TrackLink(*page, -1, -1, pressed_);
  } else {
    TrackLink(*page, base->Mouse().x, base->Mouse().y, pressed_);
  }
  SendDirty();
}

void TOrvoMes::MouseLeave(TOrvoControl* new_hover) {
  TWdPage* page = CurrentPage();
  if (!page) {
    TOrvoControl::MouseLeave(new_hover);
    return;
  }
  TrackLink(*page, -1, -1, pressed_);
  SendDirty();
}

void TOrvoMes::LButtonDown() {
  TOrvoControl::LButtonDown();
  TWdPage* page = CurrentPage();
  TOrvoBase* base = OwnerBase();
  if (on_link_.empty() || !page || !page->hover_glyph || !base) return;
  pressed_ = page->hover_glyph;
  TrackLink(*page, base->Mouse().x, base->Mouse().y, pressed_);
  SendDirty();
  // A press on a link is not a plain click of the window.
  base->Mouse().left_click_now = false;
}

void TOrvoMes::LButtonUp() {
  TOrvoControl::LButtonUp();
  TWdPage* page = CurrentPage();
  TOrvoBase* base = OwnerBase();
  if (!on_link_.empty() && page && page->hover_glyph && pressed_ && page->hover_glyph == pressed_ &&
      !Stage().Events().HasEvent(Handle(), ecLink)) {
    std::vector<std::string> args{LinkRunText(*page)};
    if (pressed_->Link()) {
      for (std::string& line : SplitMarkupLines(pressed_->Link()->href)) args.push_back(std::move(line));
    }
    Post(on_link_, ecLink, std::move(args));
  }
  pressed_ = nullptr;
  if (page && base) {
    TrackLink(*page, base->Mouse().x, base->Mouse().y, nullptr);
    SendDirty();
  }
}

void TOrvoMes::ReleaseSurfaces() {
  document_.work_a.Release();
  document_.work_b.Release();
  document_.work_c.Release();
}

void TOrvoMes::RestoreSurfaces() {
  if (TWdPage* page = CurrentPage()) Prepare(*page, false);
}

namespace {
// The work surfaces are as large as the layout: a window never needs more than the largest stage.
int32_t LayoutSide(int32_t side) { return std::clamp(side, 0, kMaxStageSide); }
}  // namespace

void TOrvoMes::SizeChanged() {
  document_.layout_width = LayoutSide(Width());
  document_.layout_height = LayoutSide(Height());
}

void TOrvoMes::UpdatePausedState(bool was_paused) {
  document_.paused = paused_ || text_paused_;
  if (was_paused && !document_.paused) {
    if (TWdPage* page = CurrentPage()) ResumeReveal(*page);
  }
}

TPropValue TOrvoMes::GetProperty(int32_t id) const {
  TWdPage* page = CurrentPage();
  switch (id) {
    case PR_TEXT:
      return TPropValue::Str(page ? page->ShownText() : std::string());
    case PR_FONTNAME:
      return TPropValue::Str(document_.default_face_name);
    case PR_FONTHEIGHT:
      return TPropValue::Int(document_.default_font_size);
    case PR_FONTBORDER:
      return TPropValue::Int(document_.default_border_width);
    case PR_FONTSHADOW:
      return TPropValue::Int(document_.default_shadow_width);
    case PR_LINESPACE:
      return TPropValue::Int(document_.line_spacing);
    case PR_FONTCOLOR:
      return TPropValue::Int(document_.default_color);
    case PR_FONTLINKCOLOR:
      return TPropValue::Int(document_.link_color);
    case PR_FONTHOVERCOLOR:
      return TPropValue::Int(document_.hover_color);
    case PR_FONTBORDERCOLOR:
      return TPropValue::Int(document_.border_color);
    case PR_FONTSHADOWCOLOR:
      return TPropValue::Int(document_.shadow_color);
    case PR_FONTCHANGEABLED:
      return TPropValue::Bool(document_.fixed_advance);
    case PR_ANTIALIAS:
      return TPropValue::Bool(document_.smoothing_level > 0);
    case PR_ALPHA:
      return TPropValue::Int(document_.opacity);
    case PR_DELAY:
      return TPropValue::Int(document_.fade_time);
    case PR_TEXTDELAY:
      return TPropValue::Int(text_delay_);
    case PR_PAUSED:
      return TPropValue::Bool(paused_);
    case PR_TEXTPAUSED:
      return TPropValue::Bool(text_paused_);
    case PR_INDEX:
      return TPropValue::Int(current_);
    case PR_COUNT:
      return TPropValue::Int(PageCount());
    case PR_SCROLLY:
      return TPropValue::Int(scroll_);
    case PR_CARETX:
      return TPropValue::Int(document_.caret_x);
    case PR_CARETY:
      return TPropValue::Int(document_.caret_y);
    case PR_CARETHEIGHT:
      return TPropValue::Int(document_.caret_height);
    case PR_PADDINGLEFT:
      return TPropValue::Int(document_.padding_left);
    case PR_PADDINGRIGHT:
      return TPropValue::Int(document_.padding_right);
    case PR_CAPTURELINK:
      return TPropValue::Bool(capture_link_);
    case PR_PLAYING:
      return TPropValue::Bool(page && (current_ < PageCount() - 1 || IsRevealing(*page)));
    case PR_ONNOTIFY:
      return TPropValue::Str(on_notify_);
    case PR_ONPLAYING:
      return TPropValue::Str(on_playing_);
    case PR_ONPLAYSTART:
      return TPropValue::Str(on_play_start_);
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    case PR_ONLINK:
      return TPropValue::Str(on_link_);
    case PR_ONIDLE:
      return TPropValue::Str(on_idle_);
    default:
      return TOrvoControl::GetProperty(id);
  }
}

namespace {
// Stores a changed value and asks for the page to be rendered again.
template <class T>
bool Changed(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}
}  // namespace

void TOrvoMes::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_TEXT:
      SetText(value.AsStr());
      break;
    case PR_FONTNAME:
      if (document_.fixed_advance) {
        document_.default_face_name = value.AsStr();
        if (CurrentPage()) RequestRender();
      }
      break;
    case PR_FONTHEIGHT:
      if (Changed(document_.default_font_size, value.AsInt())) RequestRender();
      break;
    case PR_FONTBORDER:
      if (Changed(document_.default_border_width, value.AsInt())) RequestRender();
      break;
    case PR_FONTSHADOW:
      if (Changed(document_.default_shadow_width, value.AsInt())) RequestRender();
      break;
    case PR_LINESPACE:
      if (Changed(document_.line_spacing, value.AsInt())) RequestRender();
      break;
    case PR_FONTCOLOR:
      if (Changed(document_.default_color, value.AsInt())) RequestRender();
      break;
    case PR_FONTLINKCOLOR:
      if (Changed(document_.link_color, value.AsInt())) RequestRender();
      break;
    case PR_FONTHOVERCOLOR:
      if (Changed(document_.hover_color, value.AsInt())) RequestRender();
      break;
    case PR_FONTBORDERCOLOR:
      if (Changed(document_.border_color, value.AsInt())) RequestRender();
      break;
    case PR_FONTSHADOWCOLOR:
      if (Changed(document_.shadow_color, value.AsInt())) RequestRender();
      break;
    case PR_FONTCHANGEABLED:
      if (Changed(document_.fixed_advance, value.AsBool())) RequestRender();
      break;
    case PR_ANTIALIAS:
      if (Changed(document_.smoothing_level, value.AsBool() ? 3 : 0)) {
        if (CurrentPage()) needs_render_ = true;
        Invalidate();
      }
      break;
    case PR_ALPHA:
      document_.opacity = value.AsInt();
      Invalidate();
      break;
    case PR_DELAY:
      document_.fade_time = std::max(0, value.AsInt());
      break;
    case PR_TEXTDELAY:
      text_delay_ = value.AsInt();
      document_.speed_rate = text_delay_;
      break;
    case PR_PAUSED:
    case PR_TEXTPAUSED: {
      const bool was_paused = document_.paused;
      (id == PR_PAUSED ? paused_ : text_paused_) = value.AsBool();
      UpdatePausedState(was_paused);
      break;
    }
    case PR_INDEX:
      SetPage(value.AsInt());
      break;
    case PR_SCROLLY:
      if (Changed(scroll_, value.AsInt())) {
        if (TWdPage* page = CurrentPage()) {
          page->scroll_offset = scroll_;
          ResumeReveal(*page);
        }
        Invalidate();
      }
      break;
    case PR_PADDINGLEFT:
    case PR_PADDINGRIGHT: {
      int32_t& field = id == PR_PADDINGLEFT ? document_.padding_left : document_.padding_right;
      if (field != value.AsInt()) {
        Invalidate();
        field = value.AsInt();
        Invalidate();
      }
      break;
    }
    case PR_CAPTURELINK:
      capture_link_ = value.AsBool();
      break;
    case PR_ONNOTIFY:
      on_notify_ = value.AsStr();
      document_.notify_enabled = !on_notify_.empty();
      break;
    case PR_ONPLAYING:
      on_playing_ = value.AsStr();
      break;
    case PR_ONPLAYSTART:
      on_play_start_ = value.AsStr();
      break;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      break;
    case PR_ONLINK:
      on_link_ = value.AsStr();
      break;
    case PR_ONIDLE:
      on_idle_ = value.AsStr();
      break;
    default:
      TOrvoControl::SetProperty(id, value);
      break;
  }
}

void TOrvoMes::WriteState(TBinaryWriter& writer) const {
  TOrvoControl::WriteState(writer);
  document_.WriteSettings(writer);
  // The frozen values of the shown page go with the reference, so that a
  // load shows the values the page showed.
  TOrvoNewMesData& content = const_cast<TOrvoNewMesData&>(content_);
  if (TWdPage* page = CurrentPage()) {
    CollectPageValues(*page);
    for (std::string& values : content.new_entries.frozen_values) values = page->frozen_values_text;
  }
  content_.Write(writer);
  writer.WriteBool(packed_display_);
  writer.WriteInt32(history_offset_);
  writer.WriteString(markup_);
  writer.WriteInt32(current_);
  writer.WriteInt32(scroll_);
  writer.WriteInt32(reserved_int_);
  for (const std::string& text : reserved_) writer.WriteString(text);
  for (const std::string* handler : {&on_playing_, &on_play_start_, &on_play_end_, &on_link_, &on_notify_}) {
    writer.WriteString(*handler);
  }
  writer.WriteBool(paused_);
  writer.WriteBool(text_paused_);
  writer.WriteInt32(text_delay_);
  writer.WriteByte(static_cast<uint8_t>(text_source_));
  writer.WriteString(page_name_);
  writer.WriteInt32(command_index_);
  writer.WriteString(on_idle_);
  writer.WriteBool(capture_link_);
  TMemoryStream states;
  TBinaryWriter state_writer(states);
  for (const auto& page : pages_) SaveState(*page, state_writer);
  const std::vector<uint8_t>& bytes = states.Bytes();
  writer.WriteInt32(static_cast<int32_t>(bytes.size()));
  writer.WriteBytes(bytes.data(), bytes.size());
}

void TOrvoMes::ReadState(TBinaryReader& reader, int32_t version) {
  TOrvoControl::ReadState(reader, version);
  document_.ReadSettings(reader, version);
  document_.layout_width = LayoutSide(document_.layout_width);
  document_.layout_height = LayoutSide(document_.layout_height);
  content_.Read(reader, version);
  packed_display_ = reader.ReadBool();
  history_offset_ = version > 112 ? reader.ReadInt32() : 0;
  markup_ = reader.ReadString();
  current_ = reader.ReadInt32();
  scroll_ = reader.ReadInt32();
  reserved_int_ = reader.ReadInt32();
  for (std::string& text : reserved_) text = reader.ReadString();
  for (std::string* handler : {&on_playing_, &on_play_start_, &on_play_end_, &on_link_, &on_notify_}) {
    *handler = reader.ReadString();
  }
  document_.notify_enabled = !on_notify_.empty();
  paused_ = reader.ReadBool();
  text_paused_ = reader.ReadBool();
  document_.paused = paused_ || text_paused_;
  text_delay_ = reader.ReadInt32();
  document_.speed_rate = text_delay_;
  const uint8_t source = reader.ReadByte();
  text_source_ = source <= 2 ? static_cast<TTextSource>(source) : TTextSource::Plain;
  page_name_ = reader.ReadString();
  command_index_ = reader.ReadInt32();
  on_idle_ = version > 103 ? reader.ReadString() : std::string();
  capture_link_ = version >= 120 ? reader.ReadBool() : false;
  const int32_t count = reader.ReadInt32();
  if (count < 0) throw EReadError("Stream read error");
  page_states_ = reader.ReadBytes(count);
  // The pages come back in ReloadText, once the whole stage is read.
  FreePages();
}

void TOrvoMes::ReloadText() {
  const int32_t page = current_;
  const int32_t scroll = scroll_;
  const TTextSource source = text_source_;
  const std::string page_name = page_name_;
  const int32_t command_index = command_index_;
  std::optional<std::string> states = std::move(page_states_);
  page_states_.reset();
  // The saved page is restored below; no play-start is wanted for it.
  const std::string play_start = on_play_start_;
  on_play_start_.clear();
  if (!content_.HasContent()) {
    try {
      SetText(markup_);
    } catch (const EOrvoError&) {
      // The markup was accepted when it was saved; a text that fails now shows nothing.
    }
  } else {
    RebuildText(false, false);
  }
  on_play_start_ = play_start;
  play_start_delay_ = 0;
  pressed_ = nullptr;
  current_ = std::min(page, PageCount() - 1);
  scroll_ = scroll;
  text_source_ = source;
  page_name_ = page_name;
  command_index_ = command_index;
  if (TWdPage* shown = CurrentPage()) {
    ResetReveal(*shown);
    Prepare(*shown, false);
  }
  if (states) {
    TMemoryStream stream(*states);
    TBinaryReader state_reader(stream);
    try {
      for (const auto& each : pages_) LoadState(*each, state_reader);
    } catch (const EReadError&) {
      // Pages laid out differently from the saved ones keep what was read so far.
    }
  }
  needs_render_ = false;
  reset_on_render_ = false;
  Invalidate();
}

}  // namespace orvo
