#pragma once
// Screen transitions. A wipe composes the picture being left (from), the
// picture being entered (to) and its progress into a destination surface;
// the host sets the elapsed time before every Step. The kinds are made by
// CreateWipe from their catalogue code (1..38).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "surface/surface.h"

namespace orvo {

// Finds a rule picture by name and decodes its first frame (any bit count);
// false when there is none.
using TRuleLoader = std::function<bool(const std::string& name, TDIBSurface& picture)>;

class TCustomWipe {
 public:
  // The three surfaces stay owned by the caller and must outlive the wipe.
  TCustomWipe(TCustomDIBX& destination, TCustomDIBX& from, TCustomDIBX& to);
  virtual ~TCustomWipe();
  TCustomWipe(const TCustomWipe&) = delete;
  TCustomWipe& operator=(const TCustomWipe&) = delete;

  // Stores the direction; kinds that precompute per direction do it here.
  virtual void SetReverse(bool reverse);
  // Parameter 0 or 1 as stored (after the kind's clamping); 0 for other indices.
  virtual int32_t GetParam(int index) const;
  // Stores parameter 0 or 1, clamped or derived by the kind; other indices are ignored.
  virtual void SetParam(int index, int32_t value);
  // The text parameter: the rule picture's name for the rule kinds.
  virtual void SetText(const std::string& text);
  // Builds tables and masks once all parameters are set; nothing in the base.
  virtual void Prepare();
  // Draws the picture of the current elapsed time; true (and nothing drawn)
  // once elapsed reaches the duration.
  virtual bool Step();

  void SetOption(bool option) { option_ = option; }
  bool Option() const { return option_; }
  bool Reverse() const { return reverse_; }
  const std::string& Text() const { return text_; }
  // Durations below 1 are kept as 1: every kind divides by it.
  void SetDuration(int32_t duration) { duration_ = duration < 1 ? 1 : duration; }
  int32_t Duration() const { return duration_; }
  // Negative times count as 0.
  void SetElapsed(int32_t elapsed) { elapsed_ = elapsed < 0 ? 0 : elapsed; }
  int32_t Elapsed() const { return elapsed_; }
  // What the last Step changed: the destination's bounds, or empty when it drew nothing.
  const TRect& UpdateRect() const { return update_rect_; }
  // Where the rule kinds find their picture; without one they use a uniform rule.
  void SetRuleLoader(TRuleLoader loader) { rule_loader_ = std::move(loader); }

  TCustomDIBX& Destination() const { return *destination_; }
  TCustomDIBX& From() const { return *from_; }
  TCustomDIBX& To() const { return *to_; }

 protected:
  // Draws the picture for elapsed < duration; returns false when nothing changed.
  virtual bool DrawStep() = 0;

  // elapsed * range / duration in 64 bits (long wipes overflow 32).
  int64_t Progress(int64_t range) const {
    return static_cast<int64_t>(static_cast<__int128>(elapsed_) * range / duration_);
  }
  // The elapsed fraction as a real.
  long double Fraction() const { return static_cast<long double>(elapsed_) / duration_; }
  int32_t Width() const { return destination_->Width(); }
  int32_t Height() const { return destination_->Height(); }
  // The native pixel of the grey level v (0..255) on the destination.
  uint32_t Grey(int v) const;
  // True when from and to have the destination's size and format (the
  // per-pixel kinds draw nothing otherwise).
  bool SameShapes() const;
  // The rule picture as grey levels (0..255) per destination pixel: 255
  // everywhere, then the picture tiled from the top-left (negated with reverse).
  std::vector<uint8_t> BuildRule() const;
  // 255 where from and to differ, 0 where they are equal, an 8-bit surface of from's size.
  void BuildDifferenceMask(TDIBX& mask) const;

  int32_t params_[2] = {0, 0};

 private:
  TCustomDIBX* destination_;
  TCustomDIBX* from_;
  TCustomDIBX* to_;
  bool reverse_ = false;
  bool option_ = false;
  std::string text_;
  int32_t duration_ = 1;
  int32_t elapsed_ = 0;
  TRect update_rect_{};
  TRuleLoader rule_loader_;
};

// Base of the kinds that draw through an 8-bit mask: 0 shows from, 255 shows
// to, values between blend floor((m * to + (255 - m) * from) / 256).
class TWipeMask : public TCustomWipe {
 public:
  using TCustomWipe::TCustomWipe;
  // Parameter 0 at least 2, parameter 1 at least 1.
  void SetParam(int index, int32_t value) override;
  // Sizes the mask (width x MaskHeight) and clears it.
  void Prepare() override;

  const TDIBX& Mask() const { return mask_; }

 protected:
  bool DrawStep() override;
  // Rebuilds the mask for the current time; false when it did not change.
  virtual bool UpdateMask() = 0;
  // Rows of the mask, repeated down the screen; the destination's height in the base.
  virtual int32_t MaskHeight() const;
  // The mask, sized on first use; rows past the screen are never read, so
  // the height is cut at the screen's.
  TDIBX& EnsureMask();
  // Stores the progress value of this update; false when it equals the last one.
  bool NewProgress(int64_t value);
  void SetHardMask(bool hard) { hard_ = hard; }

  TDIBX mask_;
  int64_t last_progress_ = -1;
  bool hard_ = false;
};

// Mask bases of the curtain kinds: both parameters at least 1.
class TWipeOrderHMask : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  void SetParam(int index, int32_t value) override;

 protected:
  int32_t MaskHeight() const override { return 1; }
};

class TWipeOrderVMask : public TWipeMask {
 public:
  using TWipeMask::TWipeMask;
  void SetParam(int index, int32_t value) override;
};

// ---- the catalogue

constexpr int kWipeKindCount = 38;

struct TWipeKindInfo {
  const char* name;   // "WP_FADE" ...
  const char* label;  // the authoring tool's label, UTF-8
  bool has_defaults;  // false for code 0
  int32_t default0;
  int32_t default1;
};

// Codes 0..38; other codes give null.
const TWipeKindInfo* WipeKindInfo(int32_t code);
// The code of a name such as "WP_FADE" (any case); -1 when none.
int32_t WipeKindByName(std::string_view name);

// A new wipe of a catalogue code with the kind's default parameters; null for
// codes outside 1..38.
std::unique_ptr<TCustomWipe> CreateWipe(int32_t kind, TCustomDIBX& destination, TCustomDIBX& from, TCustomDIBX& to);

// Decodes a rule picture file (".dov", ".png", ".bmp") with the project's
// identification code; false when the name is not a picture or the data is bad.
bool DecodeRulePicture(std::string_view bytes, std::string_view name, int32_t code, TDIBSurface& picture);

}  // namespace orvo
