"""What the table checks share: the drawing's tables by their id, the pieces of a table
by the names in their "QD_DRAW_TABLE" data, and the picture held against the drawing."""
import re
import sys
import xml.etree.ElementTree as ET

import ezdxf

TINY = 1e-6


def open_drawing(work):
    doc = ezdxf.readfile(f"{work}/drawing.dxf")
    auditor = doc.audit()
    assert not auditor.has_errors, [str(e.message) for e in auditor.errors]
    return doc


def transcript(work):
    with open(f"{work}/transcript.txt", encoding="utf-8") as f:
        return f.read()


def table_ids(entity):
    if not entity.xdata:
        return []
    return [app for app in entity.xdata.data if app.startswith("$")]


def name_of(entity):
    if not entity.has_xdata("QD_DRAW_TABLE"):
        return None
    return entity.get_xdata("QD_DRAW_TABLE")[0][1]


def tables(doc):
    """{table id: [entities]} in drawing order."""
    found = {}
    for e in doc.modelspace():
        for t in table_ids(e):
            found.setdefault(t, []).append(e)
    return found


def part_members(doc, table_id):
    """The handles the drawing's part of that name records."""
    parts = doc.rootdict.get("QDHK_HANDLE")
    assert parts is not None and table_id in parts, f"no part {table_id}"
    return {tag.value for tag in parts.get(table_id).tags if tag.code == 330}


def named(entities, pattern):
    rx = re.compile(pattern + r"\Z")
    return [e for e in entities if name_of(e) is not None and rx.match(name_of(e))]


def texts(entities):
    return [e for e in entities if e.dxftype() == "TEXT"]


def lines(entities):
    return [e for e in entities if e.dxftype() == "LINE"]


def text_of(entities, value):
    hits = [e for e in texts(entities) if e.dxf.text == value]
    assert len(hits) == 1, (value, len(hits))
    return hits[0]


def outline(entities):
    """The table's left, right, top and bottom from its lines."""
    ls = lines(entities)
    xs = [p.x for e in ls for p in (e.dxf.start, e.dxf.end)]
    ys = [p.y for e in ls for p in (e.dxf.start, e.dxf.end)]
    return min(xs), max(xs), max(ys), min(ys)


def column_edges(entities):
    """The x of every vertical line, left to right."""
    return sorted({round(e.dxf.start.x, 6) for e in lines(entities) if abs(e.dxf.start.x - e.dxf.end.x) < TINY})


def polylines(svg_path):
    root = ET.parse(svg_path).getroot()
    out = []
    for el in root.iter():
        if el.tag.endswith("polyline"):
            pts = [tuple(map(float, p.split(","))) for p in el.get("points").split()]
            out.append(pts)
    return out


def same_segment(s, a, b):
    # The picture writes six significant digits.
    tolerance = 2e-3 + 6e-6 * max(abs(c) for p in (a, b) for c in p)

    def near(p, q):
        return abs(p[0] - q[0]) < tolerance and abs(p[1] - q[1]) < tolerance
    return (near(s[0], a) and near(s[1], b)) or (near(s[0], b) and near(s[1], a))


def picture_transform(strokes, entities):
    """(dx, ky) with picture x = x + dx and picture y = ky - y: the offsets under which
    every line of the table is a stroke of the picture."""
    segments = [s for s in strokes if len(s) == 2]
    top = max(lines(entities), key=lambda e: (e.dxf.start.y, -e.dxf.start.x))
    length = abs(top.dxf.end.x - top.dxf.start.x)
    for s in segments:
        if abs(s[0][1] - s[1][1]) > 1e-3 or abs(abs(s[1][0] - s[0][0]) - length) > 2e-3 + 6e-6 * abs(s[0][0]):
            continue
        dx = min(s[0][0], s[1][0]) - min(top.dxf.start.x, top.dxf.end.x)
        ky = s[0][1] + top.dxf.start.y
        if all(any(same_segment(q, (e.dxf.start.x + dx, ky - e.dxf.start.y), (e.dxf.end.x + dx, ky - e.dxf.end.y))
                   for q in segments) for e in lines(entities)):
            return dx, ky
    raise AssertionError("the table's lines are not all in the picture")


def check_picture(work, entities):
    """Every line of the table is in the picture, and no stroke of a text crosses one of
    the table's vertical lines: the texts fit the columns as they are drawn."""
    strokes = polylines(f"{work}/drawing.svg")
    dx, ky = picture_transform(strokes, entities)
    table_lines = [((e.dxf.start.x + dx, ky - e.dxf.start.y), (e.dxf.end.x + dx, ky - e.dxf.end.y)) for e in lines(entities)]
    verticals = [(a[0], min(a[1], b[1]), max(a[1], b[1])) for a, b in table_lines if abs(a[0] - b[0]) < 1e-3]
    left, right, ptop, pbottom = outline(entities)
    for s in strokes:
        xs, ys = [p[0] for p in s], [p[1] for p in s]
        if len(s) == 2 and ((abs(xs[0] - xs[1]) < 1e-3) or (abs(ys[0] - ys[1]) < 1e-3)):
            continue  # a table line or a straight piece of a glyph on a line
        if min(ys) < ky - ptop - 1e-3:
            continue  # a title above the table
        for x, y1, y2 in verticals:
            if min(xs) < x - 0.05 and max(xs) > x + 0.05 and min(ys) < y2 and max(ys) > y1:
                raise AssertionError(f"a text stroke crosses the vertical line at {x - dx:.2f}")


def main(check):
    """Runs check(work) and reports its assertion as the scenario's failure."""
    work = sys.argv[1]
    try:
        check(work)
    except AssertionError as e:
        print(f"{sys.argv[0]}: {e}")
        sys.exit(1)
