#!/bin/sh
# qdhost with write faults injected by strace (a full disk, a failing flush, a refused
# rename): the run must fail, and the drawing, picture and transcript it was to replace
# must keep their old content. Arguments: QDHOST DATA WORK [sanitized]
set -u
qdhost=$1 data=$2 work=$3 sanitized=${4:-}
rm -rf "$work"
mkdir -p "$work"
status=0
faults="write:error=ENOSPC fsync:error=EIO rename:error=EACCES"
# The sanitizers' runtime writes to a pipe of its own and aborts when every write fails;
# its builds test the full disk through the unit tests' fault seam instead.
[ -n "$sanitized" ] && faults="fsync:error=EIO rename:error=EACCES"
for fault in $faults; do
  for f in out.dxf out.svg out.txt; do printf 'old\n' > "$work/$f"; done
  # LeakSanitizer cannot work under ptrace; the other builds' runs check for leaks.
  ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -e trace="${fault%%:*}" -e inject="$fault" \
    "$qdhost" --quiet --no-modules --data "$data" --script "$(dirname "$0")/session.scr" --save "$work/out.dxf" --svg "$work/out.svg" \
    --transcript "$work/out.txt" 2>"$work/stderr.txt"
  code=$?
  if [ "$code" -eq 0 ]; then
    echo "$fault: qdhost exited 0"
    status=1
  fi
  for f in out.dxf out.svg out.txt; do
    if [ "$(cat "$work/$f")" != old ]; then
      echo "$fault: $f lost its old content"
      status=1
    fi
  done
  if [ "$(ls "$work" | wc -l)" -ne 4 ]; then
    echo "$fault: temporary files left behind:"
    ls "$work"
    status=1
  fi
done
exit $status
