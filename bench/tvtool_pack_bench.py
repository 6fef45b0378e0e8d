#!/usr/bin/env python3
"""tvtool pack against zip and unzip on the same folder, in the same run.

  bench/tvtool_pack_bench.py TVTOOL [--files N] [--mib M] [--rounds R] [--dir PARENT]

Makes a folder of N files totalling M MiB (default 10,000 files, 1024 MiB: a game's data
folder; half of each file compressible text, half random bytes), then times
  tvtool pack create P.xup DIR    against   zip -1 -r -q P.zip .     (both deflate level 1)
  tvtool pack extract P.xup OUT   against   unzip -q P.zip -d OUT
each R times, alternating, and prints the median times and the speed ratio (the peer's time
divided by tvtool's: 1.0 is as fast, the goal is at least 0.9). Not part of the tests or CI.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import tempfile
import time


def make_folder(root, files, total):
    rng = random.Random(41)
    words = [b"texture", b"mesh", b"level", b"sound", b"shader", b"anim", b"0123", b"\n"]
    each = total // files
    for index in range(files):
        folder = os.path.join(root, "d%02d" % (index % 50), "s%d" % (index % 7))
        os.makedirs(folder, exist_ok=True)
        size = max(1, each + rng.randint(-each // 4, each // 4))
        text = b" ".join(rng.choice(words) for _ in range(size // 12 + 1))[: size // 2]
        with open(os.path.join(folder, "f%05d.bin" % index), "wb") as f:
            f.write(text + os.urandom(size - len(text)))


def timed(command, cwd=None):
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tvtool")
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--mib", type=int, default=1024)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--dir", default=None)
    args = parser.parse_args()
    tvtool = os.path.abspath(args.tvtool)
    work = tempfile.mkdtemp(prefix="tvtool-bench-", dir=args.dir)
    try:
        src = os.path.join(work, "src")
        make_folder(src, args.files, args.mib << 20)
        subprocess.run(["sync"], check=False)
        times = {"create": [], "zip": [], "extract": [], "unzip": []}
        xup, zipped = os.path.join(work, "p.xup"), os.path.join(work, "p.zip")
        for _ in range(args.rounds):
            for path in (xup, zipped):
                if os.path.exists(path):
                    os.remove(path)
            times["create"].append(timed([tvtool, "pack", "create", "--quiet", xup, src]))
            times["zip"].append(timed(["zip", "-1", "-r", "-q", zipped, "."], cwd=src))
            for name in ("out1", "out2"):
                shutil.rmtree(os.path.join(work, name), ignore_errors=True)
            times["extract"].append(timed([tvtool, "pack", "extract", "--quiet", xup, os.path.join(work, "out1")]))
            times["unzip"].append(timed(["unzip", "-q", zipped, "-d", os.path.join(work, "out2")]))
        median = {key: statistics.median(value) for key, value in times.items()}
        print("folder: %d files, %d MiB; %d rounds, median seconds" % (args.files, args.mib, args.rounds))
        print("  tvtool pack create  %8.2f s   zip -1 -r  %8.2f s   speed ratio %.2f (goal >= 0.9)" %
              (median["create"], median["zip"], median["zip"] / median["create"]))
        print("  tvtool pack extract %8.2f s   unzip      %8.2f s   speed ratio %.2f (goal >= 0.9)" %
              (median["extract"], median["unzip"], median["unzip"] / median["extract"]))
        print("  sizes: p.xup %d bytes, p.zip %d bytes" % (os.path.getsize(xup), os.path.getsize(zipped)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
