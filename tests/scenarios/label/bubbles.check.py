"""The bubbles as another program reads them: ten numbered 1 to 10, a two-row bubble
with its divider, the typed rows, and the leader leaving from the edge."""
import sys
import ezdxf

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
msp = doc.modelspace()
circles = list(msp.query("CIRCLE"))
# 2.33 times the text: 2.5 mm, and 2.4 mm for bubbles on lines.
assert all(abs(c.dxf.radius - (559.2 if c.has_xdata("TV_TEXT_5") else 582.5)) < 1e-6 for c in circles), [
    c.dxf.radius for c in circles]
free = sorted((t for t in msp.query("TEXT") if t.has_xdata("TV_TEXT_4")), key=lambda t: (t.dxf.align_point.y, t.dxf.align_point.x))
numbered = [t for t in free if t.dxf.align_point.y < 3000]
assert [t.dxf.text for t in numbered] == [str(n) for n in range(1, 11)], [t.dxf.text for t in numbered]
assert all((t.dxf.halign, t.dxf.valign) == (1, 2) for t in numbered)
# The two-row bubbles: upper text standing on the centre, lower one hanging under it.
pairs = {}
for t in free:
    if t.dxf.align_point.y > 3000:
        pairs.setdefault(round(t.dxf.align_point.x), []).append(t)
assert sorted(pairs) == [1000, 3000], sorted(pairs)
for x, want in ((1000, ["A09", "99"]), (3000, ["12", "B"])):
    upper, lower = sorted(pairs[x], key=lambda t: -t.dxf.align_point.y)
    assert [upper.dxf.text, lower.dxf.text] == want, (x, upper.dxf.text, lower.dxf.text)
    assert (upper.dxf.valign, lower.dxf.valign) == (1, 3) and abs(upper.dxf.align_point.y - 4000) < 1e-6
dividers = [l for l in msp.query("LINE") if l.has_xdata("TV_TEXT_4")]
assert sorted(round(l.dxf.start.x) for l in dividers) == [418, 2418], dividers
# Kind 3: the exit nearer to the cursor is the top of the circle; the attach line goes on
# from there and the leader from its end.
attach = [l for l in msp.query("LINE") if l.has_xdata("BE_TEXT_ATTC")]
assert len(attach) == 1 and attach[0].dxf.start.isclose((2000, 12582.5, 0), abs_tol=1e-6), attach[0].dxf.start
leader = [l for l in msp.query("LINE") if l.has_xdata("BE_TEXT_REFL") and l.has_xdata("TV_TEXT_3")]
assert len(leader) == 1 and leader[0].dxf.start.isclose(attach[0].dxf.end) and tuple(leader[0].dxf.end)[:2] == (5000, 15000)
label3 = [t for t in msp.query("TEXT") if t.has_xdata("TV_TEXT_3")]
assert [t.dxf.text for t in label3] == ["P1"] and label3[0].has_xdata("BE_TEXT_ROTA")
# Kind 5: slid to x = 3000 on the first line (beyond its end it stayed), at the crossing
# of the two others; every line from a picked point ends on the circle.
on_lines = [c for c in circles if c.has_xdata("TV_TEXT_5")]
assert sorted(tuple(round(v, 6) for v in c.dxf.center)[:2] for c in on_lines) == [(3000, 20000), (5000, 25000)]
rows = [t.dxf.text for t in msp.query("TEXT") if t.has_xdata("TV_TEXT_5") and t.dxf.text]
assert rows == ["1", "2"], rows
gaps = [l for l in msp.query("LINE") if l.has_xdata("TV_TEXT_MOD")]
assert len(gaps) == 6, len(gaps)
for line in gaps:
    centre = min(on_lines, key=lambda c: c.dxf.center.distance(line.dxf.end)).dxf.center
    assert abs(centre.distance(line.dxf.end) - 559.2) < 1e-6
assert len(doc.groups) == 15, len(doc.groups)
