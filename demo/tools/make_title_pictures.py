#!/usr/bin/env python3
"""Draws the pictures of the demo's title screen (buttons, the list menu's
scroll bar cells and check marks) as small PNG files:
demo/tools/make_title_pictures.py OUT_DIR"""
import struct
import sys
import zlib


def png(path, width, height, pixel):
    rows = b""
    for y in range(height):
        rows += b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
                  chunk(b"IEND", b""))


def button(path, width, height, face, edge):
    def pixel(x, y):
        on_edge = x < 2 or y < 2 or x >= width - 2 or y >= height - 2
        return (*(edge if on_edge else face), 255)
    png(path, width, height, pixel)


def scroll(path, cell=12):
    dark, lit, track, track_lit, thumb = (90, 70, 50), (220, 170, 90), (40, 28, 18), (80, 56, 30), (200, 150, 90)

    def arrow(x, y, up):
        row = y if up else cell - 1 - y
        return 3 <= row <= 8 and abs(x - 5.5) <= (row - 2) * 0.9

    def pixel(x, y):
        index, cx = divmod(x, cell)
        if index in (0, 1, 2, 3):
            base = lit if index in (1, 3) else dark
            if arrow(cx, y, index < 2):
                return (255, 255, 255, 255)
            return (*base, 255)
        if index in (4, 5):
            return (*(track_lit if index == 5 else track), 255)
        edge = cx in (0, cell - 1) or y in (0, cell - 1)
        return (*((255, 220, 160) if edge else thumb), 255)
    png(path, 7 * cell, cell, pixel)


def check(path, cell=12):
    colours = [(120, 230, 120), (255, 230, 90)]

    def pixel(x, y):
        index, cx = divmod(x, cell)
        on_mark = (cx - 2 == y - 5 and 5 <= y <= 8) or (cx - 5 == 8 - y and 2 <= y <= 8 and cx >= 5)
        on_mark = on_mark or (cx - 3 == y - 5 and 5 <= y <= 8) or (cx - 6 == 8 - y and 2 <= y <= 8 and cx >= 6)
        return (*colours[index], 255) if on_mark else (0, 0, 0, 0)
    png(path, 2 * cell, cell, pixel)


def main():
    out = sys.argv[1]
    button(out + "/title_button.png", 160, 32, (48, 64, 128), (150, 170, 230))
    button(out + "/title_button_hover.png", 160, 32, (64, 96, 176), (220, 230, 255))
    button(out + "/title_button_down.png", 160, 32, (128, 80, 32), (255, 200, 120))
    button(out + "/title_level.png", 96, 28, (48, 64, 128), (150, 170, 230))
    button(out + "/title_level_hover.png", 96, 28, (64, 96, 176), (220, 230, 255))
    button(out + "/title_level_down.png", 96, 28, (128, 80, 32), (255, 200, 120))
    scroll(out + "/title_scroll.png")
    check(out + "/title_check.png")


main()
