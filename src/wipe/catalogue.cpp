#include <array>

#include "wipe/wipe_kinds.h"

namespace orvo {

namespace {

constexpr std::array<TWipeKindInfo, kWipeKindCount + 1> kCatalogue = {{
    {"WP_NONE", "なし", false, 0, 0},
    {"WP_FADE", "フェード", true, 0, 0},
    {"WP_BLINDH", "ブラインド横", true, 20, 1},
    {"WP_BLINDV", "ブラインド縦", true, 20, 1},
    {"WP_CURTAINH", "カーテン横", true, 30, 1},
    {"WP_CURTAINV", "カーテン縦", true, 30, 1},
    {"WP_SCROLLH", "スクロール横", true, 0, 0},
    {"WP_SCROLLV", "スクロール縦", true, 0, 0},
    {"WP_GRID", "格子", true, 80, 30},
    {"WP_GRIDH", "格子(横)", true, 80, 30},
    {"WP_GRIDV", "格子(縦)", true, 80, 30},
    {"WP_DITHER", "ディザ", true, 0, 0},
    {"WP_WHITE", "ホワイト", true, 0, 0},
    {"WP_BLACK", "ブラック", true, 0, 0},
    {"WP_FLASH", "フラッシュ", true, 0, 0},
    {"WP_MOSAIC", "モザイク", true, 0, 0},
    {"WP_SUDAREH", "すだれ横", true, 0, 0},
    {"WP_SUDAREV", "すだれ縦", true, 0, 0},
    {"WP_SPOT", "スポットライト", true, 0, 0},
    {"WP_MASKFADE", "マスクフェード", true, 0, 0},
    {"WP_MASKWHITE", "マスクホワイト", true, 0, 0},
    {"WP_MASKBLACK", "マスクブラック", true, 0, 0},
    {"WP_SMALL", "表画面縮小", true, 0, 0},
    {"WP_BIG", "裏画面拡大", true, 0, 0},
    {"WP_RIPPLE", "波紋", true, 5, 0},
    {"WP_BLURWHITE", "白ぼかし", true, 0, 0},
    {"WP_BLURBLACK", "黒ぼかし", true, 0, 0},
    {"WP_TWISTH", "ひねり横", true, 0, 0},
    {"WP_TWISTV", "ひねり縦", true, 0, 0},
    {"WP_CRACK", "チップ落下", true, 64, 3},
    {"WP_ZOOMIN", "ズームイン", true, 0, 0},
    {"WP_CLOCKHAND", "時計の針", true, 0, 0},
    {"WP_RUBBERH", "ゴム(横)", true, 0, 0},
    {"WP_RUBBERV", "ゴム(縦)", true, 0, 0},
    {"WP_FAN", "扇", true, 0, 0},
    {"WP_WFAN", "扇(両側)", true, 0, 0},
    {"WP_CIRCLE", "円", true, 0, 0},
    {"WP_BLOCKCOIL", "ブロック(とぐろ)", true, 60, 0},
    {"WP_BLOCKRANDOM", "ブロック(ランダム)", true, 60, 0},
}};

template <class T>
std::unique_ptr<TCustomWipe> Make(TCustomDIBX& destination, TCustomDIBX& from, TCustomDIBX& to) {
  return std::make_unique<T>(destination, from, to);
}

using TMaker = std::unique_ptr<TCustomWipe> (*)(TCustomDIBX&, TCustomDIBX&, TCustomDIBX&);

constexpr std::array<TMaker, kWipeKindCount + 1> kMakers = {
    nullptr,
    Make<TWipeFade>,
    Make<TWipeBlindH>,
    Make<TWipeBlindV>,
    Make<TWipeCurtainH>,
    Make<TWipeCurtainV>,
    Make<TWipeScrollH>,
    Make<TWipeScrollV>,
    Make<TWipeGrid>,
    Make<TWipeGridH>,
    Make<TWipeGridV>,
    Make<TWipeDither>,
    Make<TWipeWhite>,
    Make<TWipeBlack>,
    Make<TWipeFlash>,
    Make<TWipeMosaic>,
    Make<TWipeSudareH>,
    Make<TWipeSudareV>,
    Make<TWipeSpot>,
    Make<TWipeShadow>,
    Make<TWipeShadowWhite>,
    Make<TWipeShadowBlack>,
    Make<TWipeSmall>,
    Make<TWipeBig>,
    Make<TWipeRipple>,
    Make<TWipeBlurWhite>,
    Make<TWipeBlurBlack>,
    Make<TWipeTwistH>,
    Make<TWipeTwistV>,
    Make<TWipeCrack>,
    Make<TWipeZoomin>,
    Make<TWipeClockhand>,
    Make<TWipeRubberH>,
    Make<TWipeRubberV>,
    Make<TWipeFan>,
    Make<TWipeWFan>,
    Make<TWipeCircle>,
    Make<TWipeBlockCoil>,
    Make<TWipeBlockRandom>,
};

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

const TWipeKindInfo* WipeKindInfo(int32_t code) {
  if (code < 0 || code > kWipeKindCount) return nullptr;
  return &kCatalogue[static_cast<size_t>(code)];
}

int32_t WipeKindByName(std::string_view name) {
  for (size_t code = 0; code < kCatalogue.size(); ++code) {
    std::string_view known = kCatalogue[code].name;
    if (known.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) same = UpperAscii(name[i]) == known[i];
    if (same) return static_cast<int32_t>(code);
  }
  return -1;
}

std::unique_ptr<TCustomWipe> CreateWipe(int32_t kind, TCustomDIBX& destination, TCustomDIBX& from, TCustomDIBX& to) {
  if (kind < 1 || kind > kWipeKindCount) return nullptr;
  std::unique_ptr<TCustomWipe> wipe = kMakers[static_cast<size_t>(kind)](destination, from, to);
  const TWipeKindInfo& info = kCatalogue[static_cast<size_t>(kind)];
  wipe->SetParam(0, info.default0);
  wipe->SetParam(1, info.default1);
  return wipe;
}

}  // namespace orvo
