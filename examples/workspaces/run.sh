#!/bin/sh
# Runs the workspace manager's example session on a copy of the floor plan in OUT (the
# drawing's folder, where the menu is written): the drawing, its picture, the
# transcript, the menu and the pictures of the dialogs shown.
# Arguments: QDHOST MODULE_FOLDER DATA OUT
set -eu
qdhost=$1 modules=$2 data=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out/tvdat"
cp "$data/QDSTRAT.QDL" "$out/tvdat/"
cp "$here/../floor_plan.dxf" "$out/floor_plan.dxf"
cd "$out"
"$qdhost" --quiet --data "$data" --open floor_plan.dxf --no-modules --modules "$modules" --module "$modules/Qdstrat.so" \
  --env "TVDAT=$out/tvdat" --dialogs dialogs --script "$here/session.scr" \
  --save drawing.dxf --svg drawing.svg --transcript transcript.txt
