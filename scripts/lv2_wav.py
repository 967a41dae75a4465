#!/usr/bin/env python3
"""The WAV handling of scripts/lv2-check.sh (standard library only).

    lv2_wav.py from-raw IN.f32 OUT.wav          raw stereo float32 frames -> 32-bit float WAV, 44.1 kHz
    lv2_wav.py compare A.wav B.wav [--shift N] [--tol T]
        A's frames from N on against B's from 0 on, over the frames both
        have; bit for bit unless --tol gives the largest allowed difference.
        Prints the frames compared and the largest difference; status 1 on a
        mismatch, 2 on unreadable input."""
import array
import struct
import sys


def read_float_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        body = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", body)
            if fmt[0] == 0xFFFE:  # WAVE_FORMAT_EXTENSIBLE: the sub-format's first two bytes
                fmt = (struct.unpack_from("<H", body, 24)[0],) + fmt[1:]
        elif tag == b"data":
            samples = array.array("f")
            samples.frombytes(body[:len(body) // 4 * 4])
        pos += 8 + size + (size & 1)
    if fmt is None or samples is None or fmt[0] != 3 or fmt[5] != 32:
        raise ValueError(f"{path}: not 32-bit float PCM")
    if sys.byteorder != "little":
        samples.byteswap()
    return fmt[1], samples


def from_raw(raw_path, wav_path):
    with open(raw_path, "rb") as f:
        body = f.read()
    header = b"RIFF" + struct.pack("<I", 36 + len(body)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 3, 2, 44100, 44100 * 8, 8, 32)
    header += b"data" + struct.pack("<I", len(body))
    with open(wav_path, "wb") as f:
        f.write(header + body)


def compare(a_path, b_path, shift, tol):
    channels_a, a = read_float_wav(a_path)
    channels_b, b = read_float_wav(b_path)
    if channels_a != channels_b:
        print(f"{a_path} has {channels_a} channels, {b_path} {channels_b}")
        return 1
    frames = min(len(a) // channels_a - shift, len(b) // channels_b)
    if frames <= 0:
        print("no frames to compare")
        return 1
    largest, first_difference = 0.0, None
    for i in range(frames * channels_a):
        x, y = a[shift * channels_a + i], b[i]
        if x != y and not (x != x and y != y):
            d = abs(x - y) if x == x and y == y else float("inf")
            largest = max(largest, d)
            if first_difference is None:
                first_difference = i // channels_a
    same = first_difference is None if tol is None else largest <= tol
    how = "bit for bit" if first_difference is None else f"largest difference {largest:.3g} (first at frame {first_difference})"
    print(f"{frames} frames compared (shift {shift}): {how}")
    return 0 if same else 1


def main():
    try:
        if len(sys.argv) == 4 and sys.argv[1] == "from-raw":
            from_raw(sys.argv[2], sys.argv[3])
            return 0
        if len(sys.argv) >= 4 and sys.argv[1] == "compare":
            shift, tol, rest = 0, None, sys.argv[4:]
            while rest:
                if rest[0] == "--shift" and len(rest) > 1:
                    shift = int(rest[1])
                elif rest[0] == "--tol" and len(rest) > 1:
                    tol = float(rest[1])
                else:
                    raise ValueError(f"unknown option {rest[0]}")
                rest = rest[2:]
            return compare(sys.argv[2], sys.argv[3], shift, tol)
    except (OSError, ValueError) as e:
        print(f"lv2_wav.py: {e}", file=sys.stderr)
        return 2
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
