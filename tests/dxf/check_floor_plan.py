"""The product's own session on the floor plan, as other programs read what it wrote: the
door schedule drawn and in its workbook, three arrows on their layer whose proxy
graphics draw them, the copy for programs without the modules holding them as lines, the construction
lines kept but frozen by the workspace while everything else is thawed, the unused frame
block purged, the dialogs pictured and no check of the session failed. The labels are
checked by check_labels.py. Argument: the output folder."""
import glob
import os
import sys

import ezdxf
import openpyxl
from ezdxf.proxygraphic import ProxyGraphic

out = sys.argv[1]
doc = ezdxf.readfile(f"{out}/drawing.dxf")
problems = [f"audit: {e.message}" for e in doc.audit().errors]
msp = doc.modelspace()

cells = [e for e in msp.query("TEXT") if e.dxf.layer.startswith("TVTA0002")]
numbers = {e.dxf.text for e in cells}
if not {"Výpis dveří", "Místnost"} <= numbers or not {str(n) for n in range(1, 25)} <= numbers:
    problems.append(f"the door schedule is not drawn ({len(cells)} texts)")
book = f"{out}/xls/Výpis dveří 1.NP.xlsx"
if not os.path.exists(book):
    problems.append("no workbook of the door schedule")
else:
    sheet = openpyxl.load_workbook(book)["Výpis dveří 1.NP"]
    if sheet.max_row != 26 or sheet["B3"].value != "1.01":
        problems.append(f"the workbook holds {sheet.max_row} rows, B3 {sheet['B3'].value!r}")

arrows = [e for e in msp if e.dxftype() == "HXARROW"]
layers_of_arrows = {t.value for a in arrows for t in a.xtags.get_subclass("AcDbEntity") if t.code == 8}
if len(arrows) != 3 or layers_of_arrows != {"QD_SIPKY"}:
    problems.append(f"{len(arrows)} arrows on {sorted(layers_of_arrows)}")


def rounded(points):
    return tuple(tuple(round(c, 6) for c in p) for p in points)


# Each arrow's shaft and two head strokes, from its own points, as its graphics draw them.
strokes = set()
for a in arrows:
    points = {t.code: t.value for t in a.xtags.get_subclass("Hxarrow") if t.code in (10, 11, 12, 13)}
    strokes |= {rounded(s) for s in ((points[10], points[11]), (points[11], points[12]), (points[11], points[13]))}
drawn = set()
for a in arrows:
    if a.proxy_graphic is None:
        problems.append(f"arrow {a.dxf.handle} carries no proxy graphics")
        continue
    drawn |= {rounded(e.points()) for e in ProxyGraphic(a.proxy_graphic, doc).virtual_entities()}
if len(strokes) != 9 or drawn != strokes:
    problems.append(f"the arrows' graphics draw {sorted(drawn)}, not {sorted(strokes)}")

# The copy for programs without the modules: the arrows exploded into lines on their
# layer, everything else as in the drawing.
copy = ezdxf.readfile(f"{out}/ACAD-drawing.dxf")
copy_msp = copy.modelspace()
lines = {rounded((e.dxf.start, e.dxf.end)) for e in copy_msp.query("LINE") if e.dxf.layer == "QD_SIPKY"}
if any(e.dxftype() == "HXARROW" for e in copy_msp) or lines != strokes:
    problems.append(f"the exported copy holds {sorted(lines)} on QD_SIPKY, not the arrows' strokes")
if len(copy_msp) != len(msp) - 3 + 9:
    problems.append(f"the exported copy holds {len(copy_msp)} entities, the drawing {len(msp)}")

layers = {layer.dxf.name: layer for layer in doc.layers}
frozen = sorted(name for name, layer in layers.items() if layer.is_frozen() and name.upper() != "DEFPOINTS")
if frozen != ["QD_POMOCNE"]:
    problems.append(f"frozen layers: {frozen}")
if len([e for e in msp.query("LINE") if e.dxf.layer == "QD_POMOCNE"]) != 3:
    problems.append("the construction lines are not kept")
if "TVHK_DEF_BE" in doc.blocks or "DVERE_800" not in doc.blocks:
    problems.append("the purge did not take the unused block alone")

for name in ("qdlbl", "imagepanel", "tvLay1m", "QDKlay01", "purge", "purge1"):
    if not glob.glob(f"{out}/dialogs/*-{name}.html"):
        problems.append(f"no picture of dialog {name}")
with open(f"{out}/transcript.txt", encoding="utf-8") as f:
    transcript = f.read()
if "check failed" in transcript or "Command: QDPURGE" not in transcript:
    problems.append("the transcript shows a failed check or no purge")
if problems:
    print(f"{sys.argv[0]}: " + "; ".join(problems))
    sys.exit(1)
