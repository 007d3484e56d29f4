"""The second leader, whose element had no identity, keeps the label's own; every
entity of the label names the label's own identity under TV_TEXT."""
import sys
import ezdxf

doc = ezdxf.readfile(sys.argv[1] + "/drawing.dxf")
leaders = [e for e in doc.modelspace().query("LINE") if e.has_xdata("BE_TEXT_REFL")]
assert len(leaders) == 2, leaders
own = {e.get_xdata("TV_TEXT")[0].value for e in leaders}
assert len(own) == 1, own
own = own.pop()
assert leaders[0].has_xdata("$E3") and not leaders[0].has_xdata(own)
assert leaders[1].has_xdata(own) and not leaders[1].has_xdata("$E3")
