"""The saved drawing has one block TVHK_DEF_BE, holding one settings entity (DESC_PAR), and no other
definition of that name (the earlier ones were erased, not kept)."""
import sys
import ezdxf

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
names = [b.name for b in doc.blocks if b.name.upper() == "TVHK_DEF_BE"]
assert names == ["TVHK_DEF_BE"], names
kinds = [e.dxftype() for e in doc.blocks.get("TVHK_DEF_BE")]
assert kinds == ['_T("TEXT_PAR")'], kinds  # the settings entity files under this name
