#!/usr/bin/env python3
"""tiny-hive.py OUT: writes the smallest hive hivex opens: a base block and one 4 KB bin that
holds the root key and its security record. hivex cannot make a hive from nothing, and the
tests' other starting point (an emptied public hive) stays 6.5 MB: too large to seed a fuzzer.
Keys and values are added with hivexregedit --merge or hivexsh."""
import struct
import sys

BIN = 4096
root, sk = 0x20, 0x80  # cell offsets from the first bin
name = b"ROOT"
# The root key: flags hive entry, no delete, compressed name; no subkeys, values or class.
nk = struct.pack("<2sHQIIIIIIIIIIHHIIIIHH", b"nk", 0x2C, 0, 0, 0xFFFFFFFF, 0, 0, 0xFFFFFFFF,
                 0xFFFFFFFF, 0, 0xFFFFFFFF, sk, 0xFFFFFFFF, 0, 0, 0, 0, 0, 0, len(name), 0) + name
# One security record, its own neighbour both ways, with a self-relative empty descriptor.
descriptor = struct.pack("<BBHIIII", 1, 0, 0x8004, 0, 0, 0, 0)
sec = struct.pack("<2sHIIII", b"sk", 0, sk, sk, 1, len(descriptor)) + descriptor


def cell(data, size):
    return struct.pack("<i", -size) + data.ljust(size - 4, b"\0")


cells = cell(nk, sk - root) + cell(sec, 0x40)
free = BIN - 0x20 - len(cells)
hbin = struct.pack("<4sII", b"hbin", 0, BIN).ljust(0x20, b"\0") + cells + struct.pack("<i", free)
hbin = hbin.ljust(BIN, b"\0")

base = bytearray(struct.pack("<4sIIQIIIIIII", b"regf", 1, 1, 0, 1, 3, 0, 1, root, BIN, 1))
base += "tiny".encode("utf-16-le")
base = base.ljust(0x1FC, b"\0")
checksum = 0
for (word,) in struct.iter_unpack("<I", bytes(base)):
    checksum ^= word
base += struct.pack("<I", checksum)
with open(sys.argv[1], "wb") as out:
    out.write(bytes(base.ljust(4096, b"\0")) + hbin)
