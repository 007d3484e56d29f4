#!/bin/sh
# The product at work on the bundled floor plan: one qdhost session runs the scripts of
# this folder in order (labels of all nine kinds, the door schedule drawn and exported,
# arrows, a layer workspace defined and set, the purge, and a copy exported for programs
# without the modules), with every module of the module folder loaded. Everything it
# writes goes into OUT: the drawing (drawing.dxf) and that copy (ACAD-drawing.dxf), its
# picture (drawing.svg and drawing.png), the workbook (xls/), the transcript, the
# pictures of the dialogs shown (dialogs/) and the product's data folder it ran with
# (tvdat/, so that the shipped data/ is never changed).
# Arguments: [BUILD_DIR [OUT_DIR]]   (defaults: build and out)
set -eu
build=${1:-build}
out=${2:-out}
here=$(cd "$(dirname "$0")" && pwd)
data="$here/../../data"
qdhost="$(cd "$build/tools/qdhost" && pwd)/qdhost"
modules=$(cd "$build/modules" && pwd)
[ -x "$qdhost" ] || { echo "run.sh: no qdhost in $build (build it first)" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out/tvdat" "$out/xls"
out=$(cd "$out" && pwd)
cp "$data/QDLBL.SET" "$data/QDPURGE.DAT" "$data/QDSTRAT.QDL" "$out/tvdat/"
# The drawing's folder is where the workspace menu is written.
cp "$here/../floor_plan.dxf" "$out/floor_plan.dxf"
start=$(date +%s.%N)
status=0
(cd "$out" && "$qdhost" --quiet --data "$data" --modules "$modules" --open floor_plan.dxf \
  --env "TVDAT=$out/tvdat" --env "TVXLS=$out/xls" --dialogs dialogs \
  --script "$here/labels.scr" --script "$here/../tables/door_schedule.scr" --script "$here/arrows.scr" \
  --script "$here/workspace.scr" --script "$here/purge.scr" --script "$here/export.scr" \
  --save drawing.dxf --svg drawing.svg --png drawing.png --transcript transcript.txt) || status=$?
end=$(date +%s.%N)
echo "The session ran in $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s; what it wrote is in $out:"
(cd "$out" && find . -type f ! -path './tvdat/*' | sort -V | sed 's|^\./|  |')
exit $status
