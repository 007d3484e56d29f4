"""The pictures the dialogs left: nine settings dialogs, and the label dialog's preview
of each kind with its row boxes and the point cross, the last without rows a slide."""
import glob
import os
import re
import sys

pictures = sorted(glob.glob(sys.argv[1] + "/dialogs/*.html"), key=lambda p: int(os.path.basename(p).split("-")[0]))
names = [os.path.basename(p).split("-", 1)[1][:-5] for p in pictures]
assert [n for n in names if n.startswith("typ")] == ["typ%d" % k for k in range(1, 10)], names
labels = [p for p, n in zip(pictures, names) if n == "qdlbl"]
assert len(labels) == 10, len(labels)


def preview(path):
    html = open(path, encoding="utf-8").read()
    at = html.find('title="image1"')
    svg = re.search(r"<svg.*?</svg>", html[at:], re.S).group(0)
    return re.findall(r'<line x1="(-?\d+)" y1="(-?\d+)" x2="(-?\d+)" y2="(-?\d+)" stroke="([^"]+)"', svg)


for path in labels[:9]:
    lines = preview(path)
    crosses = [l for l in lines if l[4] == "#f00"]
    assert len(crosses) == 2, (path, crosses)
    # Two rows: two crossed boxes of six strokes each, in the preview's colour.
    colours = {}
    for l in lines:
        colours[l[4]] = colours.get(l[4], 0) + 1
    assert max(colours.values()) >= 12, (path, colours)
    # Everything inside the tile.
    assert all(0 <= int(v) < 200 for l in lines for v in l[:4]), path
slide = preview(labels[9])
assert not [l for l in slide if l[4] == "#f00"] and len(slide) > 4, len(slide)
