#!/usr/bin/env bash
# Capture speed against find: builds a tree of 200,000 entries (10,000 folders,
# 190,000 files) in a temporary folder, warms the cache, then times
#   zutomelark-cli capture DIR        (read the tree, write the stock file)
#   find DIR -printf '%s %T@ %p\n'    (the reference: the same stat per entry)
# and prints both times and their ratio (target: capture within 2x of find).
# Then the name index of one captured stock built again on its own
#   zutomelark-cli index STOCK        (after removing its index file)
# against the capture (which includes building it), and its size.
#
# usage: bench/capture_bench.sh [path/to/zutomelark-cli] [runs]
# Use a Release build of the program, e.g.
#   cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZT_CORE_ONLY=ON
#   cmake --build build-release --target zutomelark-cli
set -euo pipefail

cli=${1:-build-release/zutomelark-cli}
runs=${2:-5}
[ -x "$cli" ] || { echo "no program at $cli" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zt-capture-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
src="$work/src"
mkdir -p "$src" "$work/data"

# 100 top folders of 99 folders each (10,000 folders with the top ones),
# 19 files in each folder: 10,000 + 190,000 = 200,000 entries.
python3 - "$src" <<'EOF'
import os, sys
root = sys.argv[1]
for a in range(100):
    top = os.path.join(root, f"dir{a:03d}")
    os.mkdir(top)
    subs = [top] + [os.path.join(top, f"sub{b:02d}") for b in range(99)]
    for s in subs[1:]:
        os.mkdir(s)
    for s in subs:
        for f in range(19):
            with open(os.path.join(s, f"file{f:02d}.txt"), "wb") as fh:
                fh.write(b"x" * (f * 37))
EOF
echo "entries: $(find "$src" -mindepth 1 | wc -l) (folders: $(find "$src" -mindepth 1 -type d | wc -l))"

# Warm the cache.
find "$src" -printf '%s %T@ %p\n' > /dev/null
"$cli" --data "$work/data" capture "$src" --name warm > /dev/null

now() { date +%s.%N; }
best_find=999999
best_capture=999999
for i in $(seq 1 "$runs"); do
    t0=$(now); find "$src" -printf '%s %T@ %p\n' > /dev/null; t1=$(now)
    "$cli" --data "$work/data" capture "$src" --name "run$i" > /dev/null; t2=$(now)
    f=$(echo "$t1 - $t0" | bc -l); c=$(echo "$t2 - $t1" | bc -l)
    best_find=$(echo "if ($f < $best_find) $f else $best_find" | bc -l)
    best_capture=$(echo "if ($c < $best_capture) $c else $best_capture" | bc -l)
done
printf 'find:    %.3f s (best of %d)\n' "$best_find" "$runs"
printf 'capture: %.3f s (best of %d), stock file %s bytes\n' "$best_capture" "$runs" \
    "$(stat -c %s "$work/data/run1.dat")"
printf 'ratio capture/find: %.2f\n' "$(echo "$best_capture / $best_find" | bc -l)"

best_index=999999
for i in $(seq 1 "$runs"); do
    rm -f "$work/data/Index/run1.idx"
    t0=$(now); "$cli" --data "$work/data" index run1 > /dev/null; t1=$(now)
    x=$(echo "$t1 - $t0" | bc -l)
    best_index=$(echo "if ($x < $best_index) $x else $best_index" | bc -l)
done
printf 'index:   %.3f s (best of %d), %.0f %% of the capture; index file %s bytes\n' \
    "$best_index" "$runs" "$(echo "100 * $best_index / $best_capture" | bc -l)" \
    "$(stat -c %s "$work/data/Index/run1.idx")"
