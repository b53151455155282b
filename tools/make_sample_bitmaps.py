#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the pictures of the sample installation in samples/Bitmap.

The sample game needs background tiles, entry pictures (CODE.bmp) and entry
icons (CODEicon.bmp). They are drawn here from simple shapes so that the
repository holds no artwork of unknown origin and anyone can redraw them.
Output is deterministic: running the script twice gives the same bytes.

Usage: make_sample_bitmaps.py [output folder]   (default: samples/Bitmap)
Only the Python 3 standard library is used; files are 24-bit uncompressed BMP.
"""

import os
import struct
import sys

# Entry pictures are drawn at (5, 5) inside a 117 x 71 area, so 107 x 61 leaves
# an even frame of background around them. Icons go into a 117 x 79 area.
PICTURE_SIZE = (107, 61)
ICON_SIZE = (60, 48)
# Bitmap1 is both the main window's tile and the background copied under the
# entry pictures, so it must cover the larger picture area (117 x 79).
TILE1_SIZE = (120, 80)
TILE2_SIZE = (64, 64)

# 5 x 7 block letters, one string of five '#'/'.' cells per row.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "#..#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": [".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."],
}


def mix(a, b, t):
    """Colour between a and b; t runs from 0 (a) to 1 (b)."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def hashed(x, y, seed):
    """Repeatable pseudo-random number 0..255 for a pixel, with no global state."""
    n = (x * 374761393 + y * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return (n ^ (n >> 16)) & 0xFF


class Canvas:
    """An RGB picture in memory with the few drawing operations the samples need."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width = width
        self.height = height
        self.rows = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            for x in range(max(0, x0), min(self.width, x1 + 1)):
                self.rows[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        """Fills a polygon by the even-odd rule, sampling pixel centres."""
        ys = [p[1] for p in points]
        for y in range(max(0, int(min(ys))), min(self.height, int(max(ys)) + 1)):
            yc = y + 0.5
            crossings = []
            for i, (xa, ya) in enumerate(points):
                xb, yb = points[(i + 1) % len(points)]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    crossings.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            for left, right in zip(crossings[0::2], crossings[1::2]):
                for x in range(max(0, int(left + 0.5)), min(self.width, int(right + 0.5))):
                    self.rows[y][x] = colour

    def vertical_gradient(self, top, bottom):
        for y in range(self.height):
            colour = mix(top, bottom, y / max(1, self.height - 1))
            self.rows[y] = [colour] * self.width

    def text(self, x, y, text, scale, colour, shadow=None):
        """Writes text in block letters; characters outside the font are left blank."""
        for index, char in enumerate(text):
            glyph = FONT.get(char.upper())
            left = x + index * 6 * scale
            if glyph is None:
                continue
            for row, cells in enumerate(glyph):
                for col, cell in enumerate(cells):
                    if cell != "#":
                        continue
                    px, py = left + col * scale, y + row * scale
                    if shadow is not None:
                        self.rect(px + 1, py + 1, px + scale, py + scale, shadow)
                    self.rect(px, py, px + scale - 1, py + scale - 1, colour)

    def centred_text(self, y, text, scale, colour, shadow=None):
        width = len(text) * 6 * scale - scale
        self.text((self.width - width) // 2, y, text, scale, colour, shadow)

    def bmp_bytes(self):
        """The picture as a 24-bit uncompressed Windows bitmap, rows stored bottom-up."""
        row_size = (self.width * 3 + 3) & ~3
        padding = b"\0" * (row_size - self.width * 3)
        pixels = bytearray()
        for row in reversed(self.rows):
            for r, g, b in row:
                pixels += bytes((b, g, r))
            pixels += padding
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0,
                           len(pixels), 2835, 2835, 0, 0)
        header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
        return header + info + bytes(pixels)


# --- Background tiles -------------------------------------------------------

def draw_tile1():
    """Dark basalt with glowing seams; the seams repeat every 40 x 40 pixels so the tile joins up."""
    width, height = TILE1_SIZE
    canvas = Canvas(width, height)
    for y in range(height):
        for x in range(width):
            grain = hashed(x, y, 1) % 14
            base = (34 + grain, 28 + grain, 30 + grain)
            u, v = x % 40, y % 40
            seam = min(abs(u - v), abs(u + v - 40))
            if seam == 0:
                base = (120, 52, 24)
            elif seam == 1:
                base = mix(base, (90, 40, 22), 0.5)
            canvas.rows[y][x] = base
    return canvas


def draw_tile2():
    """Ash grey stone blocks for the category windows; 32-pixel courses repeat across 64 pixels."""
    width, height = TILE2_SIZE
    canvas = Canvas(width, height)
    for y in range(height):
        for x in range(width):
            shade = 118 + hashed(x, y, 2) % 12
            course = y // 16
            offset = 16 if course % 2 else 0
            if y % 16 == 0 or (x + offset) % 32 == 0:
                shade -= 38
            canvas.rows[y][x] = (shade, shade - 4, shade - 8)
    return canvas


# --- Silhouettes ------------------------------------------------------------

def draw_soldier(c, cx, base, size, body, weapon=None, flame=False):
    """A standing soldier whose feet rest on the line y = base."""
    head = max(2, size // 6)
    c.disc(cx, base - size + head, head, (224, 190, 150))
    c.rect(cx - size // 6, base - size + 2 * head, cx + size // 6, base - size // 3, body)
    c.rect(cx - size // 6, base - size // 3, cx - 1, base, (50, 50, 40))
    c.rect(cx + 1, base - size // 3, cx + size // 6, base, (50, 50, 40))
    if weapon is not None:
        arm_y = base - size + 3 * head
        c.rect(cx, arm_y, cx + size // 2, arm_y + max(1, size // 20), weapon)
        if flame:
            tip = cx + size // 2
            c.polygon([(tip, arm_y - size // 8), (tip + size // 3, arm_y),
                       (tip, arm_y + size // 8)], (250, 150, 30))
            c.polygon([(tip, arm_y - size // 16), (tip + size // 5, arm_y),
                       (tip, arm_y + size // 16)], (255, 230, 120))


def draw_tracked(c, x0, y0, w, h, hull, turret=True, bin_=False):
    """A tracked vehicle in side view in the box (x0, y0)-(x0 + w, y0 + h)."""
    track_top = y0 + h * 2 // 3
    c.rect(x0, track_top, x0 + w, y0 + h, (40, 40, 40))
    for i in range(5):
        c.disc(x0 + w // 10 + i * w // 5, track_top + (y0 + h - track_top) // 2,
               max(1, (y0 + h - track_top) // 3), (110, 110, 110))
    c.polygon([(x0 + w // 12, track_top), (x0 + w // 6, y0 + h // 3),
               (x0 + w - w // 8, y0 + h // 3), (x0 + w, track_top)], hull)
    if turret:
        c.rect(x0 + w // 3, y0 + h // 8, x0 + w * 2 // 3, y0 + h // 3, mix(hull, (0, 0, 0), 0.2))
        c.rect(x0 + w * 2 // 3, y0 + h // 5, x0 + w + w // 6, y0 + h // 5 + max(1, h // 12), (60, 60, 60))
    if bin_:
        c.rect(x0 + w // 8, y0, x0 + w // 2, y0 + h // 3, (150, 120, 60))
        c.frame(x0 + w // 8, y0, x0 + w // 2, y0 + h // 3, (80, 60, 30))


def draw_wheeled(c, x0, y0, w, h, hull):
    """A long wheeled carrier in side view."""
    c.polygon([(x0, y0 + h * 2 // 3), (x0 + w // 8, y0 + h // 5), (x0 + w, y0 + h // 5),
               (x0 + w, y0 + h * 2 // 3)], hull)
    for i in range(3):
        c.disc(x0 + w // 6 + i * w // 3, y0 + h * 2 // 3 + h // 8, h // 5, (30, 30, 30))
        c.disc(x0 + w // 6 + i * w // 3, y0 + h * 2 // 3 + h // 8, h // 10, (130, 130, 130))
    for i in range(3):
        c.rect(x0 + w // 4 + i * w // 5, y0 + h // 3, x0 + w // 4 + i * w // 5 + w // 12,
               y0 + h // 2, (180, 210, 230))


def draw_kite(c, cx, cy, size):
    """A scout kite: a diamond sail with a cross spar and a ribbon tail."""
    c.polygon([(cx, cy - size), (cx + size * 3 // 4, cy), (cx, cy + size // 2),
               (cx - size * 3 // 4, cy)], (200, 60, 50))
    c.polygon([(cx, cy - size), (cx + size * 3 // 4, cy), (cx, cy)], (235, 120, 60))
    c.rect(cx - size * 3 // 4, cy, cx + size * 3 // 4, cy, (60, 40, 30))
    c.rect(cx, cy - size, cx, cy + size // 2, (60, 40, 30))
    for i in range(6):
        c.rect(cx - i * size // 6, cy + size // 2 + i * size // 8,
               cx - i * size // 6 + size // 8, cy + size // 2 + i * size // 8 + 1, (240, 220, 90))


def draw_hearth(c, x0, y0, w, h):
    """A squat stone hall with a chimney and a fire on top."""
    c.rect(x0, y0 + h // 3, x0 + w, y0 + h, (120, 110, 100))
    c.rect(x0 + w * 2 // 3, y0 + h // 8, x0 + w * 5 // 6, y0 + h // 3, (90, 80, 75))
    c.polygon([(x0 + w * 2 // 3, y0 + h // 8), (x0 + w * 3 // 4, y0 - h // 6),
               (x0 + w * 5 // 6, y0 + h // 8)], (250, 140, 30))
    c.rect(x0 + w * 2 // 5, y0 + h * 2 // 3, x0 + w * 3 // 5, y0 + h, (60, 30, 20))
    for i in range(4):
        c.rect(x0 + i * w // 4 + 2, y0 + h // 2, x0 + i * w // 4 + w // 8, y0 + h // 2 + h // 10,
               (255, 190, 70))


def draw_forge(c, x0, y0, w, h):
    """A gabled workshop with a wide glowing door."""
    c.rect(x0, y0 + h // 3, x0 + w, y0 + h, (110, 95, 85))
    c.polygon([(x0 - 2, y0 + h // 3), (x0 + w // 2, y0), (x0 + w + 2, y0 + h // 3)], (90, 40, 35))
    c.rect(x0 + w // 4, y0 + h // 2, x0 + w * 3 // 4, y0 + h, (230, 110, 30))
    c.rect(x0 + w // 4 + 2, y0 + h // 2 + 2, x0 + w * 3 // 4 - 2, y0 + h, (255, 200, 90))


# Each sample code: what to draw and the colours of its picture's background.
SUBJECTS = {
    "GRUNT": ("soldier", (96, 110, 70), (40, 48, 30)),
    "TORCH": ("flamer", (120, 80, 50), (50, 30, 20)),
    "SAPPER": ("sapper", (100, 100, 80), (45, 45, 35)),
    "TANKL": ("tank", (80, 100, 120), (30, 40, 50)),
    "TANKH": ("heavytank", (90, 80, 110), (35, 30, 45)),
    "HAULER": ("harvester", (120, 100, 60), (50, 40, 25)),
    "CARRIER": ("carrier", (70, 110, 110), (25, 45, 45)),
    "KITE": ("kite", (120, 160, 210), (60, 90, 140)),
    "HEARTH": ("hearth", (130, 90, 60), (50, 30, 20)),
    "FORGE": ("forge", (110, 80, 70), (45, 30, 25)),
}

# Codes with a picture, codes with an icon. SAPPER has only an icon, and CARRIER
# is no entry code: it is the "Image" value of an entry without pictures of its own.
PICTURES = ["GRUNT", "TORCH", "TANKL", "TANKH", "HAULER", "CARRIER", "KITE", "HEARTH", "FORGE"]
ICONS = ["GRUNT", "TANKL", "HAULER", "KITE", "HEARTH", "SAPPER"]


def draw_subject(c, kind, x0, y0, w, h):
    """Draws one subject into the box (x0, y0)-(x0 + w, y0 + h)."""
    cx, base = x0 + w // 2, y0 + h
    if kind == "soldier":
        draw_soldier(c, cx - w // 8, base, h, (80, 95, 60), weapon=(40, 40, 40))
    elif kind == "flamer":
        draw_soldier(c, cx - w // 5, base, h, (150, 70, 40), weapon=(70, 70, 70), flame=True)
    elif kind == "sapper":
        draw_soldier(c, cx, base, h, (110, 100, 60))
        c.rect(cx + h // 5, base - h // 3, cx + h // 5 + h // 4, base - h // 8, (160, 40, 30))
    elif kind == "tank":
        draw_tracked(c, x0, y0 + h // 6, w * 5 // 6, h * 5 // 6, (90, 120, 80))
    elif kind == "heavytank":
        draw_tracked(c, x0, y0, w * 5 // 6, h, (110, 70, 60))
    elif kind == "harvester":
        draw_tracked(c, x0, y0, w, h, (170, 140, 60), turret=False, bin_=True)
    elif kind == "carrier":
        draw_wheeled(c, x0, y0, w, h, (90, 110, 90))
    elif kind == "kite":
        draw_kite(c, cx, y0 + h * 2 // 5, h * 3 // 5)
    elif kind == "hearth":
        draw_hearth(c, x0 + w // 8, y0 + h // 6, w * 3 // 4, h * 5 // 6)
    elif kind == "forge":
        draw_forge(c, x0 + w // 8, y0 + h // 6, w * 3 // 4, h * 5 // 6)


def draw_picture(code):
    kind, top, bottom = SUBJECTS[code]
    width, height = PICTURE_SIZE
    c = Canvas(width, height)
    c.vertical_gradient(top, bottom)
    c.rect(0, height - 10, width - 1, height - 10, mix(bottom, (0, 0, 0), 0.4))
    draw_subject(c, kind, 24, 6, 58, 34)
    c.rect(0, height - 17, width - 1, height - 1, (20, 16, 14))
    c.centred_text(height - 15, code, 2, (255, 210, 90), shadow=(90, 40, 10))
    c.frame(0, 0, width - 1, height - 1, (230, 180, 90))
    return c


def draw_icon(code):
    kind, top, bottom = SUBJECTS[code]
    width, height = ICON_SIZE
    c = Canvas(width, height)
    c.vertical_gradient(mix(top, (255, 255, 255), 0.15), bottom)
    draw_subject(c, kind, 10, 4, 40, 28)
    c.rect(0, height - 11, width - 1, height - 1, (20, 16, 14))
    c.centred_text(height - 9, code, 1, (255, 230, 140))
    c.frame(0, 0, width - 1, height - 1, (255, 255, 255))
    c.frame(1, 1, width - 2, height - 2, (90, 90, 90))
    return c


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "samples", "Bitmap")
    os.makedirs(out_dir, exist_ok=True)
    files = {"Bitmap1.bmp": draw_tile1(), "Bitmap2.bmp": draw_tile2()}
    for code in PICTURES:
        files[code + ".bmp"] = draw_picture(code)
    for code in ICONS:
        files[code + "icon.bmp"] = draw_icon(code)
    for name, canvas in sorted(files.items()):
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(canvas.bmp_bytes())
        print("%s  %d x %d" % (name, canvas.width, canvas.height))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
