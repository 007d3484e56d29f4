"""The tables of basics.scr, each found by its upper-left corner."""
import tables as t


def by_corner(doc, x, y):
    for entities in t.tables(doc).values():
        left, right, top, bottom = t.outline(entities)
        if abs(left - x) < 1e-6 and abs(top - y) < 1e-6:
            return entities
    raise AssertionError(f"no table at {x},{y}")


def check(work):
    doc = t.open_drawing(work)
    assert len(t.tables(doc)) == 5, len(t.tables(doc))
    # Each table is recorded as a part under its id: all it made, nothing else.
    for table_id, entities in t.tables(doc).items():
        assert t.part_members(doc, table_id) == {e.dxf.handle for e in entities}, table_id

    defaults = by_corner(doc, 0, 0)
    assert [e.dxf.text for e in t.texts(defaults)] == ["Jen nadpis"]
    assert t.outline(defaults)[:2] == (0, 190)

    short = by_corner(doc, 0, 100)
    assert sorted(e.dxf.text for e in t.texts(short)) == ["A", "B", "D", "E", "F", "G", "Krátký řádek"]
    assert len(t.column_edges(short)) == 3
    t.check_picture(work, short)

    blank = by_corner(doc, 100, 100)
    assert sorted(e.dxf.text for e in t.texts(blank)) == ["1", "3", "4", "5", "Prázdné"]
    assert len(t.column_edges(blank)) == 4, t.column_edges(blank)

    for corner in ((0, 50), (100, 50)):
        entities = by_corner(doc, *corner)
        for e in entities:
            heavy = e.dxf.layer.endswith("Z")
            want = 1 if heavy else (2 if e.dxftype() == "LINE" else 3)
            assert e.dxf.color == want, (corner, e.dxftype(), e.dxf.layer, e.dxf.color)
        assert {e.dxf.layer for e in entities} == {"TVTA0002Y", "TVTA0002Z"}


t.main(check)
