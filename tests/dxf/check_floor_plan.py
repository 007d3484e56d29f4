"""The product's own session on the floor plan, as other programs read what it wrote: the
door schedule drawn and in its workbook, three arrows on their layer, the construction
lines kept but frozen by the workspace while everything else is thawed, the unused frame
block purged, the dialogs pictured and no check of the session failed. The labels are
checked by check_labels.py. Argument: the output folder."""
import glob
import os
import sys

import ezdxf
import openpyxl

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
