"""The two labels on text lines: rows against the line, the side flip, the leaders and
their marks, and what ties each label together."""
import sys
import ezdxf
from labels import apps, labels_of

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
msp = doc.modelspace()


def near(a, b):
    return abs(a[0] - b[0]) < 1e-6 and abs(a[1] - b[1]) < 1e-6


labels = labels_of(msp)
assert len(labels) == 2, list(labels)
first, second = labels.values()

# The identity is the handle of the label's first entity, its text line.
for label in (first, second):
    identity = apps(label[0])[2]
    assert label[0].dxftype() == "LINE" and identity == "$" + label[0].dxf.handle, (identity, label[0].dxf.handle)
    assert all(identity in apps(e) for e in label)

texts = [e for e in first if e.dxftype() == "TEXT"]
step = texts[0].dxf.align_point.y - texts[1].dxf.align_point.y
assert 250 < step < 600, step
# Above the line, on it (without the marker), below it; all left aligned from one point.
assert [t.dxf.text for t in texts] == ["Nad", "Na care", "Pod"]
assert [round(t.dxf.align_point.y - 1000, 6) for t in texts] == [round(step, 6), 0, round(-step, 6)]
assert len({t.dxf.align_point.x for t in texts}) == 1 and texts[0].dxf.align_point.x > 1000
assert all((t.dxf.halign, t.dxf.valign) == (0, 1) for t in texts)
assert apps(texts[0]) == [apps(texts[0])[0], "TV_TEXT_REF", "TV_TEXT_SCL", "TV_TEXT_1", "BE_TEXT_JUST"], apps(texts[0])
assert all("TV_TEXT_REF" not in apps(t) for t in texts[1:])
assert [("BE_TEXT_TXLN" in apps(t)) for t in texts] == [False, True, False]

# Three simple leaders from the anchor, each with an open arrow at its free end.
lines = [e for e in first if e.dxftype() == "LINE"]
line, leaders = lines[0], lines[1:]
assert near(line.dxf.start, (1000, 1000)) and apps(line)[:2] == ["TV_TEXT_1", "BE_TEXT_TXLN"], apps(line)
ends = [(5000, 3000), (-1000, 3000), (3000, -2000)]
assert [near(l.dxf.start, (1000, 1000)) and near(l.dxf.end, p) for l, p in zip(leaders, ends)] == [True] * 3
assert ["TV_TEXT_REF" in apps(l) for l in leaders] == [True, False, False]
marks = [e for e in first if e.dxftype() == "INSERT"]
assert [(m.dxf.name, round(m.dxf.xscale, 6)) for m in marks] == [("QDS2", 100)] * 3, marks
assert all(near(m.dxf.insert, p) for m, p in zip(marks, ends))
assert abs(marks[0].dxf.rotation - 26.565051177078) < 1e-6

# The second label lies left of its anchor: its right-aligned rows are now left aligned
# and its line runs to the left, a gap and its own length (10 mm) beyond the rows.
texts = [e for e in second if e.dxftype() == "TEXT"]
assert [t.dxf.text for t in texts] == ["Vlevo", "dole"]
assert all(t.dxf.halign == 0 and t.dxf.align_point.x < 4000 for t in texts)
line = [e for e in second if e.dxftype() == "LINE"][0]
assert near(line.dxf.start, (4000, -1000)) and line.dxf.end.x < texts[0].dxf.align_point.x, line.dxf.end
assert abs((4000 - line.dxf.end.x) - (4000 - texts[0].dxf.align_point.x) - 1000) < 1e-6
# Broken leaders on the thin layer: Enter snapped the first onto the wall (a tick), Esc
# left the second free (an arrow); the segment taken back is gone.
segments = [e for e in second if e.dxftype() == "LINE" and "BE_TEXT_REFL" in apps(e)]
assert [(tuple(s.dxf.start)[:2], tuple(s.dxf.end)[:2]) for s in segments] == [
    ((4000, -1000), (6000, 0)), ((6000, 0), (8000, 200)), ((4000, -1000), (6000, -2000)), ((6000, -2000), (6500, -3000))]
assert all(s.dxf.layer == "02ZY" for s in segments)
assert [m.dxf.name for m in second if m.dxftype() == "INSERT"] == ["QDL", "QDS2"]

# One group and one part for each label.
groups = sorted(sorted(e.dxf.handle for e in g) for _, g in doc.groups)
assert groups == sorted(sorted(e.dxf.handle for e in l) for l in (first, second)), groups
parts = doc.rootdict.get("QDHK_HANDLE")
assert sorted(parts.keys()) == sorted(labels.keys()), list(parts.keys())
