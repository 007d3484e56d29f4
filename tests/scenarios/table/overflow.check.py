"""The tables of overflow.scr: the two drawn are wider than asked by the excess the
question named, with every word whole."""
import tables as t


def check(work):
    doc = t.open_drawing(work)
    found = list(t.tables(doc).values())
    assert len(found) == 2, len(found)
    for entities, top in zip(found, (150, 50)):
        left, right, ttop, bottom = t.outline(entities)
        assert ttop == top and abs(right - left - (20 + 29.87)) < 0.005, (ttop, right - left)
        assert sorted(e.dxf.text for e in t.named(entities, r"T\d+")) == ["800x1970", "Protipožární"]
        t.check_picture(work, entities)


t.main(check)
