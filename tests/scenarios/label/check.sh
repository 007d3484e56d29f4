#!/bin/sh
# Runs a label scenario on a fresh copy of the data folder and a fresh TVDAT folder
# holding the default settings file. Beside NAME.scr may lie:
#   NAME.setup.sh  run first with QDHOST MODULE WORK (it may take files away or make some);
#   NAME.check.py  run afterwards with WORK, for what the files and the drawing must hold.
# Arguments: QDHOST MODULE DATA SCRIPT WORK
set -eu
qdhost=$1 module=$2 data=$3 script=$4 work=$5
base="${script%.scr}"
rm -rf "$work"
mkdir -p "$work/tvdat"
cp -r "$data" "$work/data"
cp "$data/QDLBL.SET" "$work/tvdat/"
if [ -f "$base.setup.sh" ]; then sh "$base.setup.sh" "$qdhost" "$module" "$work"; fi
open=""
if [ -f "$work/open.dxf" ]; then open="--open $work/open.dxf"; fi
# shellcheck disable=SC2086
"$qdhost" --quiet --no-modules --module "$module" --data "$work/data" --env "TVDAT=$work/tvdat" \
  --dialogs "$work/dialogs" $open --script "$script" --transcript "$work/transcript.txt" --save "$work/drawing.dxf" \
  --svg "$work/drawing.svg"
# The checks share a helper beside them; no compiled copy of it is left in the sources.
if [ -f "$base.check.py" ]; then PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$base.check.py" "$work"; fi
