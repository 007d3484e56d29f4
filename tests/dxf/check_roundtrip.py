"""Independent check of a drawing qdhost read and wrote again: ezdxf audits the written
file clean, and its entities (types, handles, layers), layers, block attributes, texts
and extended data are those of the original. Arguments: ORIGINAL WRITTEN."""
import re
import sys
from collections import Counter

import ezdxf


def fail(message):
    sys.exit("round trip: " + message)


def plain(tags):
    """Tag values with the "\\U+XXXX" escapes of older files decoded, as CAD programs read them."""
    decode = lambda v: re.sub(r"\\U\+([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), v) if isinstance(v, str) else v
    return [(t.code, decode(t.value)) for t in tags]


original = ezdxf.readfile(sys.argv[1])
written = ezdxf.readfile(sys.argv[2])
auditor = written.audit()
if auditor.has_errors or auditor.fixes:
    for e in auditor.errors:
        print("error:", e.message)
    for f in auditor.fixes:
        print("fix:", f.message)
    fail("audit not clean")


def entities(doc):
    return [(e.dxftype(), e.dxf.handle, e.dxf.layer) for e in doc.modelspace()]


if entities(original) != entities(written):
    fail(f"entities differ:\n{entities(original)}\n{entities(written)}")
layers = lambda doc: sorted((l.dxf.name, l.dxf.color) for l in doc.layers)
if layers(original) != layers(written):
    fail(f"layers differ: {layers(original)} / {layers(written)}")
for a, b in zip(original.modelspace(), written.modelspace()):
    for app in ("QD_APP",):
        if a.has_xdata(app) != b.has_xdata(app) or (a.has_xdata(app) and plain(a.get_xdata(app)) != plain(b.get_xdata(app))):
            fail(f"extended data of {a.dxf.handle} differs")
    if a.dxftype() == "INSERT":
        attribs = lambda r: [(t.dxf.tag, t.dxf.text) for t in r.attribs]
        if a.dxf.name != b.dxf.name or attribs(a) != attribs(b):
            fail(f"block reference {a.dxf.handle} differs")
    if a.dxftype() == "TEXT":
        for key in ("text", "height", "rotation", "halign", "valign"):
            if a.dxf.get(key) != b.dxf.get(key):
                fail(f"text {a.dxf.handle}: {key} {a.dxf.get(key)!r} became {b.dxf.get(key)!r}")
        if not a.dxf.get("align_point", (0, 0, 0)).isclose(b.dxf.get("align_point", (0, 0, 0))):
            fail(f"text {a.dxf.handle}: alignment point differs")
blocks = lambda doc: sorted(b.name for b in doc.blocks if not b.name.startswith("*"))
if blocks(original) != blocks(written):
    fail(f"blocks differ: {blocks(original)} / {blocks(written)}")
for name in blocks(original):
    content = lambda doc: Counter(e.dxftype() for e in doc.blocks[name])
    if content(original) != content(written):
        fail(f"block {name}: {content(original)} became {content(written)}")
print(f"clean audit; {len(entities(written))} entities, {Counter(t for t, _, _ in entities(written))}")
