#!/usr/bin/env bash
# Capture of disc images against the libraries' own listers: builds a tree of
# 100,000 files (1,000 folders of 100) in a temporary folder, makes
#   an ISO 9660 image with Rock Ridge and Joliet (xorriso) and
#   a hybrid image whose UDF side is read (genisoimage -udf),
# warms the cache, then times (best of RUNS)
#   zutomelark-cli capture ISO       against  bsdtar -tvf ISO > /dev/null
#   zutomelark-cli capture UDF-IMAGE against  udf_lister UDF-IMAGE > /dev/null
# (a capture also writes the stock file and its name index; the listers only
# list), and the peak memory (maximum resident set) of each capture against a
# capture of the folder the images were made from (and of the references,
# which tells what the libraries themselves hold).
#
# usage: bench/image_bench.sh [build folder] [runs]
# Use a Release build, e.g.
#   cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZT_CORE_ONLY=ON
#   cmake --build build-release --target zutomelark-cli udf_lister
set -euo pipefail

build=${1:-build-release}
runs=${2:-5}
cli=$build/zutomelark-cli
lister=$build/udf_lister
for p in "$cli" "$lister"; do [ -x "$p" ] || { echo "no program at $p" >&2; exit 2; }; done
for t in xorriso genisoimage bsdtar; do
    command -v $t >/dev/null || { echo "$t is not installed (scripts/install-deps)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zt-image-bench-XXXXXX")
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
src="$work/tree"
mkdir -p "$src"
python3 - "$src" <<'PY'
import os, sys
root = sys.argv[1]
for a in range(1000):
    d = os.path.join(root, f"folder{a:04d}")
    os.mkdir(d)
    for f in range(100):
        with open(os.path.join(d, f"file{f:03d}.txt"), "wb") as fh:
            fh.write(b"x" * (f % 7))
PY
xorriso -as mkisofs -quiet -R -J -V BENCH_ISO -o "$work/bench.iso" "$src" 2>/dev/null
genisoimage -quiet -R -J -udf -V BENCH_UDF -o "$work/bench-udf.iso" "$src" 2>/dev/null
echo "files: $(find "$src" -type f | wc -l), ISO $(stat -c %s "$work/bench.iso") bytes, UDF hybrid $(stat -c %s "$work/bench-udf.iso") bytes"

now() { date +%s.%N; }
# best TIME of running "$@" RUNS times, each into a Data folder of its own
best() {
    local best=999999 t0 t1 x
    for i in $(seq 1 "$runs"); do
        rm -rf "$work/data"; mkdir -p "$work/data"
        t0=$(now); "$@" > /dev/null 2>&1; t1=$(now)
        x=$(echo "$t1 - $t0" | bc -l)
        best=$(echo "if ($x < $best) $x else $best" | bc -l)
    done
    echo "$best"
}
peak() {
    rm -rf "$work/data"; mkdir -p "$work/data"
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1
}
capture() { "$cli" --data "$work/data" capture --quiet "$1"; }

# Warm the cache.
cat "$work/bench.iso" "$work/bench-udf.iso" > /dev/null; find "$src" > /dev/null

iso=$(best capture "$work/bench.iso")
tar=$(best bsdtar -tvf "$work/bench.iso")
udf=$(best capture "$work/bench-udf.iso")
ref=$(best "$lister" "$work/bench-udf.iso")
printf 'ISO 9660: capture %.3f s, bsdtar -tvf %.3f s, ratio %.2f\n' "$iso" "$tar" "$(echo "$iso / $tar" | bc -l)"
printf 'UDF:      capture %.3f s, udf_lister %.3f s, ratio %.2f\n' "$udf" "$ref" "$(echo "$udf / $ref" | bc -l)"
folderPeak=$(peak "$cli" --data "$work/data" capture --quiet "$src")
isoPeak=$(peak "$cli" --data "$work/data" capture --quiet "$work/bench.iso")
udfPeak=$(peak "$cli" --data "$work/data" capture --quiet "$work/bench-udf.iso")
tarPeak=$(peak bsdtar -tvf "$work/bench.iso")
listerPeak=$(peak "$lister" "$work/bench-udf.iso")
printf 'peak memory of the references: bsdtar -tvf %d KiB, udf_lister %d KiB\n' "$tarPeak" "$listerPeak"
printf 'peak memory: folder capture %d KiB, ISO capture %d KiB (%.2fx), UDF capture %d KiB (%.2fx)\n' \
    "$folderPeak" "$isoPeak" "$(echo "$isoPeak / $folderPeak" | bc -l)" \
    "$udfPeak" "$(echo "$udfPeak / $folderPeak" | bc -l)"
