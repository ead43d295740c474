#include "stage/prop_table.h"

#include <array>
#include <initializer_list>
#include <numbers>

#include "base/numeric.h"
#include "stage/orvo_object.h"

namespace orvo {

namespace {

constexpr uint32_t K(std::initializer_list<int> codes) {
  uint32_t mask = 0;
  for (int code : codes) mask |= uint32_t{1} << code;
  return mask;
}

constexpr uint32_t AllKinds() {
  uint32_t mask = 0;
  for (int code = 0; code < 32; ++code) {
    if (IsKnownKindCode(code)) mask |= uint32_t{1} << code;
  }
  return mask;
}

constexpr uint32_t VisualKinds() {
  uint32_t mask = 0;
  for (int code = 0; code < 32; ++code) {
    if (IsVisualKindCode(code)) mask |= uint32_t{1} << code;
  }
  return mask;
}

constexpr uint32_t kAllKinds = AllKinds();
constexpr uint32_t kVisualKinds = VisualKinds();

using enum TPropType;

// Rows: implemented by the listed kinds (both ways).
constexpr TPropInfo Kinds(TPropType type, int32_t default_value, uint32_t kinds) {
  return {type, TDefaultRule::Value, default_value, kinds, kinds, 0, 0, false};
}
// Read by some kinds, written by others.
constexpr TPropInfo Split(TPropType type, int32_t default_value, uint32_t readers, uint32_t writers) {
  return {type, TDefaultRule::Value, default_value, readers, writers, 0, 0, false};
}
// Implemented by every visual object.
constexpr TPropInfo Visual(TPropType type, int32_t default_value) {
  return {type, TDefaultRule::Value, default_value, 0, 0, kClassVisual, kClassVisual, false};
}
// Implemented by every object.
constexpr TPropInfo Every(TPropType type) { return {type, TDefaultRule::None, 0, 0, 0, kClassAll, kClassAll, false}; }
// Read by the listed kinds; writes through the dispatcher do nothing.
constexpr TPropInfo ReadOnly(TPropType type, int32_t default_value, uint32_t kinds, uint8_t classes = 0) {
  return {type, TDefaultRule::Value, default_value, kinds, 0, classes, 0, true};
}
constexpr TPropInfo Derived(TPropType type, TDefaultRule rule, uint32_t readers, uint32_t writers) {
  return {type, rule, 0, readers, writers, 0, 0, false};
}
constexpr TPropInfo Nobody(TPropType type, int32_t default_value) {
  return {type, TDefaultRule::Value, default_value, 0, 0, 0, 0, false};
}

constexpr uint32_t kSourceKinds = K({kcBox, kcButton, kcCinema, kcHttp, kcImages, kcLabel, kcParticle, kcVideo, kcSound,
                                     kcMapImage, kcTile, kcSlider, kcScrollbar, kcGauge, kcCGLabel, kcPrevMenu});
constexpr uint32_t kZoomKinds = K({kcButton, kcFire, kcImages, kcLabel, kcVideo, kcTile});
constexpr uint32_t kAngleKinds = K({kcButton, kcImages, kcLabel, kcVideo, kcTile});
constexpr uint32_t kAlphaKinds = K({kcBox, kcButton, kcImages, kcLabel, kcMenu, kcMes, kcParticle, kcVideo, kcMapImage,
                                    kcTile, kcSlider, kcScrollbar, kcGauge, kcCGLabel});
constexpr uint32_t kFontKinds = K({kcButton, kcEdit, kcLabel, kcMemo, kcMenu, kcMes});
constexpr uint32_t kMenu = K({kcMenu});
constexpr uint32_t kMes = K({kcMes});
constexpr uint32_t kMenuMes = K({kcMenu, kcMes});
constexpr uint32_t kMapKinds = K({kcMenu, kcMapImage, kcPrevMenu});
constexpr uint32_t kRepeatKinds =
    K({kcBox, kcButton, kcCinema, kcImages, kcLabel, kcVideo, kcSound, kcMapImage, kcTile});
constexpr uint32_t kTextKinds = K({kcButton, kcEdit, kcHttp, kcLabel, kcMemo, kcMenu, kcMes, kcCGLabel, kcPrevMenu});
constexpr uint32_t kMaskKinds = K({kcButton, kcImages, kcVideo, kcTile, kcSlider, kcScrollbar});
constexpr uint32_t kSliderKinds = K({kcSlider, kcScrollbar});
constexpr uint32_t kRangeKinds = K({kcSlider, kcScrollbar, kcGauge});
constexpr uint32_t kMediaKinds = K({kcCinema, kcVideo, kcSound});
constexpr uint32_t kBlurKinds = K({kcBox, kcButton, kcImages, kcVideo, kcTile});
constexpr uint32_t kFlipKinds = K({kcButton, kcImages, kcLabel, kcVideo, kcTile});

constexpr std::array<TPropInfo, kPropCount> kTable = {{
    /* 0 PR_NAME */ Every(Str),
    /* 1 PR_PARENT */ {Str, TDefaultRule::Value, 0, 0, 0, kClassVisual, kClassVisualNotScreen, false},
    /* 2 PR_SOURCE */ Kinds(Str, 0, kSourceKinds),
    /* 3 PR_LEFT */ Visual(Int, 0),
    /* 4 PR_TOP */ Visual(Int, 0),
    /* 5 PR_WIDTH */ Visual(Int, 0),
    /* 6 PR_HEIGHT */ Visual(Int, 0),
    /* 7 PR_ZOOMX */ Kinds(Int, 256, kZoomKinds),
    /* 8 PR_COLOR */ Visual(Int, 0xFFFFFF),
    /* 9 PR_BORDERWIDTH */ Kinds(Int, 0, K({kcBox, kcMenu})),
    /* 10 PR_BORDERCOLOR */ Kinds(Int, -1, K({kcBox, kcMenu})),
    /* 11 PR_ALPHA */ Kinds(Int, 255, kAlphaKinds),
    /* 12 PR_PRIORITY */ Every(Int),
    /* 13 PR_OFFSETX */ Visual(Int, 0),
    /* 14 PR_OFFSETY */ Visual(Int, 0),
    /* 15 PR_FONTNAME */ Kinds(Str, 0, kFontKinds),
    /* 16 PR_FONTHEIGHT */ Kinds(Int, 0, kFontKinds),
    /* 17 PR_FONTSTYLE */ Kinds(Int, 0, K({kcButton, kcEdit, kcLabel, kcMemo, kcMenu})),
    /* 18 PR_LINESPACE */ Kinds(Int, 0, K({kcLabel, kcMenu, kcMes, kcCGLabel})),
    /* 19 PR_FONTCOLOR */ Kinds(Int, 0, kFontKinds),
    /* 20 PR_FONTLINKCOLOR */ Kinds(Int, 0, kMes),
    /* 21 PR_FONTBORDERCOLOR */ Kinds(Int, 0, kMenuMes),
    /* 22 PR_FONTHOVERCOLOR */ Kinds(Int, 0, kMenuMes),
    /* 23 PR_FONTHOVERSTYLE */ Kinds(Int, 0, kMenu),
    /* 24 PR_HOVERCOLOR */ Kinds(Int, -1, kMenu),
    /* 25 PR_ANTIALIAS */ Kinds(Bool, 0, K({kcButton, kcImages, kcLabel, kcMenu, kcMes, kcVideo, kcTile})),
    /* 26 PR_DELAY */ Kinds(Int, 0, K({kcMenu, kcMes, kcTimer, kcVideo, kcSound, kcWave, kcGauge})),
    /* 27 PR_PAUSED */ Kinds(Bool, 0, kAllKinds & ~K({kcHttp, kcCabinet})),
    /* 28 PR_VOLUME */ Kinds(Int, 0, kMediaKinds),
    /* 29 PR_REPEAT */ Split(Bool, 0, kRepeatKinds, kRepeatKinds & ~K({kcMapImage, kcTile})),
    /* 30 PR_BALANCE */ Kinds(Int, 0, K({kcVideo, kcSound})),
    /* 31 PR_ANGLE */ Kinds(Int, 0, kAngleKinds),
    /* 32 PR_ONPLAYING */ Kinds(Str, 0, kMes),
    /* 33 PR_ONNOTIFY */ Kinds(Str, 0, K({kcButton, kcEdit, kcMemo, kcMes, kcTimer, kcSlider, kcScrollbar})),
    /* 34 PR_ONMOUSEMOVE */ Visual(Str, 0),
    /* 35 PR_ONMOUSEOUT */ Visual(Str, 0),
    /* 36 PR_ONLBTNDOWN */ Visual(Str, 0),
    /* 37 PR_ONLBTNUP */ Visual(Str, 0),
    /* 38 PR_ONRBTNDOWN */ Visual(Str, 0),
    /* 39 PR_ONRBTNUP */ Visual(Str, 0),
    /* 40 PR_ONWHEELDOWN */ Visual(Str, 0),
    /* 41 PR_ONWHEELUP */ Visual(Str, 0),
    /* 42 PR_BRIGHTNESS */ Kinds(Int, 255, K({kcButton, kcImages, kcMapImage, kcTile})),
    /* 43 PR_ONPLAYEND */
    Kinds(Str, 0, K({kcBox, kcButton, kcCinema, kcHttp, kcImages, kcLabel, kcMes, kcVideo, kcSound, kcPrevMenu})),
    /* 44 PR_INDEX */
    Kinds(Int, -1, K({kcButton, kcCinema, kcImages, kcMenu, kcMes, kcParticle, kcVideo, kcSound, kcTile})),
    /* 45 PR_COUNT */
    Split(Int, 0, K({kcButton, kcCinema, kcImages, kcMenu, kcMes, kcVideo, kcSound, kcTile, kcPrevMenu}), 0),
    /* 46 PR_ONLINK */ Kinds(Str, 0, kMes),
    /* 47 PR_VISIBLE */ Visual(Bool, 0),
    /* 48 PR_COLCOUNT */ Nobody(Int, 0),
    /* 49 PR_ROWCOUNT */ Kinds(Int, 0, kMenu),
    /* 50 PR_TEXT */ Split(Str, 0, kTextKinds, kTextKinds & ~K({kcHttp, kcPrevMenu})),
    /* 51 PR_MARGINX */ Kinds(Int, 0, kMenu),
    /* 52 PR_MARGINY */ Kinds(Int, 0, kMenu),
    /* 53 PR_HALIGN */ Kinds(Int, 0, K({kcLabel, kcMemo, kcMenu, kcCGLabel})),
    /* 54 PR_BORDERSOURCETL */ Kinds(Str, 0, kMenu),
    /* 55 PR_BORDERSOURCETC */ Kinds(Str, 0, kMenu),
    /* 56 PR_BORDERSOURCETR */ Kinds(Str, 0, kMenu),
    /* 57 PR_BORDERSOURCECL */ Kinds(Str, 0, kMenu),
    /* 58 PR_BORDERSOURCECC */ Kinds(Str, 0, kMenu),
    /* 59 PR_BORDERSOURCECR */ Kinds(Str, 0, kMenu),
    /* 60 PR_BORDERSOURCEBL */ Kinds(Str, 0, kMenu),
    /* 61 PR_BORDERSOURCEBC */ Kinds(Str, 0, kMenu),
    /* 62 PR_BORDERSOURCEBR */ Kinds(Str, 0, kMenu),
    /* 63 PR_BORDERHALIGNT */ Kinds(Int, 0, kMenu),
    /* 64 PR_BORDERHALIGNC */ Kinds(Int, 0, kMenu),
    /* 65 PR_BORDERHALIGNB */ Kinds(Int, 0, kMenu),
    /* 66 PR_BORDERVALIGNL */ Kinds(Int, 0, kMenu),
    /* 67 PR_BORDERVALIGNC */ Kinds(Int, 0, kMenu),
    /* 68 PR_BORDERVALIGNR */ Kinds(Int, 0, kMenu),
    /* 69 PR_SCROLLSOURCE */ Kinds(Str, 0, kMenu),
    /* 70 PR_CHECKSOURCE */ Kinds(Str, 0, kMenu),
    /* 71 PR_AUTOSCRAP */
    Kinds(Bool, 0,
          K({kcBox, kcButton, kcCinema, kcImages, kcLabel, kcMenu, kcTimer, kcVideo, kcSound, kcMapImage, kcPrevMenu})),
    /* 72 PR_ONSELECT */ Kinds(Str, 0, kMapKinds),
    /* 73 PR_RCLICKSCRAP */ Kinds(Bool, 0, kMapKinds),
    /* 74 PR_ONOPENING */ Kinds(Str, 0, kMenu),
    /* 75 PR_ONOPENED */ Kinds(Str, 0, kMenu),
    /* 76 PR_ONCLOSING */ Kinds(Str, 0, kMenu),
    /* 77 PR_ONCLOSED */ Kinds(Str, 0, kMenu),
    /* 78 PR_CARETX */ ReadOnly(Int, 0, kMes),
    /* 79 PR_CARETY */ ReadOnly(Int, 0, kMes),
    /* 80 PR_IGNOREMOUSE */ Visual(Int, 0),
    /* 81 PR_TEXTPAUSED */ Kinds(Bool, 0, kMes),
    /* 82 PR_TEXTDELAY */ Kinds(Int, 256, kMes),
    /* 83 PR_HOVERSOURCE */ Kinds(Str, 0, K({kcButton, kcMapImage})),
    /* 84 PR_PRESSEDSOURCE */ Kinds(Str, 0, K({kcButton})),
    /* 85 PR_GROUPINDEX */ Kinds(Int, 0, K({kcButton})),
    /* 86 PR_ALLOWALLUP */ Kinds(Bool, 0, K({kcButton})),
    /* 87 PR_SELECTED */ Kinds(Bool, 0, K({kcButton})),
    /* 88 PR_CAPTUREMASK */ Kinds(Bool, 0, kMaskKinds),
    /* 89 PR_POWER */ Kinds(Int, 0, K({kcFire})),
    /* 90 PR_ORIGWIDTH */
    Derived(Int, TDefaultRule::Width, K({kcButton, kcFire, kcImages, kcVideo, kcTile, kcCGLabel}), K({kcFire})),
    /* 91 PR_ORIGHEIGHT */
    Derived(Int, TDefaultRule::Height, K({kcButton, kcFire, kcImages, kcMenu, kcVideo, kcTile, kcCGLabel}),
            K({kcFire})),
    /* 92 PR_APPEARX */ Nobody(Int, 0),
    /* 93 PR_APPEARY */ Nobody(Int, 0),
    /* 94 PR_PARTMOTION */ Kinds(Int, 1, K({kcParticle})),
    /* 95 PR_PARAM1 */ Kinds(Float, 0, K({kcParticle})),
    /* 96 PR_PARAM2 */ Kinds(Float, 0, K({kcParticle})),
    /* 97 PR_TOPINDEX */ Kinds(Int, 0, kMenu),
    /* 98 PR_READONLY */ Kinds(Bool, 0, K({kcEdit, kcMemo})),
    /* 99 PR_CURSOR */ Visual(Str, 0),
    /* 100 PR_POSZOOMED */ Visual(Bool, 0),
    /* 101 PR_ONPLAYSTART */ Kinds(Str, 0, kMes),
    /* 102 PR_PARAM3 */ Kinds(Float, 0, K({kcParticle})),
    /* 103 PR_ONMOUSEIN */ Visual(Str, 0),
    /* 104 PR_ONMAPIN */ Kinds(Str, 0, kMapKinds),
    /* 105 PR_ONMAPOUT */ Kinds(Str, 0, kMapKinds),
    /* 106 PR_MAPSOURCE */ Kinds(Str, 0, K({kcMapImage})),
    /* 107 PR_AMP */ Kinds(Int, 0, K({kcWave})),
    /* 108 PR_WAVELEN */ Kinds(Int, 0, K({kcWave})),
    /* 109 PR_SCROLLX */ Kinds(Int, 0, K({kcTile})),
    /* 110 PR_SCROLLY */ Kinds(Int, 0, K({kcMes, kcTile})),
    /* 111 PR_FLIPH */ Kinds(Bool, 0, kFlipKinds),
    /* 112 PR_FLIPV */ Kinds(Bool, 0, kFlipKinds),
    /* 113 PR_ONIDLE */ Kinds(Str, 0, kVisualKinds & ~K({kcEdit, kcMemo, kcCabinet})),
    /* 114 PR_DISTANCEX */ Kinds(Int, 0, K({kcTile})),
    /* 115 PR_DISTANCEY */ Kinds(Int, 0, K({kcTile})),
    /* 116 PR_CLIPLEFT */ Visual(Int, 0),
    /* 117 PR_CLIPTOP */ Visual(Int, 0),
    /* 118 PR_CLIPWIDTH */ Visual(Int, 0),
    /* 119 PR_CLIPHEIGHT */ Visual(Int, 0),
    /* 120 PR_DURATION */ Kinds(Int, 0, K({kcParticle, kcGauge})),
    /* 121 PR_THUMBSOURCE */ Kinds(Str, 0, kSliderKinds),
    /* 122 PR_BUTTONSOURCE */ Kinds(Str, 0, kSliderKinds),
    /* 123 PR_MIN */ Kinds(Int, 0, kRangeKinds),
    /* 124 PR_MAX */ Kinds(Int, 0, kRangeKinds),
    /* 125 PR_VALUE */ Kinds(Int, 0, kRangeKinds),
    /* 126 PR_ORIENTATION */ Kinds(Int, 0, kRangeKinds),
    /* 127 PR_SMALLCHANGE */ Kinds(Int, 1, kSliderKinds),
    /* 128 PR_LARGECHANGE */ Kinds(Int, 1, K({kcScrollbar})),
    /* 129 PR_MAPTEXT */ Kinds(Str, 0, K({kcCGLabel})),
    /* 130 PR_GLYPHWIDTH */ Kinds(Int, 0, K({kcCGLabel})),
    /* 131 PR_GLYPHHEIGHT */ Kinds(Int, 0, K({kcCGLabel})),
    /* 132 PR_ZOOMY */ Kinds(Int, 256, kZoomKinds),
    /* 133 PR_CLICKEDSOURCE */ Kinds(Str, 0, K({kcButton})),
    /* 134 PR_ANIPAUSED */
    {Bool, TDefaultRule::Value, 0, 0, K({kcSound}), kClassVisual, kClassVisual, false},
    /* 135 PR_ONHOLD */ Kinds(Str, 0, kSliderKinds),
    /* 136 PR_ONRELEASE */ Kinds(Str, 0, kSliderKinds),
    /* 137 PR_REVERSE */ Kinds(Bool, 0, K({kcGauge})),
    /* 138 PR_PLAYING */ ReadOnly(Bool, 0, K({kcSound, kcPropMotion}), kClassVisual),
    /* 139 PR_REWINDONLOAD */ Kinds(Bool, 1, kMediaKinds),
    /* 140 PR_COMPOTYPE */ ReadOnly(Int, 0, kAllKinds),
    /* 141 PR_FONTSHADOWCOLOR */ Kinds(Int, 0, kMenuMes),
    /* 142 PR_FONTBORDER */ Kinds(Int, 0, kMenuMes),
    /* 143 PR_FONTSHADOW */ Kinds(Int, 0, kMenuMes),
    /* 144 PR_ONKEYDOWN */ Visual(Str, 0),
    /* 145 PR_ONKEYUP */ Visual(Str, 0),
    /* 146 PR_ONKEYREPEAT */ Visual(Str, 0),
    /* 147 PR_HANDLEKEY */ Visual(Bool, 0),
    /* 148 PR_ONFOCUSIN */ Visual(Str, 0),
    /* 149 PR_ONFOCUSOUT */ Visual(Str, 0),
    /* 150 PR_OVERLAY */ Kinds(Bool, 1, K({kcVideo})),
    /* 151 PR_TAG */ Every(Str),
    /* 152 PR_CAPTURELINK */ Kinds(Bool, 0, kMes),
    /* 153 PR_FONTHOVERBORDER */ Kinds(Int, 0, kMenu),
    /* 154 PR_FONTHOVERBORDERCOLOR */ Kinds(Int, 0, kMenu),
    /* 155 PR_FONTHOVERSHADOW */ Kinds(Int, 0, kMenu),
    /* 156 PR_FONTHOVERSHADOWCOLOR */ Kinds(Int, 0, kMenu),
    /* 157 PR_BARSIZE */ Kinds(Int, 0, kRangeKinds),
    /* 158 PR_MUTEONLOAD */ Kinds(Bool, 0, kMediaKinds),
    /* 159 PR_PLUSX */ Visual(Int, 0),
    /* 160 PR_PLUSY */ Visual(Int, 0),
    /* 161 PR_CARETHEIGHT */ ReadOnly(Int, 0, kMes),
    /* 162 PR_REPEATPOS */ Kinds(Int, 0, K({kcSound})),
    /* 163 PR_BLURSPAN */ Kinds(Int, 0, kBlurKinds),
    /* 164 PR_BLURDELAY */ Kinds(Int, 0, kBlurKinds),
    /* 165 PR_FONTCHANGEABLED */ Kinds(Bool, 1, kMes),
    /* 166 PR_IMEMODE */ Kinds(Int, 3, K({kcEdit, kcMemo})),
    /* 167 PR_FLOATANGLE */ Derived(Float, TDefaultRule::FromAngle, kAngleKinds, kAngleKinds),
    /* 168 PR_FLOATZOOMX */ Derived(Float, TDefaultRule::FromZoomX, kZoomKinds, kZoomKinds),
    /* 169 PR_FLOATZOOMY */ Derived(Float, TDefaultRule::FromZoomY, kZoomKinds, kZoomKinds),
    /* 170 PR_CAPMASKLEVEL */ Kinds(Int, 255, kMaskKinds),
    /* 171 PR_PADDINGLEFT */ Kinds(Int, 0, kMes),
    /* 172 PR_PADDINGRIGHT */ Kinds(Int, 0, kMes),
}};

bool Listed(const TOrvoObject& object, uint32_t kinds, uint8_t classes) {
  if (classes & kClassAll) return true;
  if (object.IsVisual() && (classes & kClassVisual)) return true;
  if (object.IsVisual() && !object.IsScreen() && (classes & kClassVisualNotScreen)) return true;
  int code = object.CompoType();
  return code > 0 && code < 32 && (kinds & (uint32_t{1} << code)) != 0;
}

constexpr long double kTwoPi = 2 * std::numbers::pi_v<long double>;

}  // namespace

long double AngleToRadians(int32_t angle) { return static_cast<long double>(angle) / 255 * kTwoPi; }
int32_t RadiansToAngle(long double radians) { return RealToIntSaturate<int32_t>(radians / kTwoPi * 255); }
long double ZoomToFactor(int32_t zoom) { return static_cast<long double>(zoom) / 256; }
int32_t FactorToZoom(long double factor) { return RealToIntSaturate<int32_t>(factor * 256); }

const TPropInfo& PropInfo(int32_t id) { return kTable[static_cast<size_t>(id)]; }

TPropValue DefaultPropValue(const TOrvoObject& object, int32_t id) {
  const TPropInfo& info = PropInfo(id);
  switch (info.rule) {
    case TDefaultRule::Width:
      return TPropValue::Int(object.GetProperty(PR_WIDTH).AsInt());
    case TDefaultRule::Height:
      return TPropValue::Int(object.GetProperty(PR_HEIGHT).AsInt());
    case TDefaultRule::FromAngle:
      return TPropValue::Float(AngleToRadians(object.GetProperty(PR_ANGLE).AsInt()));
    case TDefaultRule::FromZoomX:
      return TPropValue::Float(ZoomToFactor(object.GetProperty(PR_ZOOMX).AsInt()));
    case TDefaultRule::FromZoomY:
      return TPropValue::Float(ZoomToFactor(object.GetProperty(PR_ZOOMY).AsInt()));
    case TDefaultRule::Value:
    case TDefaultRule::None:
      break;
  }
  switch (info.type) {
    case TPropType::Int:
      return TPropValue::Int(info.default_int);
    case TPropType::Float:
      return TPropValue::Float(info.default_int);
    case TPropType::Bool:
      return TPropValue::Bool(info.default_int != 0);
    case TPropType::Str:
      break;
  }
  return TPropValue::Str({});
}

bool PropReadBy(const TOrvoObject& object, int32_t id) {
  const TPropInfo& info = PropInfo(id);
  return Listed(object, info.readers, info.reader_classes);
}

bool PropWrittenBy(const TOrvoObject& object, int32_t id) {
  const TPropInfo& info = PropInfo(id);
  return Listed(object, info.writers, info.writer_classes);
}

}  // namespace orvo
