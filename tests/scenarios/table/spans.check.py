"""The spanning headings of spans.scr: the columns under them share the width the heading
needs, the heading stands centred over them in the picture, and the lines it keeps
away are not drawn."""
import tables as t


def strokes_of(work, entities, text):
    """The picture's strokes of a text, in drawing coordinates."""
    strokes = t.polylines(f"{work}/drawing.svg")
    dx, ky = t.picture_transform(strokes, entities)
    y = text.dxf.insert.y
    return [[(x - dx, ky - py) for x, py in s] for s in strokes
            if all(y - 0.5 <= ky - py <= y + 2.8 * 1.3 for _, py in s) and len(s) > 1
            and not (len(s) == 2 and abs(s[0][1] - s[1][1]) < 1e-3 and abs(s[0][0] - s[1][0]) > 5)]


def check(work):
    doc = t.open_drawing(work)
    found = list(t.tables(doc).values())
    assert len(found) == 2
    spanned, keeps = found
    edges = t.column_edges(spanned)
    assert len(edges) == 5, edges
    heading = t.text_of(spanned, "Nadpis přes tři sloupce")
    xs = [x for s in strokes_of(work, spanned, heading) for x, _ in s if edges[0] < x < edges[3]]
    assert xs, "the heading is not in the picture"
    # Centred over the three columns (the text's box starts at its first glyph's left
    # bearing, which stays in the offset), and inside them with half a gap to spare.
    middle = (edges[0] + edges[3]) / 2
    assert abs((min(xs) + max(xs)) / 2 - middle) < 0.6, ((min(xs) + max(xs)) / 2, middle)
    assert min(xs) >= edges[0] + 1.4 - 0.2 and max(xs) <= edges[3] - 1.4 + 0.2, (min(xs), max(xs), edges)
    # The three columns share the widening: none is left as narrow as its letter.
    widths = [b - a - 2.8 for a, b in zip(edges, edges[1:])][:3]
    assert max(widths) - min(widths) < 0.5 and min(widths) > 5, widths
    inner = [e for e in t.lines(spanned) if abs(e.dxf.start.x - e.dxf.end.x) < 1e-9 and edges[0] < e.dxf.start.x < edges[3]]
    assert inner and all(max(e.dxf.start.y, e.dxf.end.y) <= 95.8 + 1e-9 for e in inner), [(e.dxf.start, e.dxf.end) for e in inner]
    t.check_picture(work, spanned)

    # 1003 with -1000 twice: the heading spans three columns and no line is drawn under it.
    heading = t.text_of(keeps, "Nadpis přes tři sloupce")
    under = heading.dxf.insert.y - 0.7
    assert not [e for e in t.lines(keeps) if abs(e.dxf.start.y - under) < 1e-6 and abs(e.dxf.end.y - under) < 1e-6]
    assert len(t.column_edges(keeps)) == 4 and t.named(keeps, "L0")
    t.check_picture(work, keeps)


t.main(check)
