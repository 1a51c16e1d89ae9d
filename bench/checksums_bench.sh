#!/usr/bin/env bash
# Capture with checksums and verify against xxh128sum (xxhsum -H2), over the
# same files: by default 2,000 files of 1 MiB on average (about 2 GB, sizes
# from a few KiB to 2 MiB) in 20 folders. Each is timed warm (the files in
# the page cache) and, where the machine lets it drop the cache (root,
# /proc/sys/vm/drop_caches), cold. Prints the seconds, the throughput and
# the ratio to xxh128sum (target: at least 0.9, the walk and the hashing
# reading each file once), and the largest resident memory of each program.
# Warm figures are the best of three runs. "capture (no checksums)" is the
# fixed part of a capture (the walk, writing the stock and its side files,
# each flushed to disk), to tell it from the hashing pass.
#
# usage: bench/checksums_bench.sh [path/to/zutomelark-cli] [files] [MiB total]
# Use a Release build of the program, e.g.
#   cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZT_CORE_ONLY=ON
#   cmake --build build-release --target zutomelark-cli
set -euo pipefail

cli=${1:-build-release/zutomelark-cli}
files=${2:-2000}
mib=${3:-2000}
[ -x "$cli" ] || { echo "no program at $cli" >&2; exit 2; }
command -v xxh128sum >/dev/null || { echo "xxh128sum (package xxhash) is needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zt-checksums-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
src="$work/src"
mkdir -p "$src" "$work/data"

python3 - "$src" "$files" "$mib" <<'EOF'
import os, random, sys
root, files, mib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(7)
total = mib << 20
sizes = [random.randint(4096, 2 * total // files - 4096) for _ in range(files)]
scale = total / sum(sizes)
block = os.urandom(1 << 20)
for i, size in enumerate(sizes):
    folder = os.path.join(root, f"dir{i % 20:02d}")
    os.makedirs(folder, exist_ok=True)
    left = int(size * scale)
    with open(os.path.join(folder, f"file{i:05d}.bin"), "wb") as fh:
        while left > 0:
            fh.write(block[: min(left, len(block))])
            left -= len(block)
EOF
bytes=$(du -sb "$src" | cut -f1)
echo "files: $(find "$src" -type f | wc -l), bytes: $bytes"

drop() { sync; echo 3 > /proc/sys/vm/drop_caches; }

# "seconds peak-KiB" of a command, its output dropped.
measure() {
    local t0 t1
    t0=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" > /dev/null 2>&1
    t1=$(date +%s.%N)
    echo "$(echo "$t1 - $t0" | bc -l) $(tail -n 1 "$work/rss")"
}

report() { # label seconds peak-KiB reference-seconds
    printf '%-22s %7.2f s  %7.1f MB/s  %5.2fx xxh128sum  %7d KiB peak\n' "$1" "$2" \
        "$(echo "$bytes / $2 / 1048576" | bc -l)" "$(echo "$4 / $2" | bc -l)" "$3"
}

reference=(bash -c "cd '$src' && find . -type f -print0 | sort -z | xargs -0 xxh128sum")
for cache in warm cold; do
    if [ "$cache" = cold ] && ! [ -w /proc/sys/vm/drop_caches ]; then
        echo "cold: the page cache cannot be dropped here (not root); skipped"
        continue
    fi
    runs=1
    if [ "$cache" = warm ]; then "${reference[@]}" > /dev/null; runs=3; fi
    ref=999 cap=999 ver=999 plain=999
    for run in $(seq 1 $runs); do
        [ "$cache" = cold ] && drop
        read -r t ref_rss < <(measure "${reference[@]}")
        ref=$(echo "if ($t < $ref) $t else $ref" | bc -l)
        [ "$cache" = cold ] && drop
        read -r t cap_rss < <(measure "$cli" --data "$work/data" capture "$src" --checksums --quiet --name "cap-$cache-$run")
        cap=$(echo "if ($t < $cap) $t else $cap" | bc -l)
        [ "$cache" = cold ] && drop
        read -r t ver_rss < <(measure "$cli" --data "$work/data" verify "cap-$cache-$run" --quiet)
        ver=$(echo "if ($t < $ver) $t else $ver" | bc -l)
        read -r t plain_rss < <(measure "$cli" --data "$work/data" capture "$src" --quiet --name "plain-$cache-$run")
        plain=$(echo "if ($t < $plain) $t else $plain" | bc -l)
    done
    echo "== $cache cache"
    report "xxh128sum" "$ref" "$ref_rss" "$ref"
    report "capture --checksums" "$cap" "$cap_rss" "$ref"
    report "verify" "$ver" "$ver_rss" "$ref"
    report "capture (no checksums)" "$plain" "$plain_rss" "$ref"
done
