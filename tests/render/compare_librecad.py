#!/usr/bin/python3
"""Compares qdhost's picture of a drawing with the one LibreCAD prints of it.

Both are rasterised, cropped to their ink and brought to the same width. Strokes are
compared, not areas: of each picture only the edge of its ink counts (a thin line is all
edge, a filled area only its outline), so that fills do not outweigh the lines. The
figures are the share of LibreCAD's strokes that lie within a tolerance of qdhost's ink
(recall) and the share of qdhost's strokes within the same tolerance of LibreCAD's ink
(precision).

    compare_librecad.py QDHOST DATA REFERENCE.dxf WORKDIR [MIN_RECALL MIN_PRECISION]

Exits 0 when both figures reach their minimum, 1 when not, 77 (skipped) when LibreCAD
or pdftoppm is missing.
"""
import os
import shutil
import subprocess
import sys

import numpy as np
from PIL import Image

WIDTH = 1000      # pixels of the compared pictures
TOLERANCE = 3     # pixels, about 0.6 of a drawing unit for the reference drawing


def ink(path):
    rgb = np.asarray(Image.open(path).convert("RGB"), dtype=np.uint8)
    mask = rgb.min(axis=2) < 160  # any colour that is not paper
    ys, xs = np.nonzero(mask)
    if len(xs) == 0:
        sys.exit(f"{path}: the picture is empty")
    mask = mask[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
    h = max(1, round(mask.shape[0] * WIDTH / mask.shape[1]))
    img = Image.fromarray(mask.astype(np.uint8) * 255).resize((WIDTH, h), Image.BILINEAR)
    return np.asarray(img) > 64


def dilate(mask, r):
    out = mask.copy()
    padded = np.pad(mask, r)
    for dy in range(-r, r + 1):
        for dx in range(-r, r + 1):
            if dx * dx + dy * dy <= r * r:
                out |= padded[r + dy:r + dy + mask.shape[0], r + dx:r + dx + mask.shape[1]]
    return out


def edge(mask):
    inner = mask.copy()
    inner[1:-1, 1:-1] = (mask[1:-1, 1:-1] & mask[:-2, 1:-1] & mask[2:, 1:-1] & mask[1:-1, :-2] & mask[1:-1, 2:])
    inner[0, :] = inner[-1, :] = inner[:, 0] = inner[:, -1] = False
    return mask & ~inner


def main():
    qdhost, data, reference, work = sys.argv[1:5]
    min_recall = float(sys.argv[5]) if len(sys.argv) > 5 else 0.0
    min_precision = float(sys.argv[6]) if len(sys.argv) > 6 else 0.0
    if not shutil.which("librecad") or not shutil.which("pdftoppm"):
        print("LibreCAD or pdftoppm is not installed; nothing compared")
        return 77
    os.makedirs(work, exist_ok=True)
    ours = os.path.join(work, "qdhost.png")
    subprocess.run([qdhost, "--quiet", "--no-modules", "--data", data, "--open", reference, "--png", ours],
                   check=True)
    dxf = os.path.join(work, "librecad.dxf")
    shutil.copyfile(reference, dxf)
    pdf = os.path.join(work, "librecad.pdf")
    if os.path.exists(pdf):
        os.remove(pdf)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    # LibreCAD waits forever on a file it cannot read: it gets a minute.
    subprocess.run(["timeout", "60", "librecad", "dxf2pdf", "-a", "-m", "-p", "297x210", dxf], cwd=work, env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    subprocess.run(["pdftoppm", "-png", "-r", "150", "-singlefile", pdf, os.path.join(work, "librecad")], check=True)
    a, b = ink(ours), ink(os.path.join(work, "librecad.png"))
    if abs(a.shape[0] - b.shape[0]) > 0.02 * a.shape[0]:
        print(f"the pictures differ in proportion: {a.shape} and {b.shape}")
        return 1
    h = min(a.shape[0], b.shape[0])
    a, b = a[:h], b[:h]
    # A picture of both for a person: qdhost's ink red, LibreCAD's blue, shared ink black.
    overlay = np.full(a.shape + (3,), 255, dtype=np.uint8)
    overlay[a] = (220, 0, 0)
    overlay[b] = (0, 0, 220)
    overlay[a & b] = (0, 0, 0)
    Image.fromarray(overlay).save(os.path.join(work, "overlay.png"))
    ea, eb = edge(a), edge(b)
    recall = (eb & dilate(a, TOLERANCE)).sum() / eb.sum()
    precision = (ea & dilate(b, TOLERANCE)).sum() / ea.sum()
    print(f"{WIDTH} x {h} pixels, tolerance {TOLERANCE} px: LibreCAD's strokes within it of qdhost's "
          f"ink {recall:.3f} (at least {min_recall}), qdhost's within it of LibreCAD's {precision:.3f} "
          f"(at least {min_precision})")
    return 0 if recall >= min_recall and precision >= min_precision else 1


if __name__ == "__main__":
    sys.exit(main())
