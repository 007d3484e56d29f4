# Kind 0 drawn thin in variant II and in its own colour 3 in variant III. The drawing
# opened comes from elsewhere: two labels of kind 1 refer to a text style and to a
# linetype its tables lack.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3"
kind_fields "$3" 1 0 bold_line 0  2 0 color_text 3
/usr/bin/python3 - "$3/open.dxf" <<'PY'
import sys
import ezdxf
doc = ezdxf.new("R2000")
for app in ("$B1", "$B2", "TV_TEXT_REF", "TV_TEXT_SCL", "TV_TEXT_1", "TV_TEXT", "BE_TEXT_JUST", "BE_TEXT_REFL"):
    doc.appids.new(app)
msp = doc.modelspace()
for identity, y, style, linetype in (("$B1", 20000, "CHYBI", "CONTINUOUS"), ("$B2", 30000, "STANDARD", "CHYBI")):
    text = msp.add_text("Cizi", dxfattribs={"insert": (0, y), "height": 250, "style": "STANDARD"})
    text.dxf.style = style
    text.set_xdata(identity, [(1000, "BE")])
    text.set_xdata("TV_TEXT_REF", [(1070, 11)])
    text.set_xdata("TV_TEXT_SCL", [(1070, -1)])
    text.set_xdata("TV_TEXT_1", [(1070, 0)])
    text.set_xdata("BE_TEXT_JUST", [(1000, "BL")])
    line = msp.add_line((-1000, y - 1000), (0, y))
    line.dxf.linetype = linetype
    line.set_xdata(identity, [(1000, "BE")])
    line.set_xdata("TV_TEXT_1", [(1070, 0)])
    line.set_xdata("BE_TEXT_REFL", [(1000, "11")])
    line.set_xdata("TV_TEXT", [(1000, identity)])
doc.saveas(sys.argv[1])
PY
