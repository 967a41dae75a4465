#!/usr/bin/env python3
"""Mutation run of the whole `sarnovellite` executable over small seeds.

Each round takes a seed (or a kept regression input), damages it the way
storage and transfer do (cut short, bytes flipped, a size field rewritten,
junk appended, a chunk repeated), runs the tool on it and checks:
  - no crash and no sanitizer report;
  - the input is unchanged;
  - a failure is one line on stderr and leaves no output and no temporary file;
  - exit 0 only with an output libsndfile reads back, holding every frame the
    input's header announces.
A failing input is kept in WORK/findings with the reason; the status is 1 when
there is any.

  mutate_run.py --cli PATH --files PATH --seeds DIR --work DIR [--seconds N] [--seed N]
                [--regressions DIR]
"""
import argparse
import hashlib
import os
import random
import shutil
import struct
import subprocess
import sys
import time

SANITIZER_MARKS = ("AddressSanitizer", "LeakSanitizer", "runtime error:", "UndefinedBehaviorSanitizer")


def mutate(data, rng):
    data = bytearray(data)
    kind = rng.choice(["cut", "flip", "flip", "size", "junk", "repeat", "zero"])
    if kind == "cut" and len(data) > 1:
        del data[rng.randrange(1, len(data)):]
    elif kind == "flip" and data:
        for _ in range(rng.randint(1, 8)):
            data[rng.randrange(len(data))] ^= 1 << rng.randrange(8)
    elif kind == "size" and len(data) > 8:
        # Header fields sit near the start; rewrite a 4-byte word there.
        at = rng.randrange(0, min(len(data) - 4, 200))
        value = rng.choice([0, 1, 0xFFFFFFFF, 0xFFFFFFF0, 0x10000000, len(data), rng.getrandbits(32)])
        data[at:at + 4] = struct.pack(rng.choice(["<I", ">I"]), value)
    elif kind == "junk":
        data += bytes(rng.getrandbits(8) for _ in range(rng.choice([1, 2, 7, 100, 1000])))
    elif kind == "repeat" and len(data) > 16:
        start = rng.randrange(len(data) - 8)
        data[start:start] = data[start:start + rng.randint(8, 64)]
    elif kind == "zero" and len(data) > 8:
        at = rng.randrange(len(data) - 4)
        data[at:at + rng.randint(1, 64)] = b"\0" * len(data[at:at + 1])
    return bytes(data), kind


def check_file(files, path):
    out = subprocess.run([files, "check", path], capture_output=True, text=True, timeout=60).stdout.split()
    return int(out[0]), int(out[1]), out[2] == "1"


def run_one(args, data, name, work):
    case = os.path.join(work, "case")
    shutil.rmtree(case, ignore_errors=True)
    os.makedirs(case)
    ext = os.path.splitext(name)[1]
    src = os.path.join(case, "in" + ext)
    dst = os.path.join(case, "out" + ext)
    with open(src, "wb") as f:
        f.write(data)
    digest = hashlib.sha256(data).hexdigest()
    announced = check_file(args.files, src)
    try:
        run = subprocess.run([args.cli, "-q", src, dst], capture_output=True, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        return "hangs (over 60 s)"
    err = run.stderr
    if run.returncode < 0 or run.returncode >= 128:
        return "crashed with status %d: %s" % (run.returncode, err.strip()[:300])
    if any(mark in err for mark in SANITIZER_MARKS):
        return "sanitizer report: " + err.strip()[:600]
    with open(src, "rb") as f:
        if hashlib.sha256(f.read()).hexdigest() != digest:
            return "the input was changed"
    left = sorted(os.listdir(case))
    if run.returncode != 0:
        lines = err.splitlines()
        if len(lines) != 1 or not lines[0].startswith("sarnovellite: "):
            return "status %d without a one-line reason: %r" % (run.returncode, err[:300])
        if left != ["in" + ext]:
            return "status %d left files behind: %s" % (run.returncode, left)
        return None
    if left != sorted(["in" + ext, "out" + ext]):
        return "exit 0 with files %s" % left
    frames, _, _ = check_file(args.files, dst)
    if frames < 0:
        return "exit 0 with an output libsndfile cannot read"
    want, exact = announced[1], announced[2]
    if want >= 0 and ((exact and frames != want) or frames < want):
        return "exit 0 with %d frames of %d announced" % (frames, want)
    return None


def main():
    # Under the sanitizers: leaks the libraries are known for are not the tool's.
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
    os.environ["LSAN_OPTIONS"] = "suppressions=%s:%s" % (suppressions, os.environ.get("LSAN_OPTIONS", ""))
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--files", required=True)
    parser.add_argument("--seeds", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--regressions")
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    args = parser.parse_args()
    rng = random.Random(args.seed)
    findings = os.path.join(args.work, "findings")
    os.makedirs(findings, exist_ok=True)
    seeds = []
    for folder in filter(None, [args.seeds, args.regressions]):
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as f:
                seeds.append((name, f.read()))
    found = 0
    tried = 0
    statuses = {}

    def record(data, name, reason):
        nonlocal found
        found += 1
        base = os.path.join(findings, "%03d-%s" % (found, name))
        with open(base, "wb") as f:
            f.write(data)
        with open(base + ".txt", "w") as f:
            f.write(reason + "\n")
        print("finding: %s: %s" % (base, reason))

    # The seeds and the kept regression inputs as they are, first.
    for name, data in seeds:
        reason = run_one(args, data, name, args.work)
        tried += 1
        if reason:
            record(data, name, reason)
    deadline = time.time() + args.seconds
    while time.time() < deadline:
        name, data = rng.choice(seeds)
        mutant, kind = mutate(data, rng)
        if rng.random() < 0.3:
            mutant, _ = mutate(mutant, rng)
        reason = run_one(args, mutant, name, args.work)
        tried += 1
        statuses[kind] = statuses.get(kind, 0) + 1
        if reason:
            record(mutant, name, reason)
    print("mutation run: %d inputs from %d seeds in %.0f s (random seed %d), %d findings; mutations %s"
          % (tried, len(seeds), args.seconds, args.seed, found, statuses))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
