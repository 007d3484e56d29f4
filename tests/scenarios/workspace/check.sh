#!/bin/sh
# Runs a workspace manager scenario through the host module Qdstrat.arx, with the shipped
# definition file in a fresh TVDAT folder. NAME.check.py, when there, runs afterwards
# with WORK and the folder the manager's script is written to (beside qdhost).
# Arguments: QDHOST MODULE_DIR DATA SCRIPT WORK
set -eu
qdhost=$1 modules=$2 data=$3 script=$4 work=$5
base="${script%.scr}"
rm -rf "$work"
mkdir -p "$work/tvdat"
cp "$data/QDSTRAT.QDL" "$work/tvdat/"
rm -f "$(dirname "$qdhost")/QDSTRAT.SCR"
"$qdhost" --quiet --no-modules --modules "$modules" --module "$modules/Qdstrat.so" --data "$data" \
  --env "TVDAT=$work/tvdat" --script "$script" --transcript "$work/transcript.txt" --save "$work/drawing.dxf"
if [ -f "$base.check.py" ]; then PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$base.check.py" "$work" "$(dirname "$qdhost")"; fi
