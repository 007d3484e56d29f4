"""The frames as another program reads them: four lines around a centred text, placed
by the chosen point, turned with the text; a leader leaving from the frame's edge."""
import sys
import ezdxf
from labels import labels_of

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
msp = doc.modelspace()
labels = labels_of(msp)
assert len(labels) == 3, list(labels)
first, turned, leadered = labels.values()


def corners(label):
    return [(round(l.dxf.start.x, 6), round(l.dxf.start.y, 6)) for l in label if l.has_xdata("BE_TEXT_MAIT")]


def text(label):
    return [t for t in label if t.dxftype() == "TEXT"][0]


# Sized by the text, bottom-left corner on (1000, 1000), 3.5 mm high.
c = corners(first)
assert len(c) == 4 and c[3] == (1000, 1000) and c[0] == (1000, 1350), c
width = c[1][0] - 1000
assert width > 0 and c[2] == (round(1000 + width, 6), 1000)
t = text(first)
assert (t.dxf.halign, t.dxf.valign) == (1, 2) and abs(t.dxf.align_point.x - (1000 + width / 2)) < 1e-6
assert abs(t.dxf.align_point.y - 1175) < 1e-6
assert all(l.get_xdata("BE_TEXT_MAIT")[0].value == "6" for l in first if l.has_xdata("BE_TEXT_MAIT"))
# 12 by 4 mm turned by 90 degrees round its centre on (5000, 1000): the width runs up.
c = corners(turned)
assert c == [(4800, 400), (4800, 1600), (5200, 1600), (5200, 400)], c
t = text(turned)
assert round(t.dxf.rotation, 6) == 90 and (round(t.dxf.align_point.x, 6), round(t.dxf.align_point.y, 6)) == (5000, 1000)
# The leader leaves the frame at its top edge, towards its end.
leader = [l for l in leadered if l.dxftype() == "LINE" and l.has_xdata("BE_TEXT_REFL")]
assert len(leader) == 1 and abs(leader[0].dxf.start.y - 5350) < 1e-6 and 1000 < leader[0].dxf.start.x
assert tuple(leader[0].dxf.end)[:2] == (3000, 7000)
assert [m.dxf.name for m in leadered if m.dxftype() == "INSERT"] == ["QDS2"]
assert [text(l).has_xdata("TV_TEXT_REF") for l in (first, turned, leadered)] == [True] * 3
groups = sorted(sorted(e.dxf.handle for e in g) for _, g in doc.groups)
assert groups == sorted(sorted(e.dxf.handle for e in l) for l in labels.values())
