"""No workbook was left behind by the exports that failed, whole or partial."""
import os

import tables as t


def check(work):
    assert os.listdir(f"{work}/xls") == [], os.listdir(f"{work}/xls")
    assert not list(t.open_drawing(work).modelspace())


t.main(check)
