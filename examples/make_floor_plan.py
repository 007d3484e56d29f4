#!/usr/bin/python3
"""Writes examples/floor_plan.dxf with ezdxf, an independent DXF writer, so that the
shipped example is a drawing made by another program: a small floor plan with walls,
doors as blocks with attributes, room names centred in their rooms in a shape-font and a
TrueType style, a hatched wall and a filled column, an axis in a dashed linetype, a note
as multiline text, a polyline, a circle and extended data."""
import sys

import ezdxf

# The DXF version may be given as the second argument (R2000 to R2018).
doc = ezdxf.new(sys.argv[2] if len(sys.argv) > 2 else "R2018", setup=False)
doc.header["$INSUNITS"] = 4
doc.header["$LTSCALE"] = 20.0
doc.styles.add("QD_ROMANS", font="romans.shx")
doc.styles.add("QD_ARIAL", font="arial.ttf")
doc.linetypes.add("DASHED", pattern=[15.0, 10.0, -5.0], description="Dashed __ __ __")
msp = doc.modelspace()
for name, color in (("QD_STENY", 1), ("QD_DVERE", 3), ("QD_POPIS", 7), ("QD_OSY", 5)):
    doc.layers.add(name, color=color)
doc.appids.add("QD_APP")

door = doc.blocks.new("DVERE_800")
door.add_line((0, 0), (800, 0), dxfattribs={"layer": "0"})
door.add_arc((0, 0), 800, 0, 90, dxfattribs={"layer": "0"})
door.add_attdef("CISLO", (100, 100), dxfattribs={"height": 150})

walls = [((0, 0), (6000, 0)), ((6000, 0), (6000, 4000)), ((6000, 4000), (0, 4000)), ((0, 4000), (0, 0)),
         ((3000, 0), (3000, 4000))]
for a, b in walls:
    line = msp.add_line(a, b, dxfattribs={"layer": "QD_STENY"})
    line.set_xdata("QD_APP", [(1000, "stěna"), (1070, 300), (1040, 0.3)])
for i, x in enumerate((1000, 4000)):
    ref = msp.add_blockref("DVERE_800", (x, 0), dxfattribs={"layer": "QD_DVERE"})
    ref.add_auto_attribs({"CISLO": f"D{i + 1:02d}"})
msp.add_text("Obývací pokoj", dxfattribs={"layer": "QD_POPIS", "height": 250, "style": "QD_ROMANS"}).set_placement(
    (1500, 2000), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
msp.add_text("Ložnice 14,2 m²", dxfattribs={"layer": "QD_POPIS", "height": 250, "rotation": 90,
                                            "style": "QD_ARIAL"}).set_placement(
    (4500, 2000), align=ezdxf.enums.TextEntityAlignment.BOTTOM_CENTER)
# The dividing wall hatched, a column filled, the axis of the plan dashed.
wall = msp.add_hatch(dxfattribs={"layer": "QD_STENY"})
wall.set_pattern_fill("ANSI31", color=1, scale=20)
wall.paths.add_polyline_path([(2850, 0), (3150, 0), (3150, 4000), (2850, 4000)], is_closed=True)
column = msp.add_hatch(color=8, dxfattribs={"layer": "QD_STENY"})
column.paths.add_polyline_path([(5700, 3700), (6000, 3700), (6000, 4000), (5700, 4000)], is_closed=True)
msp.add_line((-300, 2000), (6300, 2000), dxfattribs={"layer": "QD_OSY", "linetype": "DASHED"})
msp.add_mtext("Poznámka:\\PPodlaha {\\H0.7x;dubová}", dxfattribs={"layer": "QD_POPIS", "char_height": 150,
                                                                 "style": "QD_ARIAL"}).set_location((200, 3800))
msp.add_lwpolyline([(-500, -500), (6500, -500), (6500, 4500), (-500, 4500)], close=True,
                   dxfattribs={"layer": "QD_OSY"})
msp.add_circle((3000, 2000), 200, dxfattribs={"layer": "QD_OSY"})
doc.saveas(sys.argv[1] if len(sys.argv) > 1 else "examples/floor_plan.dxf")
