#!/usr/bin/env python3
"""Writes the pictures of the demo's settings page (plain RGB PNG files):
   python3 demo/tools/make_settings_pictures.py demo/game/pictures/settings

Bars, thumbs and buttons are cut into equal cells side by side: a bar has
two (empty, filled), a thumb three (normal, pointed at, pressed), the arrow
buttons six (first button's three states, then the second's)."""
import struct
import sys
import zlib


def write_png(path, width, height, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
                  chunk(b"IEND", b""))


def shade(colour, amount):
    return tuple(max(0, min(255, c + amount)) for c in colour)


def cells(path, cell_width, height, colours, draw=None):
    """Cells of one colour each with a bevel; draw(x, y, cell) may paint a mark (returns a colour or None)."""

    def pixel(x, y):
        cell, cx = divmod(x, cell_width)
        base = colours[cell]
        if draw:
            mark = draw(cx, y, cell)
            if mark is not None:
                return mark
        if cx == 0 or y == 0:
            return shade(base, 40)
        if cx == cell_width - 1 or y == height - 1:
            return shade(base, -50)
        return base

    write_png(path, cell_width * len(colours), height, pixel)


def arrow(direction, size):
    """A filled triangle pointing left, right, up or down, in a size x size cell."""

    def draw(x, y, cell):
        d = direction[cell // 3]
        middle = (size - 1) / 2
        if d in ("left", "right"):
            along, across = (x, y) if d == "right" else (size - 1 - x, y)
        else:
            along, across = (y, x) if d == "down" else (size - 1 - y, x)
        if 4 <= along <= size - 5 and abs(across - middle) <= (size - 5 - along) * 0.9:
            return (20, 20, 30)
        return None

    return draw


def main(folder):
    groove, filled = (60, 50, 70), (70, 150, 255)
    cells(f"{folder}/slider_bar.png", 160, 8, [groove, filled])
    cells(f"{folder}/slider_thumb.png", 12, 22, [(200, 200, 210), (255, 255, 255), (150, 150, 255)])
    states = [(170, 170, 180), (220, 220, 230), (130, 130, 200)]
    cells(f"{folder}/buttons_h.png", 16, 16, states * 2, arrow(["left", "right"], 16))
    cells(f"{folder}/buttons_v.png", 16, 16, states * 2, arrow(["up", "down"], 16))
    cells(f"{folder}/scroll_bar.png", 16, 20, [(50, 45, 60), (90, 80, 130)])
    cells(f"{folder}/scroll_thumb.png", 16, 40, [(170, 170, 180), (220, 220, 230), (130, 130, 200)])
    cells(f"{folder}/gauge.png", 160, 14, [(60, 200, 90), (230, 70, 60)])

    # The long picture: bands of colour with a stripe every 50 rows, 800 rows tall.
    def long_pixel(x, y):
        band = y // 100
        hue = [(200, 80, 80), (220, 160, 60), (200, 200, 80), (80, 190, 90), (70, 170, 200), (80, 100, 220),
               (150, 90, 210), (210, 90, 170)][band % 8]
        if y % 50 < 3:
            return (250, 250, 250)
        if (x // 20 + y // 20) % 2:
            return shade(hue, -30)
        return hue

    write_png(f"{folder}/long.png", 240, 800, long_pixel)


if __name__ == "__main__":
    main(sys.argv[1])
