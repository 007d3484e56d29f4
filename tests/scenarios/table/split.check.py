"""The schedule of split.scr cut in two: each part a table of its own with the header,
the lower rows closed up under their copy of it and moved by the user."""
import tables as t


def body(entities):
    return sorted((e.dxf.text for e in t.named(entities, r"T\d+")), key=lambda s: (len(s), s))


def check(work):
    doc = t.open_drawing(work)
    found = t.tables(doc)
    assert list(found) == ["$1E", "$44", "$68"], list(found)
    upper, lower = found["$1E"], found["$44"]
    header = ["Dveře", "Č.", "Typ", "Šířka"]
    for part in (upper, lower):
        assert [e.dxf.text for e in t.named(part, "HEADER") if e.dxftype() == "TEXT"] == header
        t.check_picture(work, part)
    assert body(upper) == ["1", "2", "D1", "D2", "700", "800"], body(upper)
    assert body(lower) == ["3", "4", "5", "D3", "D4", "D5", "700", "800", "900"], body(lower)

    # The upper part ends at the cut, with a bottom line named as a table's bottom.
    left, right, top, bottom = t.outline(upper)
    assert (round(left, 6), round(right, 6), top) == (10, 90, 200) and abs(bottom - 187.4) < 1e-9, t.outline(upper)
    assert [t.name_of(e) for e in t.named(upper, r"[LH]\d+")] == ["L0", "L1", "H2"]
    # The lower part: the third door directly under the header, moved 90 to the right.
    left, right, top, bottom = t.outline(lower)
    assert (round(left, 6), round(right, 6), top) == (100, 180, 200), (left, right, top)
    assert abs(bottom - (200 - 4 * 4.2)) < 1e-9, bottom
    third = t.text_of(lower, "D3")
    assert abs(third.dxf.insert.y - (200 - 2 * 4.2 + 0.7)) < 1e-9, third.dxf.insert
    assert [t.name_of(e) for e in t.named(lower, r"[LH]\d+")] == ["L2", "L3", "L4", "H5"]
    for e in t.named(lower, r"V\d+"):
        assert abs(max(e.dxf.start.y, e.dxf.end.y) - 195.8) < 1e-9 and abs(min(e.dxf.start.y, e.dxf.end.y) - bottom) < 1e-9
    # The lower part carries its own id only, and is a part of its own; the upper part's
    # record still names what was erased from it, which the host skips.
    assert all(t.table_ids(e) == ["$44"] for e in lower)
    assert t.part_members(doc, "$44") == {e.dxf.handle for e in lower}
    assert t.part_members(doc, "$1E") > {e.dxf.handle for e in upper}


t.main(check)
