# A user settings file whose kind 0 hangs its rows ("Center") in variant II and centres
# them ("MC") in variant III; variant I keeps the default "BL".
qdhost=$1 module=$2 work=$3
printf 'QDLBL\ndialog qdlbl\nclick save_all\ncancel\n' > "$work/first.scr"
"$qdhost" --quiet --no-modules --module "$module" --data "$work/data" --env "TVDAT=$work/tvdat" \
  --script "$work/first.scr" --transcript "$work/first.txt"
/usr/bin/python3 - "$work/tvdat/QDLBL_U.SET" <<'PY'
import sys
path = sys.argv[1]
b = bytearray(open(path, "rb").read())
for variant, pos in ((1, "Center"), (2, "MC")):
    at = 77 + (variant * 9 + 0) * 648 + 134
    b[at:at + 66] = pos.encode("utf-16-le").ljust(66, b"\0")
open(path, "wb").write(b)
PY
