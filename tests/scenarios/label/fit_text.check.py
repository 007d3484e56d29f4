"""Three fitted labels: the midpoint of the two points, the width factor in proportion
to the distance, the rotation folded, the rows one and a half heights apart."""
import math
import sys
import ezdxf

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
# Two rows a label, made one label after the other.
made = sorted(doc.modelspace().query("TEXT"), key=lambda t: int(t.dxf.handle, 16))
assert len(made) == 6, len(made)
first, second, turned = made[0:2], made[2:4], made[4:6]
okno = first[0]
assert okno.dxf.text == "Okno" and okno.dxf.halign == 1 and okno.dxf.valign == 1
assert math.isclose(okno.dxf.align_point.x, 25000) and math.isclose(okno.dxf.align_point.y, -25000)
assert math.isclose(okno.dxf.rotation % 360, 315, abs_tol=1e-6), okno.dxf.rotation
# Twice the distance, twice the width; both rows of a label alike.
assert math.isclose(second[0].dxf.width, 2 * okno.dxf.width, rel_tol=1e-9), (second[0].dxf.width, okno.dxf.width)
assert all(math.isclose(t.dxf.width, okno.dxf.width) for t in first)
gap = math.dist(first[0].dxf.align_point, first[1].dxf.align_point)
assert math.isclose(gap, 1.5 * 250), gap
# From right to left the text is turned to read from left to right.
assert math.isclose(turned[0].dxf.rotation % 360, 0, abs_tol=1e-6) or math.isclose(turned[0].dxf.rotation % 360, 360, abs_tol=1e-6), turned[0].dxf.rotation
