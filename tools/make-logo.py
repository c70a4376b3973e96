#!/usr/bin/env python3
"""Writes the program's logo, data/logo.wmf: a placeable Windows metafile of our own making.

The picture: the ball bar on its circle, the deviation trace inside it and the word SARVOTEX
with a red rule beneath. Only records the page header's player draws are used. Run it from the
source root after changing the picture; the written file is committed.

    python3 tools/make-logo.py [OUT]
"""

import math
import struct
import sys

WIDTH, HEIGHT = 2700, 1000  # logical units; the bounding box
UNITS_PER_INCH = 1440

NAVY = (0, 51, 153)
RED = (204, 0, 0)
GREY = (80, 80, 80)


def colour(rgb):
    return struct.pack("<BBBB", *rgb, 0)


class Metafile:
    def __init__(self):
        self.records = []
        self.objects = 0

    def record(self, function, params=b""):
        if len(params) % 2:
            params += b"\0"
        self.records.append(struct.pack("<IH", 3 + len(params) // 2, function) + params)

    def window(self, org, ext):
        self.record(0x020B, struct.pack("<hh", org[1], org[0]))
        self.record(0x020C, struct.pack("<hh", ext[1], ext[0]))

    def _new_object(self):
        self.objects += 1
        return self.objects - 1

    def pen(self, style, width, rgb):
        self.record(0x02FA, struct.pack("<Hhh", style, width, 0) + colour(rgb))
        return self._new_object()

    def brush(self, style, rgb=(0, 0, 0), hatch=0):
        self.record(0x02FC, struct.pack("<H", style) + colour(rgb) + struct.pack("<H", hatch))
        return self._new_object()

    def font(self, height, weight, face):
        name = face.encode("latin-1")[:31].ljust(32, b"\0")
        self.record(0x02FB, struct.pack("<hhhhhBBBBBBBB", height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0) + name)
        return self._new_object()

    def select(self, index):
        self.record(0x012D, struct.pack("<H", index))

    def delete(self, index):
        self.record(0x01F0, struct.pack("<H", index))

    def ellipse(self, left, top, right, bottom):
        self.record(0x0418, struct.pack("<hhhh", bottom, right, top, left))

    def rectangle(self, left, top, right, bottom):
        self.record(0x041B, struct.pack("<hhhh", bottom, right, top, left))

    def move_to(self, x, y):
        self.record(0x0214, struct.pack("<hh", y, x))

    def line_to(self, x, y):
        self.record(0x0213, struct.pack("<hh", y, x))

    def polyline(self, points):
        self.record(0x0325, struct.pack("<h", len(points)) + b"".join(struct.pack("<hh", x, y) for x, y in points))

    def polygon(self, points):
        self.record(0x0324, struct.pack("<h", len(points)) + b"".join(struct.pack("<hh", x, y) for x, y in points))

    def text_colour(self, rgb):
        self.record(0x0209, colour(rgb))

    def text_align(self, align):
        self.record(0x012E, struct.pack("<H", align))

    def text_out(self, x, y, text):
        data = text.encode("latin-1")
        padded = data + (b"\0" if len(data) % 2 else b"")
        self.record(0x0521, struct.pack("<h", len(data)) + padded + struct.pack("<hh", y, x))

    def bytes(self):
        self.record(0x0000)
        body = b"".join(self.records)
        largest = max(len(r) for r in self.records) // 2
        size_words = (18 + len(body)) // 2
        header = struct.pack("<HHHIHIH", 1, 9, 0x0300, size_words, self.objects, largest, 0)
        placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, WIDTH, HEIGHT, UNITS_PER_INCH, 0)
        checksum = 0
        for (word,) in struct.iter_unpack("<H", placeable):
            checksum ^= word
        return placeable + struct.pack("<H", checksum) + header + body


def logo():
    m = Metafile()
    m.window((0, 0), (WIDTH, HEIGHT))
    cx, cy, radius = 500, 500, 430

    # The nominal circle.
    navy_pen = m.pen(0, 50, NAVY)
    hollow = m.brush(1)
    m.select(navy_pen)
    m.select(hollow)
    m.ellipse(cx - radius, cy - radius, cx + radius, cy + radius)

    # A measured trace inside it: an oval with a little waviness.
    red_pen = m.pen(0, 22, RED)
    m.select(red_pen)
    trace = []
    for step in range(73):
        theta = math.radians(step * 5)
        r = 320 + 30 * math.cos(2 * theta) + 12 * math.sin(7 * theta)
        trace.append((round(cx + r * math.cos(theta)), round(cy - r * math.sin(theta))))
    m.polyline(trace)

    # The bar from the centre pivot to the ball on the circle.
    end = (round(cx + radius * math.cos(math.radians(35))), round(cy - radius * math.sin(math.radians(35))))
    bar_pen = m.pen(0, 60, GREY)
    m.select(bar_pen)
    m.move_to(cx, cy)
    m.line_to(*end)
    no_pen = m.pen(5, 0, (0, 0, 0))
    grey_brush = m.brush(0, GREY)
    m.select(no_pen)
    m.select(grey_brush)
    for x, y in ((cx, cy), end):
        m.ellipse(x - 70, y - 70, x + 70, y + 70)

    # The direction of travel: an arrowhead on the circle's foot.
    navy_brush = m.brush(0, NAVY)
    m.select(navy_brush)
    m.polygon([(cx - 40, cy + radius), (cx + 60, cy + radius - 60), (cx + 60, cy + radius + 60)])

    # The name with its rule.
    font = m.font(-270, 700, "Arial")
    m.select(font)
    m.text_colour(NAVY)
    m.text_align(24)  # left, on the baseline
    m.text_out(1020, 600, "SARVOTEX")
    red_brush = m.brush(0, RED)
    m.select(red_brush)
    m.rectangle(1020, 680, 2560, 720)

    for index in range(m.objects):
        m.delete(index)
    return m.bytes()


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "data/logo.wmf"
    with open(out, "wb") as f:
        f.write(logo())
