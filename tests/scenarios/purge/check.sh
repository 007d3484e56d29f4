#!/bin/sh
# Runs a purge scenario in a fresh data folder holding the default purge list (and the
# user's list when the script has one beside it, NAME.user.dat), then checks that the
# user file it wrote has every line of the expected file.
# Arguments: QDHOST MODULE DATA SCRIPT EXPECTED WORK
set -eu
qdhost=$1 module=$2 data=$3 script=$4 expected=$5 work=$6
rm -rf "$work"
mkdir -p "$work"
cp "$data/QDPURGE.DAT" "$work/"
user="${script%.scr}.user.dat"
if [ -f "$user" ]; then cp "$user" "$work/QDPURGE_U.DAT"; fi
"$qdhost" --quiet --no-modules --module "$module" --env "TVDAT=$work" --script "$script" \
  --transcript "$work/transcript.txt" --save "$work/drawing.dxf"
tr -d '\r' < "$work/QDPURGE_U.DAT" > "$work/user.txt"
while IFS= read -r line; do
  if ! grep -qxF -- "$line" "$work/user.txt"; then
    echo "QDPURGE_U.DAT lacks: $line"
    cat "$work/user.txt"
    exit 1
  fi
done < "$expected"
