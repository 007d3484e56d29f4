#!/bin/sh
# Makes the reference drawing with ezdxf and reviews it through QDPURGE in a scratch data
# folder. Arguments: QDHOST QDLBL DATA WORK
set -eu
qdhost=$1 module=$2 data=$3 work=$4
dir=$(dirname "$0")
rm -rf "$work"
mkdir -p "$work"
# Only the supplied list: its protection masks would hide nothing here.
printf '[LAYER]\r\n0 1\r\nDEFPOINTS 1\r\n' > "$work/QDPURGE.DAT"
/usr/bin/python3 "$dir/make_drawing.py" "$work/references.dxf"
"$qdhost" --quiet --no-modules --module "$module" --env "TVDAT=$work" --open "$work/references.dxf" \
  --script "$dir/review.scr" --transcript "$work/transcript.txt"
