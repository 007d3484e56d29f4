#!/bin/sh
# Runs a table scenario with the table module and the workbook library. Workbooks go
# into WORK/xls. Beside NAME.scr may lie:
#   NAME.env       further "--env NAME=VALUE" arguments, one a line (WORK stands for the folder);
#   NAME.check.py  run afterwards with WORK, for what the drawing, its picture and the
#                  workbooks must hold.
# Arguments: QDHOST MODULE_DIR DATA SCRIPT WORK
set -eu
qdhost=$1 modules=$2 data=$3 script=$4 work=$5
base="${script%.scr}"
rm -rf "$work"
mkdir -p "$work/xls"
env="--env TVXLS=$work/xls"
if [ -f "$base.env" ]; then
  while IFS= read -r line; do env="$env --env $(printf '%s' "$line" | sed "s|WORK|$work|g")"; done < "$base.env"
fi
# shellcheck disable=SC2086
"$qdhost" --quiet --no-modules --modules "$modules" --module "$modules/Qdgrid.so" --data "$data" $env \
  --dialogs "$work/dialogs" --script "$script" --transcript "$work/transcript.txt" --save "$work/drawing.dxf" \
  --svg "$work/drawing.svg"
if [ -f "$base.check.py" ]; then PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$base.check.py" "$work"; fi
