#!/usr/bin/env python3
"""Compares two builds' outputs of the same input, window by window.

    compare_plugin_outputs.py INPUT.f32 REFERENCE.f32 CANDIDATE.f32 [LABEL [DELAY WINDOW]]

All files are raw little-endian float32 stereo frames; the outputs are the
input delayed by DELAY frames and DELAY frames longer. The outputs are cut into
the engine's windows (WINDOW output frames each, the first starting at output
frame 0) per channel. By default the Sarnovellite effect's: a delay of 2048
and windows of 1792; the restore effect passes its latency and hop. In a window where both builds made the same decisions
they differ only by rounding (x87 extended against SSE single precision), so
every sample must agree to within a few single-precision units of the
window's level. A window beyond that bound is taken to be a near-tie decision
of the detector that went the other way in one build; each such window is
named. The comparison fails when more than 1% of the windows differ (at least
one is always tolerated), or when a sample the repair did not touch in the
reference (equal to the delayed input) differs in the candidate and that
window is not one of the named ones."""
import array
import sys

DELAY = 2048
WINDOW = 1792
# Rounding bound, relative to the larger of the window's level and a floor that
# keeps near-silent windows from demanding more than float resolution.
RELATIVE_BOUND = 64 * 2.0 ** -23
LEVEL_FLOOR = 2.0 ** -8


def load(path):
    samples = array.array("f")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def main():
    source, reference, candidate = (load(p) for p in sys.argv[1:4])
    label = sys.argv[4] if len(sys.argv) > 4 else "output"
    global DELAY, WINDOW
    if len(sys.argv) > 6:
        DELAY, WINDOW = int(sys.argv[5]), int(sys.argv[6])
    if len(reference) != len(candidate) or len(reference) != len(source) + 2 * DELAY:
        print("%s: lengths differ: input %d, reference %d, candidate %d samples"
              % (label, len(source), len(reference), len(candidate)))
        return 1

    frames = len(reference) // 2
    windows = (frames + WINDOW - 1) // WINDOW
    flipped = []
    identical = 0
    worst_ratio = 0.0
    for w in range(windows):
        first, last = w * WINDOW, min(frames, (w + 1) * WINDOW)
        for c in range(2):
            ref = reference[2 * first + c:2 * last:2]
            cand = candidate[2 * first + c:2 * last:2]
            level = max(LEVEL_FLOOR, max(abs(v) for v in ref))
            bound = RELATIVE_BOUND * level
            worst, worst_at = 0.0, first
            for k, (a, b) in enumerate(zip(ref, cand)):
                if a == b:
                    identical += 1
                    continue
                d = abs(a - b)
                if d > worst:
                    worst, worst_at = d, first + k
            worst_ratio = max(worst_ratio, worst / level)
            if worst > bound:
                flipped.append((w, c, first, last, worst, worst_at, bound))

    total = 2 * windows
    print("%s: %d windows x 2 channels, %d of %d samples bit-identical, largest difference %.3g of the window level"
          % (label, windows, identical, len(reference), worst_ratio))
    for w, c, first, last, worst, at, bound in flipped:
        print("%s: window %d, channel %d (output frames %d-%d, input frames %d-%d): difference %.6g at output frame %d "
              "exceeds the rounding bound %.3g; a near-tie detector decision went the other way"
              % (label, w, c, first, last - 1, first - DELAY, last - 1 - DELAY, worst, at, bound))

    # Untouched samples must be copied exactly by both builds.
    named = {(w, c) for w, c, *_ in flipped}
    copy_faults = 0
    for i in range(DELAY, frames):
        for c in range(2):
            x = source[2 * (i - DELAY) + c]
            if reference[2 * i + c] == x and candidate[2 * i + c] != x and (i // WINDOW, c) not in named:
                copy_faults += 1
    if copy_faults:
        print("%s: %d unrepaired samples were not copied exactly by the candidate" % (label, copy_faults))

    allowed = max(1, total // 100)
    if len(flipped) > allowed:
        print("%s: %d windows differ beyond rounding, more than the %d near ties tolerated" % (label, len(flipped), allowed))
    return 1 if copy_faults or len(flipped) > allowed else 0


if __name__ == "__main__":
    sys.exit(main())
