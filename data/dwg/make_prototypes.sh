#!/bin/sh
# Writes QDBED-MM.dxf and QDBED-M.dxf with qdhost from prototype.scr.
# Usage: data/dwg/make_prototypes.sh path/to/qdhost
set -eu
qdhost=$1
dir=$(dirname "$0")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
echo '(setq f 1.0)' > "$tmp/mm.scr"
echo '(setq f 0.001)' > "$tmp/m.scr"
"$qdhost" --quiet --no-modules --script "$tmp/mm.scr" --script "$dir/prototype.scr" --save "$dir/QDBED-MM.dxf"
"$qdhost" --quiet --no-modules --script "$tmp/m.scr" --script "$dir/prototype.scr" --save "$dir/QDBED-M.dxf"
