#pragma once
// The numbered properties through which scripts see every stage object: their
// ids, value types, the kinds that implement them and what the others read.
// Ids are stored in pages, saves and property motions and double as event
// codes, so the numbering is part of the file formats.
#include <cstdint>

#include "base/font_style.h"
#include "stage/prop_value.h"

namespace orvo {

class TOrvoObject;

enum TPropId : int32_t {
  PR_NAME = 0,
  PR_PARENT = 1,
  PR_SOURCE = 2,
  PR_LEFT = 3,
  PR_TOP = 4,
  PR_WIDTH = 5,
  PR_HEIGHT = 6,
  PR_ZOOMX = 7,
  PR_COLOR = 8,
  PR_BORDERWIDTH = 9,
  PR_BORDERCOLOR = 10,
  PR_ALPHA = 11,
  PR_PRIORITY = 12,
  PR_OFFSETX = 13,
  PR_OFFSETY = 14,
  PR_FONTNAME = 15,
  PR_FONTHEIGHT = 16,
  PR_FONTSTYLE = 17,
  PR_LINESPACE = 18,
  PR_FONTCOLOR = 19,
  PR_FONTLINKCOLOR = 20,
  PR_FONTBORDERCOLOR = 21,
  PR_FONTHOVERCOLOR = 22,
  PR_FONTHOVERSTYLE = 23,
  PR_HOVERCOLOR = 24,
  PR_ANTIALIAS = 25,
  PR_DELAY = 26,
  PR_PAUSED = 27,
  PR_VOLUME = 28,
  PR_REPEAT = 29,
  PR_BALANCE = 30,
  PR_ANGLE = 31,
  PR_ONPLAYING = 32,
  PR_ONNOTIFY = 33,
  PR_ONMOUSEMOVE = 34,
  PR_ONMOUSEOUT = 35,
  PR_ONLBTNDOWN = 36,
  PR_ONLBTNUP = 37,
  PR_ONRBTNDOWN = 38,
  PR_ONRBTNUP = 39,
  PR_ONWHEELDOWN = 40,
  PR_ONWHEELUP = 41,
  PR_BRIGHTNESS = 42,
  PR_ONPLAYEND = 43,
  PR_INDEX = 44,
  PR_COUNT = 45,
  PR_ONLINK = 46,
  PR_VISIBLE = 47,
  PR_COLCOUNT = 48,
  PR_ROWCOUNT = 49,
  PR_TEXT = 50,
  PR_MARGINX = 51,
  PR_MARGINY = 52,
  PR_HALIGN = 53,
  PR_BORDERSOURCETL = 54,
  PR_BORDERSOURCETC = 55,
  PR_BORDERSOURCETR = 56,
  PR_BORDERSOURCECL = 57,
  PR_BORDERSOURCECC = 58,
  PR_BORDERSOURCECR = 59,
  PR_BORDERSOURCEBL = 60,
  PR_BORDERSOURCEBC = 61,
  PR_BORDERSOURCEBR = 62,
  PR_BORDERHALIGNT = 63,
  PR_BORDERHALIGNC = 64,
  PR_BORDERHALIGNB = 65,
  PR_BORDERVALIGNL = 66,
  PR_BORDERVALIGNC = 67,
  PR_BORDERVALIGNR = 68,
  PR_SCROLLSOURCE = 69,
  PR_CHECKSOURCE = 70,
  PR_AUTOSCRAP = 71,
  PR_ONSELECT = 72,
  PR_RCLICKSCRAP = 73,
  PR_ONOPENING = 74,
  PR_ONOPENED = 75,
  PR_ONCLOSING = 76,
  PR_ONCLOSED = 77,
  PR_CARETX = 78,
  PR_CARETY = 79,
  PR_IGNOREMOUSE = 80,
  PR_TEXTPAUSED = 81,
  PR_TEXTDELAY = 82,
  PR_HOVERSOURCE = 83,
  PR_PRESSEDSOURCE = 84,
  PR_GROUPINDEX = 85,
  PR_ALLOWALLUP = 86,
  PR_SELECTED = 87,
  PR_CAPTUREMASK = 88,
  PR_POWER = 89,
  PR_ORIGWIDTH = 90,
  PR_ORIGHEIGHT = 91,
  PR_APPEARX = 92,
  PR_APPEARY = 93,
  PR_PARTMOTION = 94,
  PR_PARAM1 = 95,
  PR_PARAM2 = 96,
  PR_TOPINDEX = 97,
  PR_READONLY = 98,
  PR_CURSOR = 99,
  PR_POSZOOMED = 100,
  PR_ONPLAYSTART = 101,
  PR_PARAM3 = 102,
  PR_ONMOUSEIN = 103,
  PR_ONMAPIN = 104,
  PR_ONMAPOUT = 105,
  PR_MAPSOURCE = 106,
  PR_AMP = 107,
  PR_WAVELEN = 108,
  PR_SCROLLX = 109,
  PR_SCROLLY = 110,
  PR_FLIPH = 111,
  PR_FLIPV = 112,
  PR_ONIDLE = 113,
  PR_DISTANCEX = 114,
  PR_DISTANCEY = 115,
  PR_CLIPLEFT = 116,
  PR_CLIPTOP = 117,
  PR_CLIPWIDTH = 118,
  PR_CLIPHEIGHT = 119,
  PR_DURATION = 120,
  PR_THUMBSOURCE = 121,
  PR_BUTTONSOURCE = 122,
  PR_MIN = 123,
  PR_MAX = 124,
  PR_VALUE = 125,
  PR_ORIENTATION = 126,
  PR_SMALLCHANGE = 127,
  PR_LARGECHANGE = 128,
  PR_MAPTEXT = 129,
  PR_GLYPHWIDTH = 130,
  PR_GLYPHHEIGHT = 131,
  PR_ZOOMY = 132,
  PR_CLICKEDSOURCE = 133,
  PR_ANIPAUSED = 134,
  PR_ONHOLD = 135,
  PR_ONRELEASE = 136,
  PR_REVERSE = 137,
  PR_PLAYING = 138,
  PR_REWINDONLOAD = 139,
  PR_COMPOTYPE = 140,
  PR_FONTSHADOWCOLOR = 141,
  PR_FONTBORDER = 142,
  PR_FONTSHADOW = 143,
  PR_ONKEYDOWN = 144,
  PR_ONKEYUP = 145,
  PR_ONKEYREPEAT = 146,
  PR_HANDLEKEY = 147,
  PR_ONFOCUSIN = 148,
  PR_ONFOCUSOUT = 149,
  PR_OVERLAY = 150,
  PR_TAG = 151,
  PR_CAPTURELINK = 152,
  PR_FONTHOVERBORDER = 153,
  PR_FONTHOVERBORDERCOLOR = 154,
  PR_FONTHOVERSHADOW = 155,
  PR_FONTHOVERSHADOWCOLOR = 156,
  PR_BARSIZE = 157,
  PR_MUTEONLOAD = 158,
  PR_PLUSX = 159,
  PR_PLUSY = 160,
  PR_CARETHEIGHT = 161,
  PR_REPEATPOS = 162,
  PR_BLURSPAN = 163,
  PR_BLURDELAY = 164,
  PR_FONTCHANGEABLED = 165,
  PR_IMEMODE = 166,
  PR_FLOATANGLE = 167,
  PR_FLOATZOOMX = 168,
  PR_FLOATZOOMY = 169,
  PR_CAPMASKLEVEL = 170,
  PR_PADDINGLEFT = 171,
  PR_PADDINGRIGHT = 172,
};

constexpr int32_t kPropCount = 173;

// Kind codes: written before each object in saves and passed to CreateByKind.
// Code 0 marks objects that are never saved (screens, afterimages, pictures
// that films create).
enum TKindCode : uint8_t {
  kcNone = 0,
  kcBox = 2,
  kcButton = 3,
  kcCinema = 4,
  kcEdit = 5,
  kcFire = 6,
  kcHttp = 7,
  kcImages = 8,
  kcLabel = 9,
  kcMemo = 11,
  kcMenu = 12,
  kcMes = 13,
  kcParticle = 14,
  kcTimer = 15,
  kcVideo = 16,
  kcSound = 17,
  kcMapImage = 18,
  kcWave = 19,
  kcTile = 20,
  kcSlider = 21,
  kcScrollbar = 22,
  kcGauge = 23,
  kcCGLabel = 24,
  kcPrevMenu = 25,
  kcPropMotion = 26,
  kcCabinet = 27,
};

// True for the codes of the kind table (1 and 10 are unused).
constexpr bool IsKnownKindCode(int code) { return code >= 2 && code <= 27 && code != 10; }
// True for the kinds whose objects are visual (everything but the fetch
// object, timers, sounds and property motions).
constexpr bool IsVisualKindCode(int code) {
  return IsKnownKindCode(code) && code != kcHttp && code != kcTimer && code != kcSound && code != kcPropMotion;
}

// Mouse ignore modes (PR_IGNOREMOUSE).
enum TIgnoreMouse : int32_t { IM_NONE = 0, IM_ALL = 1, IM_CLICK = 2, IM_LCLICK = 3, IM_RCLICK = 4 };
// Hit-test masks: bit m set = an object in mode m takes the mouse.
constexpr uint32_t kHitLeftClick = 17;  // IM_NONE, IM_RCLICK
constexpr uint32_t kHitRightClick = 9;  // IM_NONE, IM_LCLICK
constexpr uint32_t kHitHover = 29;      // every mode but IM_ALL

enum THorzAlign : int32_t { HA_LEFT = 0, HA_CENTER = 1, HA_RIGHT = 2 };
enum TOrientation : int32_t { OT_HORIZONTAL = 0, OT_VERTICAL = 1 };
enum TMotionType : int32_t { MT_NORMAL = 0, MT_INC = 1, MT_DEC = 2 };

using TFontStyles = uint8_t;
// The integer of a style set and back (only the four known bits count).
constexpr int32_t FontStyleToInt(TFontStyles styles) { return styles & 15; }
constexpr TFontStyles IntToFontStyle(int32_t value) { return static_cast<TFontStyles>(value & 15); }

// Angles: 255 (not 256) is one full turn; zooms: 256 is 100 %. Integers come
// from reals by truncation.
long double AngleToRadians(int32_t angle);
int32_t RadiansToAngle(long double radians);
long double ZoomToFactor(int32_t zoom);
int32_t FactorToZoom(long double factor);

// How a kind that does not implement a property reads it.
enum class TDefaultRule : uint8_t {
  Value,      // the table's value
  Width,      // the object's PR_WIDTH
  Height,     // the object's PR_HEIGHT
  FromAngle,  // PR_ANGLE in radians
  FromZoomX,  // PR_ZOOMX as a factor
  FromZoomY,  // PR_ZOOMY as a factor
  None,       // every kind implements it
};

struct TPropInfo {
  TPropType type;
  TDefaultRule rule;
  int32_t default_int;  // also the flag (0 or 1) of flag properties
  // Kinds that implement reading and writing: bit c for kind code c, plus
  // the object classes below.
  uint32_t readers;
  uint32_t writers;
  uint8_t reader_classes;
  uint8_t writer_classes;
  // Writes through the dispatcher do nothing.
  bool read_only;
};

// Object classes of TPropInfo: every object, every visual object (screens
// included), every visual object but the screens.
constexpr uint8_t kClassAll = 1;
constexpr uint8_t kClassVisual = 2;
constexpr uint8_t kClassVisualNotScreen = 4;

// The table row of an id 0..172 (ids outside are the caller's error).
const TPropInfo& PropInfo(int32_t id);
inline TPropType PropType(int32_t id) { return PropInfo(id).type; }
// True when the id is 0..172.
constexpr bool IsPropId(int32_t id) { return id >= 0 && id < kPropCount; }

// What a kind that does not implement the property reads ("Default").
TPropValue DefaultPropValue(const TOrvoObject& object, int32_t id);
// Whether the table lists the object's kind among the readers / writers.
bool PropReadBy(const TOrvoObject& object, int32_t id);
bool PropWrittenBy(const TOrvoObject& object, int32_t id);

}  // namespace orvo
