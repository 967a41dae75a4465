#!/usr/bin/env python3
"""Writes a deterministic stereo test signal with clicks as raw little-endian
float32 frames (left first), 44.1 kHz assumed.

    make_click_signal.py OUT.f32 [SECONDS] [SEED]

Segments alternate between a tone with harmonics (so the periodic repair
gets a usable period), filtered noise (so the straight-line repair and its
band-limiting passes run), tone plus noise, and a quiet passage with dense
small crackle. Clicks of 1 to 40 samples, both signs, land on one channel or
both. The signal is written once and fed to both builds, so the two runs see
bit-identical input whatever either platform's maths library does."""
import array
import math
import random
import sys

RATE = 44100


def main():
    path = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 12.0
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 9573)
    frames = int(seconds * RATE)
    segment = int(1.5 * RATE)
    left = [0.0] * frames
    right = [0.0] * frames

    noise_state = [0.0, 0.0]
    for i in range(frames):
        kind = (i // segment) % 4
        t = i / RATE
        tone_l = 0.35 * math.sin(2 * math.pi * 196.0 * t) + 0.12 * math.sin(2 * math.pi * 392.0 * t + 0.3) \
            + 0.05 * math.sin(2 * math.pi * 588.0 * t + 1.1)
        tone_r = 0.3 * math.sin(2 * math.pi * 147.0 * t + 0.7) + 0.1 * math.sin(2 * math.pi * 441.0 * t)
        for c in range(2):
            noise_state[c] = 0.9 * noise_state[c] + 0.1 * rng.uniform(-1.0, 1.0)
        if kind == 0:
            l, r = tone_l, tone_r
        elif kind == 1:
            l, r = 1.5 * noise_state[0], 1.5 * noise_state[1]
        elif kind == 2:
            l, r = 0.7 * tone_l + noise_state[0], 0.7 * tone_r + noise_state[1]
        else:
            l, r = 0.1 * tone_l, 0.1 * tone_r
        left[i], right[i] = l, r

    # Isolated clicks.
    position = 1000
    while position < frames - 64:
        width = rng.randint(1, 40)
        height = rng.uniform(0.3, 0.9) * rng.choice((-1.0, 1.0))
        channels = rng.choice(((left,), (right,), (left, right)))
        for channel in channels:
            for k in range(width):
                channel[position + k] += height * math.exp(-3.0 * k / width)
        position += rng.randint(1500, 4000)

    # Dense crackle in the quiet passages.
    for i in range(frames):
        if (i // segment) % 4 == 3 and rng.random() < 0.002:
            (left if rng.random() < 0.5 else right)[i] += rng.uniform(-0.15, 0.15)

    samples = array.array("f")
    for l, r in zip(left, right):
        samples.append(max(-1.0, min(1.0, l)))
        samples.append(max(-1.0, min(1.0, r)))
    if sys.byteorder != "little":
        samples.byteswap()
    with open(path, "wb") as out:
        samples.tofile(out)


if __name__ == "__main__":
    main()
