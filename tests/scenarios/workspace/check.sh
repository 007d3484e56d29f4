#!/bin/sh
# Runs a workspace manager scenario through a host module (Qdstrat.arx, or the light
# edition's QDSTRAT.CRX for scripts named light_*), with the shipped definition file in a
# fresh TVDAT folder; with NAME.options there, the file is made again by its tool with
# those leading settings (the options the manager starts from). NAME.check.py, when
# there, runs afterwards with WORK and the folder the manager's script is written to
# (beside qdhost). The session runs in WORK, where the files it names are written; the
# pictures of the dialogs shown go to WORK/dialogs.
# Arguments: QDHOST MODULE DATA SCRIPT WORK
set -eu
qdhost=$1 module=$2 data=$3 script=$4 work=$5
base="${script%.scr}"
rm -rf "$work"
mkdir -p "$work/tvdat"
if [ -f "$base.options" ]; then
  /usr/bin/python3 "$data/../tools/make_workspaces/make_workspaces.py" "$data/product.txt" "$work/tvdat/QDSTRAT.QDL" \
    "$(cat "$base.options")"
else
  cp "$data/QDSTRAT.QDL" "$work/tvdat/"
fi
rm -f "$(dirname "$qdhost")/QDSTRAT.SCR"
cd "$work"
"$qdhost" --quiet --no-modules --modules "$(dirname "$module")" --module "$module" --data "$data" \
  --env "TVDAT=$work/tvdat" --dialogs "$work/dialogs" --script "$script" --transcript "$work/transcript.txt" --save "$work/drawing.dxf"
if [ -f "$base.check.py" ]; then PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$base.check.py" "$work" "$(dirname "$qdhost")"; fi
