#!/usr/bin/env python3
"""The catalogue at scale, process against process.

  catalogue_bench.py CLI DIR [STOCKS [PAIRS]]

CLI is a zutomelark-cli built with the release preset; DIR holds the Data
folder of STOCKS synthetic stocks (bench/make_catalogue.py, made when missing)
and a plocate database of the same paths. Every comparison runs both sides as
whole processes started the same way (no shell), in turns, PAIRS pairs, with
a warm cache (each side run once before timing); the medians, their ratio and
the spread (lowest to highest) are printed. Measured:
  first search   building every index and the catalogue summary, against
                 plocate-build over the same paths (both from nothing)
  selective      a text a few stocks hold, against plocate -c
  no hit         a text no name holds, against plocate -c
  list --long    without facts files, against cat of every stock file
  sizes          the indexes and the summary against the stock files and
                 the plocate database
"""
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent


def run(cmd):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - t


def pairs(label, ours, theirs, n):
    run(ours), run(theirs)  # warm
    a, b = [], []
    for _ in range(n):
        a.append(run(ours))
        b.append(run(theirs))
    ma, mb = statistics.median(a), statistics.median(b)
    print("%-14s ours %8.2f ms (%.2f-%.2f)  reference %8.2f ms (%.2f-%.2f)  ratio %.2f" %
          (label, ma * 1e3, min(a) * 1e3, max(a) * 1e3, mb * 1e3, min(b) * 1e3, max(b) * 1e3,
           ma / mb))


def size_of(paths):
    return sum(p.stat().st_size for p in paths)


def main():
    cli, root = sys.argv[1], Path(sys.argv[2])
    stocks = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    n = int(sys.argv[4]) if len(sys.argv) > 4 else 11
    data, paths, db = root / "Data", root / "paths.txt", root / "plocate.db"
    if not (data / "StockList.dat").exists():
        subprocess.run([sys.executable, str(HERE / "make_catalogue.py"), str(data), str(stocks),
                        str(paths)], check=True)
    print("stocks %d, names %d, warm cache, %d pairs" %
          (stocks, sum(1 for _ in open(paths, encoding="utf-8")), n))
    base = [cli, "--data", str(data)]

    # The first search builds everything; plocate-build builds its database.
    shutil.rmtree(data / "Index", ignore_errors=True)
    t_ours = run(base + ["search", "zephyr42"])
    t_theirs = run(["plocate-build", "-p", str(paths), str(db)])
    print("first search   ours %8.2f s  reference (plocate-build) %8.2f s  ratio %.2f" %
          (t_ours, t_theirs, t_ours / t_theirs))
    stock_bytes = size_of(data.glob("*.dat")) - (data / "StockList.dat").stat().st_size
    idx = size_of((data / "Index").glob("*.idx"))
    summary = (data / "Index" / "Catalogue.sum").stat().st_size
    print("sizes          stocks %d MB, indexes %d MB (%.0f %%), summary %.1f MB, plocate %.1f MB" %
          (stock_bytes >> 20, idx >> 20, 100 * idx / stock_bytes, summary / 2**20,
           db.stat().st_size / 2**20))

    plocate = ["plocate", "-d", str(db), "-c", "-i"]
    pairs("selective", base + ["search", "zephyr42"], plocate + ["zephyr42"], n)
    pairs("selective jp", base + ["search", "報告書_1234"], plocate + ["報告書_1234"], n)
    pairs("no hit", base + ["search", "qqxqqz"], plocate + ["qqxqqz"], n)
    cat = ["cat"] + [str(p) for p in sorted(data.glob("disc*.dat"))]
    pairs("list --long", base + ["list", "--long"], cat, max(3, n // 3))


if __name__ == "__main__":
    main()
