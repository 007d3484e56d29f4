#!/usr/bin/python3
"""Writes reference.dxf, the drawing whose picture qdhost and LibreCAD must agree on:
lines, arcs, circles, bulged and wide polylines of both kinds, linetypes, hatches (solid,
a line pattern and a dashed pattern, one with an island), ellipses, splines, a solid and
a face. Texts are left out: LibreCAD draws them with other fonts.

    /usr/bin/python3 tests/render/make_reference.py tests/render/reference.dxf
"""
import math
import sys

import ezdxf

doc = ezdxf.new("R2010", setup=["linetypes"])
doc.header["$LTSCALE"] = 1.0
doc.header["$INSUNITS"] = 4  # millimetres, so that a page in millimetres holds the drawing
doc.header["$MEASUREMENT"] = 1
msp = doc.modelspace()

# A frame, its diagonals dashed and dash-dotted.
msp.add_lwpolyline([(0, 0), (200, 0), (200, 120), (0, 120)], close=True)
msp.add_line((0, 0), (200, 120), dxfattribs={"linetype": "DASHED", "ltscale": 10})
msp.add_line((0, 120), (200, 0), dxfattribs={"linetype": "CENTER", "ltscale": 10})
msp.add_line((10, 110), (90, 110), dxfattribs={"linetype": "DASHDOT", "ltscale": 10})

# Circles and arcs.
msp.add_circle((30, 30), 15)
msp.add_arc((30, 30), 22, 20, 160)
msp.add_arc((70, 30), 10, 200, 340)

# A bulged polyline, a wide one, one that narrows, and an old-style one with bulges.
msp.add_lwpolyline([(100, 10, 0, 0, 0.5), (140, 10, 0, 0, 0), (140, 40, 0, 0, -1), (100, 40)], format="xyseb")
msp.add_lwpolyline([(150, 10), (190, 10), (190, 30)], dxfattribs={"const_width": 3})
msp.add_lwpolyline([(150, 45, 6, 0, 0), (190, 45, 0, 0, 0)], format="xyseb")
pl = msp.add_polyline2d([(100, 55), (130, 55), (130, 75)])
for v, bulge in zip(pl.vertices, (0.4, 0.0, 0.0)):
    v.dxf.bulge = bulge
old = msp.add_polyline2d([(140, 60), (190, 60)])
old.vertices[0].dxf.start_width = 2
old.vertices[0].dxf.end_width = 2

# Hatches: solid with an island, a line pattern, a dashed pattern.
h = msp.add_hatch(color=1)
h.paths.add_polyline_path([(10, 60), (50, 60), (50, 95), (10, 95)], is_closed=True)
h.paths.add_polyline_path([(20, 70), (40, 70), (40, 85), (20, 85)], is_closed=True)
h2 = msp.add_hatch()
h2.set_pattern_fill("ANSI31", color=3, scale=1.0)
h2.paths.add_polyline_path([(60, 60), (90, 60), (90, 95), (60, 95)], is_closed=True)
h3 = msp.add_hatch()
h3.set_pattern_fill("ANSI33", color=5, scale=1.0)
edges = h3.paths.add_edge_path()
edges.add_line((100, 85), (130, 85))
edges.add_arc((130, 95), 10, -90, 90)
edges.add_line((130, 105), (100, 105))
edges.add_line((100, 105), (100, 85))

# Ellipses, a spline, a solid and a face.
msp.add_ellipse((165, 90), major_axis=(20, 5), ratio=0.4)
msp.add_ellipse((165, 90), major_axis=(0, 12), ratio=0.5, start_param=0, end_param=math.pi)
msp.add_open_spline([(10, 5), (40, -5), (70, 15), (100, 0), (120, 8)], degree=3)
msp.add_solid([(145, 100), (160, 100), (145, 115), (160, 115)], dxfattribs={"color": 4})
msp.add_3dface([(170, 100), (195, 100), (195, 115), (170, 115)])

doc.saveas(sys.argv[1] if len(sys.argv) > 1 else "reference.dxf")
