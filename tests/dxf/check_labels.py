"""The labels of the main job in the drawing it wrote, as another program reads it: one
of each kind, each one group and one part, its entities tied by one identity, the
drawing clean."""
import sys
from ezdxf import recover

doc, auditor = recover.readfile(sys.argv[1])
assert not auditor.errors, [e.message for e in auditor.errors]
parts = {}
for e in doc.modelspace():
    ids = [a for a in (e.xdata.data.keys() if e.xdata else []) if a.startswith("$")]
    if ids:
        parts.setdefault(ids[0], []).append(e)
# The labels are the parts of a label kind; a table drawn beside them is a part too.
labels = {k: l for k, l in parts.items() if any(a.startswith("TV_TEXT_") for e in l for a in e.xdata.data)}
in_labels = {e.dxf.handle for l in labels.values() for e in l}
kinds = sorted({a for l in labels.values() for e in l for a in e.xdata.data.keys() if a.startswith("TV_TEXT_") and a[8:].isdigit()})
assert kinds == ["TV_TEXT_%d" % k for k in range(9)], kinds
assert len(labels) == 9, list(labels)
groups = sorted(sorted(e.dxf.handle for e in g) for _, g in doc.groups if in_labels & {e.dxf.handle for e in g})
assert groups == sorted(sorted(e.dxf.handle for e in l) for l in labels.values()), groups
assert set(labels) <= set(doc.rootdict.get("QDHK_HANDLE").keys())
# The leaders snapped onto the walls end with a tick, the free ones with an arrow.
marks = [e for e in doc.modelspace().query("INSERT") if e.dxf.name in ("QDL", "QDS2")]
assert sorted((m.dxf.name, round(m.dxf.insert.x)) for m in marks) == [
    ("QDL", 0), ("QDL", 3000), ("QDL", 3000), ("QDS2", 1000), ("QDS2", 5760)], marks
