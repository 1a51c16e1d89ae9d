#!/usr/bin/env python3
"""A synthetic Data folder of many stocks for the catalogue benchmarks.

  make_catalogue.py DATA STOCKS [PATHS]

writes DATA/StockList.dat and DATA/<stock>.dat for STOCKS stocks of 2,000 to
4,000 records each (a tenth of them folders one level down, names from a
shared vocabulary of ASCII and Japanese words plus a number), and, when PATHS
is given, every record's path (/stock/folder/name) one a line, for
plocate-build --plaintext. The same seed gives the same folder.
"""
import random
import sys
from pathlib import Path

WORDS = ["photo", "holiday", "report", "backup", "music", "track", "setup",
         "readme", "invoice", "draft", "movie", "scan", "letter", "archive",
         "写真", "旅行", "資料", "音楽", "報告書", "名簿", "設定", "日記"]
EXTS = [".jpg", ".txt", ".mp3", ".pdf", ".doc", ".zip", ".png", ".exe"]


def name(rng, stock):
    # A few names carry a word rare across the catalogue, for selective texts.
    word = rng.choice(WORDS)
    if rng.random() < 0.002:
        word = "zephyr%d" % (stock % 97)
    return "%s_%04d%s" % (word, rng.randrange(10000), rng.choice(EXTS))


def values(rng, size):
    t = 130000000000000000 + rng.randrange(10**15)
    lo, hi = t & 0xFFFFFFFF, t >> 32
    return [lo, hi, lo, hi, lo, hi, size >> 32, size & 0xFFFFFFFF]


def stock_bytes(rng, stock, paths, stock_name):
    records = rng.randrange(2000, 4001)
    folders = records // 10
    per_folder = (records - folders) // (folders + 1)
    out = ["1200", str(folders)]

    def add(depth, text, size, folder):
        out.append(str(depth))
        out.append(text)
        out.extend(str(v) for v in values(rng, size))
        if paths is not None:
            paths.append("/%s%s/%s" % (stock_name, folder, text))

    for _ in range(per_folder):
        add(-1, name(rng, stock), rng.randrange(1 << 24), "")
    for f in range(folders):
        folder = "%s_%d" % (rng.choice(WORDS), f)
        add(1, folder, 0, "")
        for _ in range(per_folder):
            add(-1, name(rng, stock), rng.randrange(1 << 24), "/" + folder)
    return ("\r\n".join(out) + "\r\n").encode("cp932")


def main():
    data, count = Path(sys.argv[1]), int(sys.argv[2])
    paths_file = sys.argv[3] if len(sys.argv) > 3 else None
    data.mkdir(parents=True, exist_ok=True)
    rng = random.Random(25)
    names = ["disc%05d" % i for i in range(count)]
    paths = [] if paths_file else None
    with open(paths_file, "w", encoding="utf-8") if paths_file else open("/dev/null", "w") as p:
        for i, n in enumerate(names):
            (data / (n + ".dat")).write_bytes(stock_bytes(rng, i, paths, n))
            if paths is not None:
                p.write("\n".join(paths) + "\n")
                paths.clear()
    (data / "StockList.dat").write_bytes(("\r\n".join(names) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
