#!/bin/sh
# Damaged drawings are refused with the line, never opened as a smaller drawing:
# copies of the example cut short at twenty places, an arrow without its subclass
# marker, binary data that is not hexadecimal. A handle seed that leaves no handles is
# mended with a warning; a drawing that would insert itself is refused. Arguments: QDHOST HXANCHOR EXAMPLE ARROWS_SCRIPT WORK
set -u
qdhost=$1 hxanchor=$2 example=$3 arrows=$4 work=$5
rm -rf "$work"
mkdir -p "$work"
status=0
refused() {  # NAME FILE [qdhost options]: the file must not open, and the message names a line
  name=$1 file=$2
  shift 2
  if "$qdhost" --quiet --no-modules "$@" --open "$file" --save "$work/out.dxf" 2>"$work/err.txt"; then
    echo "$name: opened without a word"
    status=1
  elif ! grep -q "line [0-9]" "$work/err.txt"; then
    echo "$name: the message names no line:"
    cat "$work/err.txt"
    status=1
  fi
}

size=$(wc -c < "$example")
# The last cut keeps all but the final line, EOF's value.
for k in $(seq 1 20); do
  cut=$((size * k / 21))
  head -c "$cut" "$example" > "$work/cut$k.dxf"
  refused "cut at byte $cut" "$work/cut$k.dxf"
done
head -n -1 "$example" > "$work/no_eof.dxf"
refused "without the value of EOF" "$work/no_eof.dxf"

"$qdhost" --quiet --no-modules --module "$hxanchor" --script "$arrows" --save "$work/arrows.dxf" >/dev/null 2>&1
awk 'prev == "100" && $0 == "Hxarrow" && !done { done = 1; drop = 1 }
     { if (drop) { drop = 0; lines[n - 1] = ""; n--; } else lines[n++] = $0; prev = $0 }
     END { for (i = 0; i < n; i++) print lines[i] }' "$work/arrows.dxf" > "$work/arrow_unmarked.dxf"
if cmp -s "$work/arrows.dxf" "$work/arrow_unmarked.dxf"; then
  echo "the arrow's subclass marker was not found to remove"
  status=1
fi
refused "an arrow without its subclass marker" "$work/arrow_unmarked.dxf" --module "$hxanchor"

# Binary data in a line of the example, of odd length, then not hexadecimal.
for bad in ABC ZZ; do
  sed "0,/^AcDbLine\$/s//AcDbLine\n310\n$bad/" "$example" > "$work/binary_$bad.dxf"
  grep -q "^$bad\$" "$work/binary_$bad.dxf" || { echo "binary group $bad not inserted"; status=1; }
  refused "binary data $bad" "$work/binary_$bad.dxf"
done

# The seed says no handle is left: new objects still get fresh, distinct handles.
sed '/^\$HANDSEED$/{n;n;s/.*/FFFFFFFFFFFFFFFF/}' "$example" > "$work/seed.dxf"
grep -q '^FFFFFFFFFFFFFFFF$' "$work/seed.dxf" || { echo "handle seed not replaced"; status=1; }
printf '(entmake (list (cons 0 "LINE") (list 10 0.0 0.0 0.0) (list 11 1.0 0.0 0.0)))\n(entmake (list (cons 0 "LINE") (list 10 0.0 0.0 0.0) (list 11 2.0 0.0 0.0)))\n' > "$work/seed.scr"
if ! "$qdhost" --quiet --no-modules --open "$work/seed.dxf" --script "$work/seed.scr" --save "$work/seed_out.dxf" \
  --transcript "$work/seed.txt"; then
  echo "the drawing with a spent handle seed did not open"
  status=1
fi
grep -q 'leaves no handles' "$work/seed.txt" || { echo "no warning about the spent handle seed"; status=1; }
dups=$(awk 'prev == "  5" { print } { prev = $0 }' "$work/seed_out.dxf" | sort | uniq -d | wc -l)
if [ "$dups" -ne 0 ]; then
  echo "the saved drawing holds $dups duplicate handles"
  status=1
fi
# A drawing inserted as a block of the name of a block its model space inserts would
# insert itself: refused with the host's message.
cp "$example" "$work/DVERE_800.dxf"
printf '(command "._-INSERT" "%s" "0,0" "" "" "")\nexpect text Block DVERE_800 references itself.\nexpect lisp (tblsearch "BLOCK" "DVERE_800") nil\n' \
  "$work/DVERE_800.dxf" > "$work/self_insert.scr"
if ! "$qdhost" --quiet --no-modules --script "$work/self_insert.scr" --transcript "$work/self_insert.txt"; then
  echo "a drawing inserting itself was not refused as it should be:"
  cat "$work/self_insert.txt"
  status=1
fi
exit $status
