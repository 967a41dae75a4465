#!/usr/bin/env python3
"""Checks the DLL's version resource, read from the raw resource on stdin
(as `wrestool -x --type=version` writes it), against the project version
given as the argument (CMake's PROJECT_VERSION, e.g. 2.1.0; a missing
fourth part is 0), and the DLL's file name as an optional second argument
(default Sarnovellite.dll).

The resource is a tree of nodes: length, value length, type (1 text, 0
binary), a UTF-16 key, padding to four bytes, the value, padding, children.
The tree is walked rather than searched, so a string placed under the wrong
language block, or a value under the wrong key, is caught."""
import struct
import sys

def expected_strings(version, file_name):
    text = ", ".join(map(str, version))
    return {
        "CompanyName": "Thessmoore",
        "FileVersion": text,
        "ProductVersion": text,
        "OriginalFilename": file_name,
        "ProductName": file_name,
    }


def parse_version(text):
    parts = [int(p) for p in text.split(".")]
    if not 1 <= len(parts) <= 4:
        raise ValueError("version %r" % text)
    return tuple(parts + [0] * (4 - len(parts)))
DESCRIBED = ("FileDescription", "InternalName")
LANGUAGE_BLOCK = "040904b0"
FIXED_SIGNATURE = 0xFEEF04BD


def align4(offset):
    return (offset + 3) & ~3


def parse_node(data, start):
    length, value_length, kind = struct.unpack_from("<HHH", data, start)
    end = start + length
    key_end = start + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[start + 6:key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    if kind == 1:
        # Text values count UTF-16 characters, terminator included.
        raw = data[value_start:value_start + 2 * value_length]
        value = raw.decode("utf-16-le").split("\0", 1)[0]
        value_end = value_start + 2 * value_length
    else:
        value = data[value_start:value_start + value_length]
        value_end = value_start + value_length
    children = []
    child = align4(value_end)
    while child < end:
        node = parse_node(data, child)
        if node[3] <= child:
            raise ValueError("malformed node at offset %d" % child)
        children.append(node)
        child = align4(node[3])
    return key, value, children, end


def main():
    if len(sys.argv) not in (2, 3):
        print("usage: check_version_resource.py PROJECT_VERSION < resource")
        return 2
    expected_version = parse_version(sys.argv[1])
    data = sys.stdin.buffer.read()
    failures = []
    if not data:
        print("no version resource")
        return 1
    key, fixed, children, _ = parse_node(data, 0)
    if key != "VS_VERSION_INFO":
        failures.append("root key is %r" % key)
    if len(fixed) < 52:
        failures.append("no fixed version information")
    else:
        signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed, 0)
        if signature != FIXED_SIGNATURE:
            failures.append("fixed information signature %#x" % signature)
        for name, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
            version = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
            if version != expected_version:
                failures.append("fixed %s version %s" % (name, ".".join(map(str, version))))

    blocks = {c[0]: c for c in children}
    strings = {}
    if "StringFileInfo" not in blocks:
        failures.append("no StringFileInfo")
    else:
        tables = {t[0]: t for t in blocks["StringFileInfo"][2]}
        if LANGUAGE_BLOCK not in tables:
            failures.append("no language block %s (found %s)" % (LANGUAGE_BLOCK, sorted(tables)))
        else:
            strings = {s[0]: s[1] for s in tables[LANGUAGE_BLOCK][2]}
    for name, want in expected_strings(expected_version, sys.argv[2] if len(sys.argv) == 3 else "Sarnovellite.dll").items():
        if strings.get(name) != want:
            failures.append("%s is %r, want %r" % (name, strings.get(name), want))
    for name in DESCRIBED:
        if not strings.get(name, "").strip():
            failures.append("%s is empty or missing" % name)

    if "VarFileInfo" not in blocks:
        failures.append("no VarFileInfo")
    else:
        translations = [t[1] for t in blocks["VarFileInfo"][2] if t[0] == "Translation"]
        if not translations or struct.unpack_from("<HH", translations[0], 0) != (0x0409, 1200):
            failures.append("translation is not US English, Unicode")

    for name, value in sorted(strings.items()):
        print("  %-17s %s" % (name, value))
    for failure in failures:
        print("version resource: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
