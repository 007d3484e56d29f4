"""Writes a drawing whose records are used only in ways a purge must see: a text style by
an MTEXT, dimension styles by a DIMENSION and a LEADER, a dimension's block, the arrow
block and linetype of a dimension style, a text style by a linetype's text, a layer and
a linetype only in a second layout. One record of each kind is unused.
Argument: the DXF file to write."""
import sys

import ezdxf

doc = ezdxf.new("R2018")
doc.styles.new("MT_STYLE", dxfattribs={"font": "arial.ttf"})
doc.styles.new("UNUSED_STYLE")
arrow = doc.blocks.new("ARROW_BLK")
arrow.add_line((0, 0), (1, 0))
doc.linetypes.add("DIM_LT", pattern=[0.5, 0.25, -0.25])
doc.dimstyles.new("DIM_STYLE")
# Named only by the style of a leader, which draws no block of its own.
doc.dimstyles.new("LEADER_STYLE", dxfattribs={"dimblk": "ARROW_BLK", "dimltype": "DIM_LT"})
doc.dimstyles.new("TOL_STYLE")
doc.dimstyles.new("UNUSED_DIM")
doc.layers.add("SHEET_LAYER")
doc.layers.add("UNUSED_LAYER")
# The text of a complex linetype names its style.
doc.styles.new("LT_STYLE", dxfattribs={"font": "txt"})
doc.linetypes.add("SHEET_LT", pattern='A,.5,-.2,["GAS",LT_STYLE,S=.1,U=0.0,X=-0.1,Y=-.05],-.25', length=0.95)
doc.linetypes.add("UNUSED_LT", pattern=[0.5, 0.25, -0.25])
doc.blocks.new("UNUSED_BLOCK")
msp = doc.modelspace()
msp.add_mtext("Poznámka", dxfattribs={"style": "MT_STYLE"})
dim = msp.add_linear_dim(base=(0, 5), p1=(0, 0), p2=(10, 0), dimstyle="DIM_STYLE")
dim.render()
msp.add_leader([(0, 0), (5, 5)], dimstyle="LEADER_STYLE")
msp.new_entity("TOLERANCE", dxfattribs={"dimstyle": "TOL_STYLE", "insert": (1, 1), "content": "%%c0.1"})
sheet = doc.layouts.new("Sheet 2")
sheet.add_line((0, 0), (10, 10), dxfattribs={"layer": "SHEET_LAYER", "linetype": "SHEET_LT"})
doc.saveas(sys.argv[1])
