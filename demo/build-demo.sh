#!/usr/bin/env bash
# Builds the demo game folder from its sources: demo/build-demo.sh ORVOKIT OUT_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
kit="$1"
out="$2"
rm -rf "$out"
"$kit" build "$here/game" -o "$out" >/dev/null
# The demo's pixel fonts: its characters pre-rendered from the default faces,
# listed under their own name (the player offers every ".oft" at mount).
text="$(tr -d '\n' < "$here/font-text.txt")"
mkdir -p "$out/fonts"
"$kit" font make --face "ＭＳ ゴシック" --size 16 --name "デモ文字" -o "$out/fonts/demo16.oft" "$text"
"$kit" font make --face "ＭＳ ゴシック" --size 24 --style 1 --name "デモ文字" -o "$out/fonts/demo24b.oft" "$text"
# The hint of the transitions tour: white text with a dark outline, drawn from
# the default face (its alpha is the glyphs' mask).
"$kit" font draw --face "ＭＳ ゴシック" --size 16 --outline 1 --color 0xFFFFFF --outline-color 0x402010 \
  -o "$out/pictures/hint_t.png" "T キーで画面切替の見本（38 種類）" >/dev/null
"$kit" font draw --face "ＭＳ ゴシック" --size 16 --outline 1 --color 0xFFFFFF --outline-color 0x402010 \
  -o "$out/pictures/hint_m.png" "M キーでメッセージウィンドウの見本" >/dev/null
# The other pages, two lines at the foot of the main screen.
"$kit" font draw --face "ＭＳ ゴシック" --size 16 --outline 1 --color 0xFFFFFF --outline-color 0x402010 \
  -o "$out/pictures/hint_keys1.png" "B ボタンとメニュー　F フィルム　E 効果　C 設定" >/dev/null
"$kit" font draw --face "ＭＳ ゴシック" --size 16 --outline 1 --color 0xFFFFFF --outline-color 0x402010 \
  -o "$out/pictures/hint_keys2.png" "K 表のデータ　S 保存　L 読込　H 履歴" >/dev/null
# The labels of the settings page (C key).
for label in "set_name:名前" "set_speed:文字の速さ" "set_gauge:ゲージ" "set_back:Esc で戻る（名前は入力メソッドで日本語も）"; do
  "$kit" font draw --face "ＭＳ ゴシック" --size 16 --color 0xFFFFFF -o "$out/pictures/${label%%:*}.png" "${label#*:}" >/dev/null
done
# The effects page (E key): the score counter's letters in equal cells, a snowflake and a star.
"$kit" font draw --face "ＭＳ ゴシック" --size 24 --style 1 --outline 2 --color 0x40E0FF --outline-color 0x102040 \
  --cell 16 -o "$out/pictures/fx_digits.png" "0123456789" >/dev/null
"$kit" font draw --face "ＭＳ ゴシック" --size 12 --color 0xFFFFFF -o "$out/pictures/fx_snow.png" "●" >/dev/null
"$kit" font draw --face "ＭＳ ゴシック" --size 16 --color 0x60FFFF -o "$out/pictures/fx_star.png" "★" >/dev/null
# The demo's sounds are generated: a chord-like tone for the music, a low
# hum for the wind, a short square click at 22050 Hz.
mkdir -p "$out/sounds"
"$kit" sound tone -o "$out/sounds/music.wav" --ms 2000 --freq 262 --amplitude 6000 --channels 2
"$kit" sound tone -o "$out/sounds/wind.wav" --ms 700 --freq 90 --amplitude 7000 --channels 1
"$kit" sound tone -o "$out/sounds/click.wav" --ms 40 --freq -1000 --amplitude 9000 --channels 1 --rate 22050
# The films of the film page (F), written by the tests' film writer, which is
# built beside orvokit.
films="$(dirname "$kit")/make_demo_films"
if [ -x "$films" ]; then
  "$films" "$out"
else
  echo "build-demo: $films is not built; the film page shows nothing" >&2
fi
# The background music is a generated MIDI song (General MIDI sounds).
"$kit" midi song -o "$out/sounds/music.mid" --seconds 32 --channels 6
"$kit" video bars -o "$out/sounds/bars.nut" --frames 16 --width 64 --height 48 --fps 8
