"""Independent check of the arrows qdhost wrote: ezdxf audits the drawing clean, keeps the
HXARROW class and reads each arrow's points from its "Hxarrow" subclass (10 from, 11 to,
12 and 13 the wings, which make 15 degrees with the shaft). Argument: the DXF file."""
import math
import sys

import ezdxf


def fail(message):
    sys.exit("arrows: " + message)


doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
if auditor.has_errors or auditor.fixes:
    for e in auditor.errors:
        print("error:", e.message)
    fail("audit not clean")
if "HXARROW" not in doc.classes.classes and not any(c.dxf.name == "HXARROW" for c in doc.classes):
    fail("no HXARROW class")
arrows = [e for e in doc.modelspace() if e.dxftype() == "HXARROW"]
if len(arrows) != 3:
    fail(f"{len(arrows)} arrows, expected 3")
for arrow in arrows:
    tags = arrow.xtags.get_subclass("Hxarrow")
    points = {t.code: t.value for t in tags if t.code in (10, 11, 12, 13)}
    if sorted(points) != [10, 11, 12, 13]:
        fail(f"arrow {arrow.dxf.handle} lacks points: {sorted(points)}")
    frm, to, w1, w2 = (points[c] for c in (10, 11, 12, 13))
    shaft = math.atan2(frm[1] - to[1], frm[0] - to[0])
    for wing in (w1, w2):
        a = math.atan2(wing[1] - to[1], wing[0] - to[0])
        d = abs((a - shaft + math.pi) % (2 * math.pi) - math.pi)
        if abs(d - math.radians(15)) > 1e-9:
            fail(f"arrow {arrow.dxf.handle}: a wing makes {math.degrees(d):.6f} degrees with the shaft")
layers = sorted(t.value for a in arrows for t in a.xtags.get_subclass("AcDbEntity") if t.code == 8)
if layers != ["0", "ARROWS", "HIDDEN_ARROWS"]:
    fail(f"layers {layers}")
print(f"clean audit; {len(arrows)} arrows on {layers}")
