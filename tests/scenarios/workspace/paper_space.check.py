"""The layout's two viewports after a floor's workspace was set and locked in the left
one: the layers frozen in each, the drawing's own layer states, and the floor script
emptied."""
import sys

import ezdxf

work, script_folder = sys.argv[1], sys.argv[2]
doc = ezdxf.readfile(f"{work}/drawing.dxf")
problems = [f"audit: {e.message}" for e in doc.audit().errors]
viewports = {vp.dxf.id: vp for vp in doc.entitydb.values() if vp.dxftype() == "VIEWPORT"}
if sorted(viewports) != [2, 3]:
    problems.append(f"viewports {sorted(viewports)}")
else:
    left = sorted(viewports[2].frozen_layers)
    # Frozen in the viewport: the other floors, texts, and of floor 1 all but its walls
    # (the current layer TVSK0_12 is one of them); layer 0 is thawed by the option.
    if left != ["AAOK0_1Y", "AAPO__1Y", "ASSK1_2Y", "ASSK1_2Z", "TEXTY"]:
        problems.append(f"frozen in viewport 2: {left}")
    if viewports[3].frozen_layers:
        problems.append(f"frozen in viewport 3: {viewports[3].frozen_layers}")
for layer in doc.layers:
    if layer.is_frozen() or layer.is_locked():
        problems.append(f"layer {layer.dxf.name} frozen or locked in the whole drawing")
# The floor script ran (the transcript shows it); each opening of the manager empties it.
with open(f"{script_folder}/QDSTRAT.SCR", "rb") as f:
    if f.read():
        problems.append("the floor script was not emptied")
if problems:
    print(f"{sys.argv[0]}: " + "; ".join(problems))
    sys.exit(1)
