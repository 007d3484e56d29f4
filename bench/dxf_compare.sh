#!/bin/sh
# The DXF benchmark: generates drawings of a whole building (none, 20,000 and 200,000
# entities; bench/make_building.py, seeded) and, in one run, opens and saves each with
# the host (bench_dxf_open_save), with ezdxf (Debian's python3-ezdxf) and parses it with
# dxflib (bench_dxflib_count, when libdxflib-dev was there at the build), printing the
# times, the peak memory and the ratios. Best of three runs for the C++ programs.
# Arguments: BUILD_DIR [WORK_DIR]   (a release build: cmake -DCMAKE_BUILD_TYPE=Release)
set -eu
build=$1
work=${2:-/tmp/qd_dxf_bench}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
for n in 0 20000 200000; do
  [ -f "$work/building_$n.dxf" ] || /usr/bin/python3 "$here/make_building.py" "$n" "$work/building_$n.dxf"
done

best() {  # the run of three with the least time in the fields named in $1 together
  fields=$1; shift
  for i in 1 2 3; do "$@"; done | awk -v f="$fields" '{ t = 0; for (i = 1; i < NF; i++) if (index(" " f " ", " " $i " ")) t += $(i + 1); if (!n || t < b) { b = t; l = $0 }; n++ } END { print l }'
}

ezdxf_run() {
  /usr/bin/python3 - "$1" "$work/ezdxf_out.dxf" <<'PY'
import resource, sys, time
import ezdxf
t0 = time.perf_counter()
doc = ezdxf.readfile(sys.argv[1])
t1 = time.perf_counter()
doc.saveas(sys.argv[2])
t2 = time.perf_counter()
print(f"open {1000 * (t1 - t0):.0f} ms save {1000 * (t2 - t1):.0f} ms peak {resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024:.1f} MiB")
PY
}

field() { echo "$1" | awk -v f="$2" '{ for (i = 1; i < NF; i++) if ($i == f) print $(i + 1) }'; }

printf "%-9s %8s | %9s %9s %9s | %9s %9s %9s | %9s | %8s %8s %8s\n" entities MB qd_open qd_save qd_peak ez_open ez_save ez_peak dxflib "ez/qd" "dxfl/qd" "mem"
for n in 0 20000 200000; do
  f="$work/building_$n.dxf"
  qd=$(best "open save" "$build/bench/bench_dxf_open_save" "$f" "$work/qd_out.dxf")
  ez=$(ezdxf_run "$f")
  if [ -x "$build/bench/bench_dxflib_count" ]; then dl=$(field "$(best parse "$build/bench/bench_dxflib_count" "$f")" parse); else dl=-; fi
  qo=$(field "$qd" open); qs=$(field "$qd" save); qp=$(field "$qd" peak)
  eo=$(field "$ez" open); es=$(field "$ez" save); ep=$(field "$ez" peak)
  mb=$(du -m "$f" | cut -f1)
  awk -v n="$n" -v mb="$mb" -v qo="$qo" -v qs="$qs" -v qp="$qp" -v eo="$eo" -v es="$es" -v ep="$ep" -v dl="$dl" 'BEGIN {
    r1 = (qo + qs) > 0 ? (eo + es) / (qo + qs) : 0; r2 = (dl != "-" && qo > 0) ? dl / qo : 0; r3 = qp > 0 ? ep / qp : 0
    printf "%-9s %8s | %7s ms %7s ms %5s MiB | %7s ms %7s ms %5s MiB | %6s ms | %7.1fx %7.1fx %7.1fx\n", n, mb, qo, qs, qp, eo, es, ep, dl, r1, r2, r3 }'
  eval "qo_$n=$qo qs_$n=$qs qp_$n=$qp"
done
# Growth beyond the fixed start-up (the drawing of no entities).
awk -v a="$qo_20000" -v b="$qs_20000" -v c="$qo_200000" -v d="$qs_200000" -v z="$qo_0" -v y="$qs_0" \
    -v m0="$qp_0" -v m1="$qp_20000" -v m2="$qp_200000" 'BEGIN {
  t1 = a + b - z - y; t2 = c + d - z - y
  printf "200,000 against 20,000 beyond start-up: time %.1fx, memory %.1fx\n", (t1 > 0 ? t2 / t1 : 0), (m1 - m0 > 0 ? (m2 - m0) / (m1 - m0) : 0) }'
