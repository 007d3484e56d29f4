#!/bin/sh
# Runs a workspace manager scenario through a host module (Qdstrat.arx, or the light
# edition's QDSTRAT.CRX for scripts named light_*), with the shipped definition file in a
# fresh TVDAT folder. NAME.check.py, when there, runs afterwards with WORK and the folder
# the manager's script is written to (beside qdhost).
# Arguments: QDHOST MODULE DATA SCRIPT WORK
set -eu
qdhost=$1 module=$2 data=$3 script=$4 work=$5
base="${script%.scr}"
rm -rf "$work"
mkdir -p "$work/tvdat"
cp "$data/QDSTRAT.QDL" "$work/tvdat/"
rm -f "$(dirname "$qdhost")/QDSTRAT.SCR"
"$qdhost" --quiet --no-modules --modules "$(dirname "$module")" --module "$module" --data "$data" \
  --env "TVDAT=$work/tvdat" --script "$script" --transcript "$work/transcript.txt" --save "$work/drawing.dxf"
if [ -f "$base.check.py" ]; then PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$base.check.py" "$work" "$(dirname "$qdhost")"; fi
