"""The door schedule example: one table of 24 doors under its two header rows beside the
untouched floor plan, its texts fitting their columns in the picture, and the same table
in the workbook, read back by openpyxl."""
import os
import sys

import openpyxl

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "scenarios", "table"))
import tables as t  # noqa: E402


def check(work):
    doc = t.open_drawing(work)
    (entities,) = t.tables(doc).values()
    left, right, top, bottom = t.outline(entities)
    assert (left, top) == (-500, -1200) and abs(right - left - 7000) < 1e-9, (left, right, top)
    rows = {t.name_of(e) for e in t.named(entities, r"T\d+")}
    assert rows == {f"T{n}" for n in range(24)}, sorted(rows)
    first = sorted(t.named(entities, "T0"), key=lambda e: (-e.dxf.insert.y, e.dxf.insert.x))
    assert [e.dxf.text for e in first] == ["1", "1.01", "D6", "1450", "2100", "3.04", "dvoukřídlé", "prosklené"]
    strikes = t.named(entities, r"S\d+")
    assert len(strikes) == 1 and strikes[0].get_xdata("QD_TABLE_DEL") == [(1070, 19), (1070, 7)], strikes
    t.check_picture(work, entities)
    plan = [e for e in doc.modelspace() if not t.table_ids(e)]
    assert len(plan) == 15 and not [e for e in plan if e.dxf.layer.startswith("TVTA")], len(plan)

    ws = openpyxl.load_workbook(f"{work}/xls/Výpis dveří 1.NP.xlsx")["Výpis dveří 1.NP"]
    assert ws.max_row == 26 and ws.max_column == 7, (ws.max_row, ws.max_column)
    assert sorted(str(r) for r in ws.merged_cells.ranges) == ["A1:A2", "B1:B2", "C1:C2", "D1:E1", "F1:F2", "G1:G2"]
    assert [c.value for c in ws[3]] == ["1", "1.01", "D6", "1450", "2100", "3.04", "dvoukřídlé prosklené"]
    assert ws["G19"].value == "&" and ws["F3"].alignment.horizontal == "left" and ws["A3"].alignment.horizontal == "right"


t.main(check)
