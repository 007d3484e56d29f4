"""The two grouped labels: each group on its own line, the first as made, the second
turned half round its last group; nothing left of the two given up."""
import sys
import ezdxf
from labels import apps, labels_of

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")


labels = labels_of(doc.modelspace())
assert len(labels) == 2, list(labels)
first, second = labels.values()
for label in (first, second):
    assert label[0].dxftype() == "TEXT" and apps(label[0])[0] == "$" + label[0].dxf.handle


def texts(label):
    return {t.dxf.text: t for t in label if t.dxftype() == "TEXT"}


def xy(p):
    return (round(p[0], 6), round(p[1], 6))


# The rows hang one below the other from where the label was put; each marked row
# starts a group whose line is as long as its row and the gap.
one = texts(first)
step = one["Prvni"].dxf.align_point.y - one["a"].dxf.align_point.y
assert 250 < step < 600, step
assert [xy(one[t].dxf.align_point)[1] for t in ("Prvni", "a", "Druhy radek", "b")] == [
    round(1000 - i * step, 6) for i in range(4)]
gap = one["Prvni"].dxf.align_point.x - 1000
assert 0 < gap < 300 and all(t.dxf.halign == 0 for t in one.values()), gap
lines = [e for e in first if e.dxftype() == "LINE" and "BE_TEXT_TXLN" in apps(e)]
assert [xy(l.dxf.start) for l in lines] == [(1000, 1000), (1000, round(1000 - 2 * step, 6))]
short, long_ = (l.dxf.end.x - l.dxf.start.x for l in lines)
assert long_ > short > gap, (short, long_)
assert ["BE_TEXT_TXLN" in apps(t) for t in one.values()] == [True, False, True, False]
leader = [e for e in first if "BE_TEXT_REFL" in apps(e)]
assert len(leader) == 1 and xy(leader[0].dxf.start) == (1000, 1000) and xy(leader[0].dxf.end) == (5000, 3000)

# Turned half round the last group's start: the groups now rise from it, the texts still
# read from left to right, right aligned; the joining line and the leader follow.
two = texts(second)
centre_y = -3000 - 2 * step
assert [xy(two[t].dxf.align_point)[1] for t in ("Prvni", "a", "Druhy radek", "b")] == [
    round(2 * centre_y - (-3000 - i * step), 6) for i in range(4)]
assert all(t.dxf.halign == 2 and t.dxf.rotation % 360 == 0 for t in two.values())
assert all(tuple(t.dxf.extrusion) == (0, 0, 1) for t in two.values())
assert all(t.dxf.align_point.x < 1000 for t in two.values())
joining = [e for e in second if e.dxftype() == "LINE" and "BE_TEXT_REFL" in apps(e) and "TV_TEXT" not in apps(e)]
assert len(joining) == 1 and sorted([xy(joining[0].dxf.start), xy(joining[0].dxf.end)]) == [
    (1000, round(2 * centre_y + 3000, 6)), (1000, round(centre_y, 6))]
leader = [e for e in second if "TV_TEXT" in apps(e) and e.dxftype() == "LINE"]
assert len(leader) == 1 and xy(leader[0].dxf.start) == (1000, round(2 * centre_y + 3000, 6))

groups = sorted(sorted(e.dxf.handle for e in g) for _, g in doc.groups)
assert groups == sorted(sorted(e.dxf.handle for e in l) for l in (first, second)), groups
assert sorted(doc.rootdict.get("QDHK_HANDLE").keys()) == sorted(labels)
