#!/usr/bin/env python3
"""Builds a picture package (.zrs) from a manifest of "key file" lines.

Layout: the magic QV_ZRS and a zero byte, version 1, three header words (0), the entry count,
then one 20-byte index entry per picture (key, absolute data offset, data size, two reserved
words of 0), then the picture files back to back in manifest order. Integers are 32-bit
little-endian. Lines starting with # and blank lines are ignored; file names are relative to
the manifest's folder.

Usage: zrspack.py MANIFEST OUTPUT [--depfile DEPFILE]
"""
import os
import struct
import sys

MAGIC = b"QV_ZRS\0"
VERSION = 1
HEADER_SIZE = 27
ENTRY_SIZE = 20
MAX_KEY = 0xFFFFFFFF


def read_manifest(path):
    entries = []
    seen = {}
    folder = os.path.dirname(os.path.abspath(path))
    with open(path, encoding="utf-8") as manifest:
        for number, line in enumerate(manifest, 1):
            text = line.strip()
            if not text or text.startswith("#"):
                continue
            parts = text.split(None, 1)
            if len(parts) != 2:
                raise ValueError(f"{path}:{number}: expected 'key file', got {text!r}")
            try:
                key = int(parts[0], 0)
            except ValueError:
                raise ValueError(f"{path}:{number}: key {parts[0]!r} is not a number") from None
            if not 0 <= key <= MAX_KEY:
                raise ValueError(f"{path}:{number}: key {key} does not fit in 32 bits")
            if key in seen:
                raise ValueError(f"{path}:{number}: key {key} already given on line {seen[key]}")
            seen[key] = number
            file_path = os.path.join(folder, parts[1])
            if not os.path.isfile(file_path):
                raise ValueError(f"{path}:{number}: no such file {parts[1]!r}")
            entries.append((key, file_path))
    return entries


def build(entries):
    blobs = []
    for _, file_path in entries:
        with open(file_path, "rb") as picture:
            data = picture.read()
        if not data:
            raise ValueError(f"{file_path}: empty file")
        blobs.append(data)
    header = MAGIC + struct.pack("<5I", VERSION, 0, 0, 0, len(entries))
    offset = HEADER_SIZE + ENTRY_SIZE * len(entries)
    index = b""
    for (key, _), data in zip(entries, blobs):
        index += struct.pack("<5I", key, offset, len(data), 0, 0)
        offset += len(data)
    if offset > 0xFFFFFFFF:
        raise ValueError("package larger than 4 GiB")
    return header + index + b"".join(blobs)


def main(argv):
    if len(argv) not in (3, 5) or (len(argv) == 5 and argv[3] != "--depfile"):
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    manifest, output = argv[1], argv[2]
    try:
        entries = read_manifest(manifest)
        package = build(entries)
    except (OSError, ValueError) as error:
        print(f"zrspack: {error}", file=sys.stderr)
        return 1
    temporary = output + ".tmp"
    with open(temporary, "wb") as out:
        out.write(package)
    os.replace(temporary, output)
    if len(argv) == 5:
        with open(argv[4], "w", encoding="utf-8") as dep:
            files = " ".join(path.replace(" ", "\\ ") for _, path in entries)
            dep.write(f"{output}: {manifest} {files}\n")
    print(f"zrspack: {output}: {len(entries)} pictures, {len(package)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
