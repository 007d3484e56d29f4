"""Where the rows of the three labels went, and what ties each label together."""
import sys
import ezdxf

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
texts = [t for t in doc.modelspace().query("TEXT") if t.has_xdata("TV_TEXT_0")]
assert len(texts) == 9, len(texts)
by = {}
for t in texts:
    by.setdefault(round(t.dxf.align_point.x), []).append(t)


def rows(x):
    return [(t.dxf.text, t.dxf.align_point.y, t.dxf.halign, t.dxf.valign) for t in by[x]]


def same(got, want):
    return len(got) == len(want) and all(
        g[0] == w[0] and abs(g[1] - w[1]) < 1e-6 and g[2:] == w[2:] for g, w in zip(got, want))


# The step between rows is the height of "Agjp" plus its depth once more.
standing, hanging, centred = rows(1000), rows(5000), rows(9000)
step = standing[0][1] - standing[1][1]
assert 250 < step < 600, step
assert same(standing, [("Prvni", 1000 + step, 0, 1), ("Druhy", 1000, 0, 1)]), standing
assert same(hanging, [("Prvni", 1000, 1, 1), ("Druhy", 1000 - step, 1, 1), ("Treti", 1000 - 2 * step, 1, 1)]), hanging
# Two rows centred: the first stands on the point, the other below it.
assert same(centred, [("Prvni", 1000, 1, 1), ("Druhy", 1000 - step, 1, 1)]), centred
for label in (by[1000], by[5000], by[9000]):
    first = label[0]
    apps = [a for a in ("TV_TEXT_REF", "TV_TEXT_SCL", "TV_TEXT_0", "BE_TEXT_JUST") if first.has_xdata(a)]
    assert apps == ["TV_TEXT_REF", "TV_TEXT_SCL", "TV_TEXT_0", "BE_TEXT_JUST"], apps
    assert all(not t.has_xdata("TV_TEXT_REF") for t in label[1:])
    assert all(t.dxf.height == 250 and t.dxf.layer == "02Z" for t in label)
turned = {round(t.dxf.align_point.x): round(t.dxf.rotation % 360, 6) for t in texts if t.dxf.text == "Otoceny"}
assert turned == {13000: 280.0, 17000: 91.0}, turned
# Each label is one unnamed group and one part under its identity.
groups = [g for _, g in doc.groups]
members = sorted(sorted(e.dxf.handle for e in g) for g in groups)
expected = sorted(sorted(t.dxf.handle for t in label) for label in by.values())
assert members == expected, (members, expected)
parts = doc.rootdict.get("QDHK_HANDLE")
assert parts is not None and len(parts) == 5, parts
