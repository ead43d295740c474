#!/usr/bin/env python3
"""Makes the PNG sources of the demo's transition tour: two scenes, a rule
picture and one name plate per transition kind. Turn them into layered
pictures with `orvokit image to-dov` (see demo/tools/make-transition-pictures.sh)."""
import struct
import sys
import zlib

# 5 x 7 glyphs, one string of five characters per row ('#' is ink).
GLYPHS = {
    'A': [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'B': ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    'C': [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    'D': ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    'E': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    'F': ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    'G': [" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ### "],
    'H': ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'I': ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"],
    'K': ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    'L': ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    'M': ["#   #", "## ##", "# # #", "#   #", "#   #", "#   #", "#   #"],
    'N': ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    'O': [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'P': ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    'R': ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    'S': [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    'T': ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    'U': ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    'V': ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    'W': ["#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"],
    'Z': ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    '_': ["     ", "     ", "     ", "     ", "     ", "     ", "#####"],
    ' ': ["     "] * 7,
    '0': [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    '1': ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    '2': [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    '3': ["#### ", "    #", "    #", " ### ", "    #", "    #", "#### "],
    '4': ["#   #", "#   #", "#   #", "#####", "    #", "    #", "    #"],
    '5': ["#####", "#    ", "#    ", "#### ", "    #", "    #", "#### "],
    '6': [" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "],
    '7': ["#####", "    #", "   # ", "  #  ", "  #  ", "  #  ", "  #  "],
    '8': [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    '9': [" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "],
}

NAMES = ["FADE", "BLINDH", "BLINDV", "CURTAINH", "CURTAINV", "SCROLLH", "SCROLLV", "GRID", "GRIDH", "GRIDV",
         "DITHER", "WHITE", "BLACK", "FLASH", "MOSAIC", "SUDAREH", "SUDAREV", "SPOT", "MASKFADE", "MASKWHITE",
         "MASKBLACK", "SMALL", "BIG", "RIPPLE", "BLURWHITE", "BLURBLACK", "TWISTH", "TWISTV", "CRACK", "ZOOMIN",
         "CLOCKHAND", "RUBBERH", "RUBBERV", "FAN", "WFAN", "CIRCLE", "BLOCKCOIL", "BLOCKRANDOM"]


def write_png(path, width, height, pixel):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
                  chunk(b"IEND", b""))


def plate(path, text):
    scale, width, height = 2, 240, 24
    ink = set()
    for i, ch in enumerate(text):
        for row, line in enumerate(GLYPHS[ch]):
            for col, mark in enumerate(line):
                if mark == "#":
                    ink.add((8 + (i * 6 + col) * scale, 5 + row * scale))

    def pixel(x, y):
        if (x - x % 2, y - (y - 5) % 2) in ink:
            return (255, 250, 220)
        return (30, 24, 48) if 1 <= x < width - 1 and 1 <= y < height - 1 else (200, 170, 90)

    write_png(path, width, height, pixel)


def main(folder):
    # Dusk: violet to orange with a low sun; dawn: pale blue over green hills.
    def dusk(x, y):
        if (x - 430) ** 2 + (y - 300) ** 2 < 70 ** 2:
            return (255, 210, 120)
        t = y / 480
        return (int(60 + 190 * t), int(30 + 90 * t), int(110 - 60 * t))

    def dawn(x, y):
        hill = 330 + int(40 * ((x % 160) - 80) ** 2 / 6400)
        if y > hill:
            return (40 + (x // 20 % 2) * 20, 140, 60)
        t = y / 480
        return (int(150 + 80 * t), int(190 + 50 * t), 250)

    write_png(folder + "/dusk.png", 640, 480, dusk)
    write_png(folder + "/dawn.png", 640, 480, dawn)
    # The rule of the rule kinds: rings from the centre of a 64 x 64 tile.
    write_png(folder + "/wipe_rule.png", 64, 64,
              lambda x, y: (min(255, int(((x - 32) ** 2 + (y - 32) ** 2) ** 0.5 * 5.6)),) * 3)
    for code, name in enumerate(NAMES, start=1):
        plate("%s/plate%02d.png" % (folder, code), "%d WP_%s" % (code, name))


if __name__ == "__main__":
    main(sys.argv[1])
