"""The rows against their lines: standing on the first at the place slid to, hanging a
gap under the second at its midpoint, reading from left to right."""
import sys
import ezdxf

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
msp = doc.modelspace()
texts = [t for t in msp.query("TEXT") if t.has_xdata("TV_TEXT_8")]
standing = [t for t in texts if t.get_xdata("BE_TEXT_JUST")[0].value == "BC"]
hanging = [t for t in texts if t.get_xdata("BE_TEXT_JUST")[0].value == "TL"]
assert [t.dxf.text for t in standing] == ["Kanal", "DN 150"], standing
assert [t.dxf.text for t in hanging] == ["Kanal", "DN 150"], hanging


def at(t):
    return (round(t.dxf.align_point.x, 6), round(t.dxf.align_point.y, 6))


# The bottom centre of the first row on the line; the second one step lower.
assert at(standing[0]) == (3000, 0) and (standing[0].dxf.halign, standing[0].dxf.valign) == (1, 1)
step = -standing[1].dxf.align_point.y
d = (step - 250) / 2
assert 0 < d < 125 and at(standing[1]) == (3000, round(-step, 6)), step
# Hanging: the first row's top a gap d under the line, at the midpoint.
assert at(hanging[0]) == (5000, round(2000 - d, 6)) and (hanging[0].dxf.halign, hanging[0].dxf.valign) == (0, 3)
assert at(hanging[1]) == (5000, round(2000 - d - step, 6))
assert all(round(t.dxf.rotation % 360, 6) == 0 for t in texts)
lines = [l for l in msp.query("LINE") if l.has_xdata("TV_TEXT_8")]
assert [(tuple(l.dxf.start)[:2], tuple(l.dxf.end)[:2]) for l in lines] == [((0, 0), (10000, 0)), ((10000, 2000), (0, 2000))]
for line in lines:
    identity = line.get_xdata("TV_TEXT")[0].value
    assert line.has_xdata(identity) and line.has_xdata("BE_TEXT_REFL")
    label = [t for t in texts if t.has_xdata(identity)]
    assert len(label) == 2 and identity == "$" + label[0].dxf.handle
    assert label[0].has_xdata("TV_TEXT_REF") and not label[1].has_xdata("TV_TEXT_REF")
groups = sorted(sorted(e.dxf.handle for e in g) for _, g in doc.groups)
assert len(groups) == 2 and all(len(g) == 3 for g in groups), groups
