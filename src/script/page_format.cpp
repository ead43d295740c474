#include "script/page_format.h"

#include "base/cp932.h"

namespace orvo {

namespace {

using F = TFieldKind;

constexpr TFieldLayout kNone[] = {{F::Expr, "", 0}};  // placeholder for kinds without fields (never read)
constexpr TFieldLayout kCond[] = {{F::Expr, "cond"}};
constexpr TFieldLayout kLabel[] = {{F::String, "name"}};
constexpr TFieldLayout kJump[] = {{F::String, "page"}, {F::Int32, "target"}, {F::Expr, "cond"}};
constexpr TFieldLayout kCall[] = {
    {F::String, "page"}, {F::Int32, "target"}, {F::String, "result"}, {F::Expr, "cond"}, {F::ExprList, "args"}};
constexpr TFieldLayout kWait[] = {{F::Expr, "cond"}, {F::Expr, "time"}, {F::Expr, "noevents", 106}};
constexpr TFieldLayout kProps[] = {{F::Properties, "props"}};
constexpr TFieldLayout kFlip[] = {{F::Expr, "kind"},          {F::Expr, "time"},       {F::Expr, "reverse"},
                                {F::Expr, "select"},        {F::ExprList, "names"},  {F::Expr, "deleteold"},
                                {F::Expr, "param1"},        {F::Expr, "param2"},     {F::Expr, "text", 100},
                                {F::Expr, "noevents", 106}, {F::Expr, "option", 116}};
constexpr TFieldLayout kExpr[] = {{F::Expr, "expr"}};
constexpr TFieldLayout kVarNew[] = {{F::String, "name"}, {F::Byte, "type"}, {F::Expr, "init"}, {F::Byte, "scope"}};
constexpr TFieldLayout kName[] = {{F::String, "name"}};
constexpr TFieldLayout kGetProp[] = {{F::Expr, "obj"}, {F::Expr, "prop"}, {F::String, "var"}};
constexpr TFieldLayout kSetProp[] = {{F::Expr, "obj"}, {F::Expr, "prop"}, {F::Expr, "value"}};
constexpr TFieldLayout kObj[] = {{F::Expr, "obj"}};
constexpr TFieldLayout kTextIns[] = {
    {F::Text, "text"}, {F::Expr, "obj"}, {F::Expr, "hist"}, {F::Expr, "wait"}, {F::Expr, "noevents", 106}};
constexpr TFieldLayout kMovieStop[] = {
    {F::Expr, "obj"}, {F::Expr, "fade"}, {F::Expr, "wait"}, {F::Expr, "noevents", 106}};
constexpr TFieldLayout kComment[] = {{F::String, "text"}};
constexpr TFieldLayout kCallHist[] = {
    {F::Expr, "obj"}, {F::Expr, "first"}, {F::Expr, "count"}, {F::Expr, "flag"}, {F::Expr, "format", 110}};
constexpr TFieldLayout kWhile[] = {{F::Expr, "cond"}, {F::Int32, "exit"}};
constexpr TFieldLayout kWhileLoop[] = {{F::Expr, "expr"}, {F::Int32, "loop"}};
constexpr TFieldLayout kBreak[] = {{F::Expr, "cond"}, {F::Int32, "target"}};
constexpr TFieldLayout kGameSave[] = {
    {F::Expr, "slot"}, {F::String, "pagetext"}, {F::Int32, "number", 104}, {F::Expr, "comment"}};
constexpr TFieldLayout kSlot[] = {{F::Expr, "slot"}};
constexpr TFieldLayout kReset[] = {{F::String, "page"}, {F::Int32, "target"}, {F::Byte, "full"}};
constexpr TFieldLayout kPropMotion[] = {{F::Expr, "name"}, {F::Expr, "target"}, {F::Expr, "prop"},     {F::Expr, "value"},
                                      {F::Expr, "time"}, {F::Expr, "mode"},   {F::Expr, "flag", 107}};
constexpr TFieldLayout kEntryHist[] = {{F::Expr, "obj"}, {F::Expr, "format", 110}};
constexpr TFieldLayout kCabinet[] = {{F::Properties, "props"}, {F::Expr, "invert"}, {F::ExprList, "names"}};

constexpr std::span<const TFieldLayout> kEmpty(kNone, 0);

const std::array<TKindLayout, kCommandKindCount> kKinds = {{
    {"TComIf", "if", kCond},
    {"TComElseif", "elseif", kCond},
    {"TComElse", "else", kEmpty},
    {"TComLabel", "label", kLabel},
    {"TComJump", "goto", kJump},
    {"TComCall", "call", kCall},
    {"TComExit", "exit", kCond},
    {"TComWait", "wait", kWait},
    {"TComBoxNew", "box", kProps},
    {"TComImgNew", "image", kProps},
    {"TComMesNew", "message", kProps},
    {"TComTimer", "timer", kProps},
    {"TComMovie", "movie", kProps},
    {"TComFlip", "flip", kFlip},
    {"TComCalc", "calc", kExpr},
    {"TComVarNew", "varnew", kVarNew},
    {"TComVarDel", "vardel", kName},
    {"TComGetProp", "getprop", kGetProp},
    {"TComSetProp", "setprop", kSetProp},
    {"TComObjDel", "objdel", kObj},
    {"TComTextIns", "text", kTextIns},
    {"TComMovieStop", "moviestop", kMovieStop},
    {"TComClrHist", "clearhistory", kEmpty},
    {"TComCinema", "cinema", kProps},
    {"TComCaption", "caption", kProps},
    {"TComMenu", "menu", kProps},
    {"TComMenuClose", "menuclose", kObj},
    {"TComComment", "comment", kComment},
    {"TComTextClr", "textclear", kObj},
    {"TComCallHist", "callhistory", kCallHist},
    {"TComBtnNew", "button", kProps},
    {"TComWhile", "while", kWhile},
    {"TComWhileInit", "whileinit", kExpr},
    {"TComWhileLoop", "whileloop", kWhileLoop},
    {"TComBreak", "break", kBreak},
    {"TComContinue", "continue", kBreak},
    {"TComParticleNew", "particle", kProps},
    {"TComFireNew", "fire", kProps},
    {"TComGameSave", "save", kGameSave},
    {"TComGameLoad", "load", kSlot},
    {"TComPCReset", "pcreset", kReset},
    {"TComReset", "reset", kReset},
    {"TComSound", "sound", kProps},
    {"TComEditNew", "edit", kProps},
    {"TComMemoNew", "memo", kProps},
    {"TComTerminate", "terminate", kEmpty},
    {"TComDoEvent", "yield", kEmpty},
    {"TComClrRead", "clearread", kEmpty},
    {"TComMapImgNew", "mapimage", kProps},
    {"TComWaveNew", "wave", kProps},
    {"TComTileNew", "tile", kProps},
    {"TComSliderNew", "slider", kProps},
    {"TComScrollbarNew", "scrollbar", kProps},
    {"TComGaugeNew", "gauge", kProps},
    {"TComCGCaption", "cgcaption", kProps},
    {"TComMediaPlay", "play", kObj},
    {"TComPrevMenuNew", "prevmenu", kProps},
    {"TComPropMotion", "motion", kPropMotion},
    {"TComEntryHist", "entryhistory", kEntryHist},
    {"TComCabinetSave", "cabinetsave", kCabinet},
    {"TComCabinetLoad", "cabinetload", kCabinet},
    {"TComIfdef", "ifdef", kEmpty},
    {"TComIfndef", "ifndef", kEmpty},
    {"TComEndif", "endif", kEmpty},
}};

struct TDefaultMask {
  int kind;
  TMaskEntry bytes;
};

constexpr TDefaultMask kDefaultMasks[] = {
    {8, {0x7f, 0x7f, 0x00, 0x28, 0xfc, 0x8b, 0x00, 0x00, 0x80, 0x00, 0x01,
         0x00, 0x88, 0x00, 0xf2, 0x00, 0x40, 0x00, 0xbf, 0x00, 0x18, 0x00}},
    {9, {0x9f, 0x78, 0x00, 0xac, 0xfc, 0x9f, 0x00, 0x00, 0x80, 0x00, 0x01,
         0x01, 0x98, 0x80, 0xf3, 0x00, 0x50, 0x00, 0xbf, 0x00, 0x98, 0x07}},
    {10, {0x7b, 0xf8, 0x7d, 0x0e, 0xff, 0xcb, 0x00, 0x00, 0x00, 0x00, 0x07,
          0x00, 0xa8, 0x00, 0xf2, 0x00, 0x00, 0xe0, 0xbf, 0x01, 0x20, 0x18}},
    {11, {0x01, 0x00, 0x00, 0x0c, 0x02, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00,
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00}},
    {12, {0x9f, 0x78, 0x00, 0xfc, 0xfc, 0x9b, 0x00, 0x00, 0x80, 0x00, 0x01,
          0x00, 0x98, 0x80, 0xf3, 0x00, 0x50, 0x08, 0xff, 0x40, 0x80, 0x03}},
    {23, {0x1f, 0x70, 0x00, 0x38, 0xfc, 0x9b, 0x00, 0x00, 0x80, 0x00, 0x01,
          0x00, 0x88, 0x00, 0xf2, 0x00, 0x40, 0x08, 0xbf, 0x40, 0x00, 0x00}},
    {24, {0x9f, 0xf8, 0x0f, 0xaa, 0xfc, 0x8b, 0x24, 0x00, 0x80, 0x00, 0x01,
          0x00, 0x98, 0x00, 0xf2, 0x00, 0x50, 0x00, 0xbf, 0x00, 0x80, 0x03}},
    {25, {0x1b, 0x9f, 0xef, 0x0f, 0xfc, 0x83, 0xfe, 0xff, 0xff, 0x3f, 0x01,
          0x00, 0x8a, 0x03, 0xf2, 0x00, 0xc0, 0xe1, 0xbf, 0x1e, 0x00, 0x00}},
    {30, {0x9f, 0xf8, 0x0b, 0x8a, 0x0e, 0x8c, 0x04, 0x00, 0x80, 0x00, 0xf9,
          0x01, 0x98, 0x80, 0xf3, 0x00, 0x70, 0x00, 0xbf, 0x00, 0x98, 0x07}},
    {36, {0x7f, 0x78, 0x00, 0x0c, 0xfc, 0x93, 0x00, 0x00, 0x00, 0x00, 0x01,
          0xf0, 0xc9, 0x00, 0xf2, 0x01, 0x40, 0x00, 0xbf, 0x00, 0x00, 0x00}},
    {37, {0x9b, 0x70, 0x00, 0x08, 0xfc, 0x83, 0x00, 0x00, 0x00, 0x00, 0x01,
          0x0e, 0x98, 0x00, 0xf2, 0x00, 0x50, 0x00, 0xbf, 0x00, 0x00, 0x03}},
    {42, {0x05, 0x00, 0x00, 0x7c, 0x00, 0x18, 0x00, 0x00, 0x80, 0x00, 0x00,
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x80, 0x40, 0x04, 0x00}},
    {43, {0x7b, 0xe1, 0x0b, 0x08, 0x02, 0x80, 0x04, 0x00, 0x00, 0x00, 0x00,
          0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x40, 0x00}},
    {44, {0x7b, 0xe1, 0x0b, 0x08, 0x02, 0x80, 0x24, 0x00, 0x00, 0x00, 0x00,
          0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x40, 0x00}},
    {48, {0x1f, 0x78, 0x00, 0x08, 0xfc, 0x87, 0x00, 0x00, 0x80, 0x03, 0x09,
          0x00, 0x88, 0x07, 0xf2, 0x00, 0x40, 0x00, 0xbf, 0x00, 0x00, 0x00}},
    {49, {0x7b, 0x70, 0x00, 0x0c, 0xfc, 0x83, 0x00, 0x00, 0x00, 0x00, 0x01,
          0x00, 0x88, 0x18, 0xf2, 0x00, 0x40, 0x00, 0xbf, 0x00, 0x00, 0x00}},
    {50, {0xff, 0x18, 0x00, 0x08, 0xfc, 0x87, 0x00, 0x00, 0x00, 0x00, 0x01,
          0x00, 0x88, 0xe0, 0xff, 0x00, 0x50, 0x00, 0xbf, 0x00, 0x18, 0x03}},
    {51, {0x1f, 0x78, 0x00, 0x08, 0xfe, 0x83, 0x00, 0x00, 0x00, 0x00, 0x01,
          0x01, 0x88, 0x00, 0xf2, 0xfe, 0x80, 0x01, 0xbf, 0x20, 0x00, 0x04}},
    {52, {0x1f, 0x78, 0x00, 0x08, 0xfe, 0x83, 0x00, 0x00, 0x00, 0x00, 0x01,
          0x01, 0x88, 0x00, 0xf2, 0xfe, 0x81, 0x01, 0xbf, 0x20, 0x00, 0x04}},
    {53, {0x1f, 0x78, 0x00, 0x0c, 0xfc, 0x83, 0x00, 0x00, 0x00, 0x00, 0x01,
          0x00, 0x88, 0x00, 0xf2, 0x79, 0x00, 0x02, 0xbf, 0x20, 0x00, 0x00}},
    {54, {0x1f, 0x78, 0x04, 0x08, 0xfc, 0x83, 0x24, 0x00, 0x00, 0x00, 0x01,
          0x00, 0x88, 0x00, 0xf2, 0x00, 0x4e, 0x00, 0xbf, 0x00, 0x00, 0x00}},
    {56, {0x1f, 0x70, 0x00, 0x08, 0x00, 0x88, 0x00, 0x00, 0x80, 0x03, 0x01,
          0x00, 0x08, 0x03, 0xf2, 0x00, 0x40, 0x00, 0xbf, 0x00, 0x00, 0x00}},
    {59, {0x01}},
    {60, {0x01}},
};

TMaskTable BuildDefaultMasks() {
  TMaskTable table{};
  for (const TDefaultMask& mask : kDefaultMasks) table[static_cast<size_t>(mask.kind)] = mask.bytes;
  return table;
}

}  // namespace

const TKindLayout& KindLayout(int kind) { return kKinds[static_cast<size_t>(kind & 0x3f)]; }

int FindKind(std::string_view name) {
  for (int kind = 0; kind < kCommandKindCount; ++kind) {
    const TKindLayout& layout = kKinds[static_cast<size_t>(kind)];
    if (EqualsNoCase(layout.class_name, name) || EqualsNoCase(layout.keyword, name)) return kind;
  }
  return -1;
}

const TMaskTable& DefaultMaskTable() {
  static const TMaskTable table = BuildDefaultMasks();
  return table;
}

}  // namespace orvo
