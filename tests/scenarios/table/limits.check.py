"""The table of limits.scr: fifty columns on the layer named by its first 29 characters,
and a workbook of fifty columns."""
import openpyxl

import tables as t


def check(work):
    doc = t.open_drawing(work)
    (entities,) = t.tables(doc).values()
    assert len(t.column_edges(entities)) == 51, len(t.column_edges(entities))
    assert "S50" not in {e.dxf.text for e in t.texts(entities)} and "S49" in {e.dxf.text for e in t.texts(entities)}
    assert {e.dxf.layer for e in entities} == {"VRSTVA_S_VELMI_DLOUHYM_NAZVEM", "TVTA0002Z"}
    ws = openpyxl.load_workbook(f"{work}/xls/Sloupce.xlsx")["Sloupce"]
    assert ws.max_column == 50 and ws.cell(1, 50).value == "S49", (ws.max_column, ws.cell(1, 50).value)


t.main(check)
