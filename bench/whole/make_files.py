#!/usr/bin/env python3
"""Writes COUNT files of MEGABYTES in all into FOLDER, every file with the time STAMP: a third
random bytes, a third base64 text, a third log-like text, as a release's programs, reports and
data mix them. SEED changes every byte, so the old and the new copies of a file differ.
    make_files.py FOLDER COUNT MEGABYTES SEED STAMP"""
import base64, os, random, sys

folder, count, megabytes, seed, stamp = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), float(sys.argv[5])
size = megabytes * 1024 * 1024 // count
rng = random.Random(seed)
pool = rng.randbytes(size * 4)  # slices of one pool: fast, and no two files alike
text = base64.encodebytes(pool[: size * 3 // 4 + 64])
line = b"2024-03-01 10:00:00 INFO release %d: a line of the kind a release's text files hold\n" % seed
log = (line * (size // len(line) + 1))[:size]
os.makedirs(folder, exist_ok=True)
kinds = ("dll", "rpt", "txt")
for i in range(count):
    kind = i % 3
    name = os.path.join(folder, "File%04d.%s" % (i + 1, kinds[kind]))
    if kind == 0:
        at = rng.randrange(0, len(pool) - size)
        data = pool[at : at + size]
    elif kind == 1:
        data = (b"%d " % i + text)[:size]
    else:
        data = (b"%d " % i + log)[:size]
    with open(name, "wb") as f:
        f.write(data)
    os.utime(name, (stamp, stamp))
