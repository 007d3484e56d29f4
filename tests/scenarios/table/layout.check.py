"""The door schedule of layout.scr: widths, wrapping, names, layers, the struck-out cell
and the decimal points as the picture shows them."""
import tables as t


def check(work):
    doc = t.open_drawing(work)
    first = next(iter(doc.modelspace()))
    # The empty drawing got a point first, so that the table has an entity to follow.
    assert first.dxftype() == "POINT" and tuple(first.dxf.location) == (0.1, 0.1, 0.1), first.dxftype()
    assert first.dxf.layer == "0" and not t.table_ids(first)
    found = t.tables(doc)
    assert list(found) == ["$1E", "$5C"], list(found)
    doors, wide = found["$1E"], found["$5C"]

    left, right, top, bottom = t.outline(doors)
    assert (left, right) == (10, 130), (left, right)
    assert abs(t.outline(wide)[1] - 200) < 1e-9, t.outline(wide)

    # The remark of D01 wrapped onto three continuation lines of its row, in order.
    remark = sorted((e for e in t.named(doors, "T0") if e.dxf.insert.x > 58 and e.dxf.insert.x < 100),
                    key=lambda e: -e.dxf.insert.y)
    assert " ".join(e.dxf.text for e in remark) == "vchodové dveře s nadsvětlíkem a bezpečnostním kováním"
    assert len(remark) == 4 and all(abs(a.dxf.insert.y - b.dxf.insert.y - 4.2) < 1e-9 for a, b in zip(remark, remark[1:]))
    # One-word hardware names cannot wrap: they stay whole on one line.
    assert t.text_of(doors, "Protipanikové") and t.text_of(doors, "Bezpečnostní")

    names = sorted(t.name_of(e) for e in t.lines(doors) if t.name_of(e) != "HEADER")
    assert names == ["H2", "H4", "L0", "L1", "L3", "S2", "V0", "V1", "V2", "V4", "V5", "V6", "V999"], names
    # The line under D02 stops before the hardware cell it shares with D03.
    h2 = t.named(doors, "H2")[0]
    assert abs(h2.dxf.end.x - 100.4) < 0.01 and h2.dxf.start.x == 10, (h2.dxf.start, h2.dxf.end)
    # Under the spanning "Rozměr" the boundary starts at the second header row.
    v999 = t.named(doors, "V999")[0]
    header_line = t.named(doors, "L0")[0].dxf.start.y
    assert abs(v999.dxf.start.y - header_line) < 1e-9 and abs(v999.dxf.end.y - bottom) < 1e-9
    between = [e for e in t.named(doors, "HEADER") if e.dxftype() == "LINE" and abs(e.dxf.start.y - 195.8) < 1e-9
               and abs(e.dxf.end.y - 195.8) < 1e-9]
    assert len(between) == 1 and abs(between[0].dxf.start.x - 31.47) < 0.01 and abs(between[0].dxf.end.x - 57.73) < 0.01
    for e in t.lines(doors):
        if t.name_of(e).startswith("V") and t.name_of(e) != "V999":
            assert abs(e.dxf.start.y - header_line) < 1e-9 and abs(e.dxf.end.y - bottom) < 1e-9, t.name_of(e)

    # Boundaries 0, 2 and 6 and the outer columns on the second layer.
    heavy = sorted(t.name_of(e) for e in t.lines(doors) if e.dxf.layer == "TVTA0002Z" and t.name_of(e) != "HEADER")
    assert heavy == ["H4", "L0", "V0", "V6"], heavy

    # The struck-out remark of D03: corner to corner of its cell, with its row and column.
    strike = t.named(doors, "S2")[0]
    assert strike.get_xdata("QD_TABLE_DEL") == [(1070, 5), (1070, 5)]
    assert (round(strike.dxf.start.x, 2), round(strike.dxf.start.y, 2)) == (57.73, 166.4)
    assert (round(strike.dxf.end.x, 2), round(strike.dxf.end.y, 2)) == (100.4, 170.6)
    assert not [e for e in t.texts(doors) if "&" in e.dxf.text]

    # 7 and 9 align on a point they were given, with 12.5 and 8.75.
    decimals = [t.text_of(doors, v) for v in ("7.", "12.5", "8.75", "9.")]
    assert len({round(e.dxf.insert.y, 6) for e in decimals}) == 4
    check_points_aligned(work, doors, decimals)
    t.check_picture(work, doors)
    t.check_picture(work, wide)


def check_points_aligned(work, doors, decimals):
    strokes = t.polylines(f"{work}/drawing.svg")
    dx, ky = t.picture_transform(strokes, doors)
    dots = []
    for e in decimals:
        y = ky - e.dxf.insert.y
        small = [s for s in strokes if max(p[0] for p in s) - min(p[0] for p in s) < 0.6
                 and max(p[1] for p in s) - min(p[1] for p in s) < 0.6 and abs(max(p[1] for p in s) - y) < 0.6
                 and 31.47 + dx < min(p[0] for p in s) < 44 + dx]
        assert len(small) == 1, (e.dxf.text, len(small))
        dots.append(sum(p[0] for p in small[0]) / len(small[0]))
    # Texts are measured by their boxes: the glyphs' side bearings stay in the difference.
    assert max(dots) - min(dots) < 0.5, dots


t.main(check)
