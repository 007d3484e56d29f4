"""The workspace example's results: the floor plan with the workspace set and locked
(doors and texts frozen, walls and axes thawed, the floor's current layer locked), the
menu with the new workspace, and the dialogs pictured."""
import glob
import sys

import ezdxf

out = sys.argv[1]
doc = ezdxf.readfile(f"{out}/drawing.dxf")
problems = [f"audit: {e.message}" for e in doc.audit().errors]
layers = {layer.dxf.name: layer for layer in doc.layers}
for name in ("QD_DVERE", "QD_POPIS"):
    if not layers[name].is_frozen():
        problems.append(f"{name} is not frozen")
for name in ("QD_STENY", "QD_OSY"):
    if layers[name].is_frozen():
        problems.append(f"{name} is frozen")
if not layers["TVSK0_12"].is_locked() or doc.header["$CLAYER"] != "TVSK0_12":
    problems.append("the floor's current layer is not current and locked")
with open(f"{out}/plochy.MNU", encoding="cp1250") as f:
    menu = f.read()
if "[Stěny a osy - setzen]^C^C_-LAYER _T *;_U *;" not in menu or "_F QD_DVERE,QD_POPIS;" not in menu:
    problems.append("the menu has not the workspace's set item")
if len(glob.glob(f"{out}/dialogs/*-tvLay1m.html")) != 1:
    problems.append("no picture of the definition dialog")
if problems:
    print(f"{sys.argv[0]}: " + "; ".join(problems))
    sys.exit(1)
