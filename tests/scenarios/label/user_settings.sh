# Writes a user settings file with "save_all" in a session of its own, then sets the
# justification of some blocks. Sourced by the setups of scenarios.
# Usage: user_settings QDHOST MODULE WORK [VARIANT KIND JUSTIFICATION]...
user_settings() {
  qdhost=$1 module=$2 work=$3
  shift 3
  printf 'QDLBL\ndialog qdlbl\nclick save_all\ncancel\n' > "$work/first.scr"
  "$qdhost" --quiet --no-modules --module "$module" --data "$work/data" --env "TVDAT=$work/tvdat" \
    --script "$work/first.scr" --transcript "$work/first.txt"
  /usr/bin/python3 - "$work/tvdat/QDLBL_U.SET" "$@" <<'PY'
import sys
path, changes = sys.argv[1], sys.argv[2:]
b = bytearray(open(path, "rb").read())
for variant, kind, pos in zip(changes[0::3], changes[1::3], changes[2::3]):
    at = 77 + (int(variant) * 9 + int(kind)) * 648 + 134
    b[at:at + 66] = pos.encode("utf-16-le").ljust(66, b"\0")
open(path, "wb").write(b)
PY
}

# Sets fields of kind blocks in the user settings file user_settings wrote.
# Usage: kind_fields WORK [VARIANT KIND FIELD VALUE]...
kind_fields() {
  work=$1
  shift
  /usr/bin/python3 "$(dirname "$0")/patch_settings.py" "$work/tvdat/QDLBL_U.SET" "$@"
}
