"""The workbooks of export.scr read back by openpyxl: the sheet's name, the cell texts,
the merged ranges from the border codes and the alignment from the table's codes."""
import os

import openpyxl

import tables as t


def sheet(work, name):
    book = openpyxl.load_workbook(f"{work}/xls/{name}.xlsx")
    assert book.sheetnames == [name], book.sheetnames
    return book[name]


def values(ws):
    return [[c.value for c in row] for row in ws.iter_rows()]


def check(work):
    assert sorted(os.listdir(f"{work}/xls")) == ["Dveře 1.NP.xlsx", "Souhrn dveří a oken prvního nad.xlsx"]
    doors = sheet(work, "Dveře 1.NP")
    assert values(doors) == [
        ["Č.", "Typ", "Rozměr", None, "Poznámka"],
        [None, None, "Šířka", "Výška", None],
        ["1", "D01", "7", "197", "vchodové"],
        ["2", "D02", "12.5", "210", None],
        ["3", "D03", "8.75", "197", None],  # merged into the remark above it
    ], values(doors)
    assert sorted(str(r) for r in doors.merged_cells.ranges) == ["A1:A2", "B1:B2", "C1:D1", "E1:E2", "E4:E5"]
    aligned = [[c.alignment.horizontal for c in row] for row in doors.iter_rows(min_row=3, max_row=3)]
    # Right 3 and 6 to the right, centred 2 and 5 centred, the rest to the left.
    assert aligned == [["right", "left", "left", "right", "left"]], aligned
    assert doors["A1"].alignment.horizontal == "center" and doors["A1"].font.b and not doors["A3"].font.b

    three = sheet(work, "Souhrn dveří a oken prvního nad")
    assert [str(r) for r in three.merged_cells.ranges] == ["A1:C1"]
    assert values(three)[1] == ["a", "b", "c", "d", "e"]
    assert [c.alignment.horizontal for c in three[2]] == ["left", "right", "center", "right", "left"]
    assert three["A1"].value == "Přes tři sloupce"
    # Nothing was drawn.
    assert not list(t.open_drawing(work).modelspace())


t.main(check)
