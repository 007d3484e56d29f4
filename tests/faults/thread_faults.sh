#!/bin/sh
# qdhost where no thread can be started (strace makes every clone fail with EAGAIN): a
# drawing large enough to be read, checked, parsed and written on two cores is opened and
# saved on the one thread there is, and comes out as it does with threads.
# Arguments: QDHOST MAKE_BUILDING WORK
set -u
qdhost=$1 make=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
/usr/bin/python3 "$make" 50000 "$work/building.dxf" || exit 1
if ! "$qdhost" --quiet --no-modules --open "$work/building.dxf" --save "$work/threads.dxf"; then
  echo "qdhost failed with threads"
  exit 1
fi
status=0
# LeakSanitizer cannot work under ptrace; the other builds' runs check for leaks.
ASAN_OPTIONS=detect_leaks=0 strace -f -o "$work/strace.txt" -e trace=clone,clone3 -e inject=clone,clone3:error=EAGAIN \
  "$qdhost" --quiet --no-modules --open "$work/building.dxf" --save "$work/alone.dxf" 2>"$work/stderr.txt"
code=$?
if [ "$code" -ne 0 ]; then
  echo "qdhost without threads exited $code:"
  cat "$work/stderr.txt"
  status=1
fi
if ! grep -q "EAGAIN" "$work/strace.txt"; then
  echo "no thread was refused"
  status=1
fi
if ! cmp "$work/threads.dxf" "$work/alone.dxf"; then
  echo "the drawing saved without threads differs"
  status=1
fi
exit $status
