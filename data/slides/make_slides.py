#!/usr/bin/env python3
"""Writes qdlbl.slb, the slide library of the nine label kinds shown in the label
dialog's kind panel, in the AutoCAD slide library format (Release 9 slides: header,
colour and vector records, low byte first). Each slide is a small sketch of its kind
on a 300 by 200 dot area. Run: python3 data/slides/make_slides.py data/slides/qdlbl.slb"""
import math
import struct
import sys

W, H = 300, 200


def slide(vectors):
    out = bytearray(b"AutoCAD Slide\r\n\x1a\x00")
    out += struct.pack("<BBHHIHH", 0x56, 2, W, H, int(1.5 * 10_000_000), 2, 0x1234)
    color = None
    for c, x1, y1, x2, y2 in vectors:
        if c != color:
            out += struct.pack("<BB", c, 0xFF)
            color = c
        out += struct.pack("<HHHH", *(max(0, min(v, 0x7FFF)) for v in (round(x1), round(y1), round(x2), round(y2))))
    out += struct.pack("<BB", 0, 0xFC)
    return bytes(out)


def box(c, x1, y1, x2, y2):
    return [(c, x1, y1, x2, y1), (c, x2, y1, x2, y2), (c, x2, y2, x1, y2), (c, x1, y2, x1, y1)]


def circle(c, cx, cy, r, n=24):
    pts = [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n)) for i in range(n + 1)]
    return [(c, *pts[i], *pts[i + 1]) for i in range(n)]


def text_rows(c, x, y, rows=2, width=120):
    # Text drawn as bars, one a row.
    return [(c, x, y - 30 * i, x + width - 25 * i, y - 30 * i) for i in range(rows)]


def leader(c, x1, y1, x2, y2):
    a = math.atan2(y2 - y1, x2 - x1)
    w1 = (x2 - 14 * math.cos(a - 0.3), y2 - 14 * math.sin(a - 0.3))
    w2 = (x2 - 14 * math.cos(a + 0.3), y2 - 14 * math.sin(a + 0.3))
    return [(c, x1, y1, x2, y2), (c, x2, y2, *w1), (c, x2, y2, *w2)]


SLIDES = {
    "text": text_rows(7, 60, 130, 3, 180),
    "textod": text_rows(7, 120, 150, 2) + [(3, 110, 140, 260, 140)] + leader(1, 110, 140, 40, 40),
    "textzd": text_rows(7, 120, 170, 2) + [(3, 110, 160, 260, 160)] + [(3, 110, 100, 260, 100)]
    + leader(1, 110, 160, 40, 60) + leader(1, 110, 100, 60, 20),
    "bublod": circle(7, 200, 130, 35) + [(3, 165, 130, 120, 130)] + leader(1, 120, 130, 40, 40),
    "bublbez": circle(7, 150, 100, 50) + [(7, 120, 100, 180, 100)],
    "bublna": [(3, 20, 100, 110, 100), (3, 190, 100, 280, 100)] + circle(7, 150, 100, 40),
    "obdels": box(7, 140, 110, 270, 170) + [(7, 160, 140, 250, 140)] + leader(1, 140, 120, 40, 40),
    "obdelbez": box(7, 70, 70, 230, 130) + [(7, 95, 100, 205, 100)],
    "textna": [(3, 20, 40, 280, 160)] + [(7, 100 + 4 * i, 100 + 2 * i, 180 + 4 * i, 137 + 2 * i) for i in (0, 6)],
}


def library(slides):
    header = b"AutoCAD Slide Library 1.0\r\n\x1a\x00\x00\x00\x00"
    directory_size = 36 * (len(slides) + 1)
    address = len(header) + directory_size
    directory = bytearray()
    bodies = bytearray()
    for name, vectors in slides.items():
        body = slide(vectors)
        directory += name.upper().encode("ascii").ljust(32, b"\x00") + struct.pack("<I", address + len(bodies))
        bodies += body
    directory += b"\x00" * 36
    return header + bytes(directory) + bytes(bodies)


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "qdlbl.slb", "wb") as f:
        f.write(library(SLIDES))
