"""Prints the versions a Windows executable's version resource holds, one a line: the fixed
file and product versions (as major.minor.patch, the fourth part must be 0) and the
FileVersion and ProductVersion strings; then its manifest's assemblyIdentity version (the same
way)."""
import re
import struct
import sys

data = open(sys.argv[1], "rb").read()
fixed = data.find(struct.pack("<I", 0xFEEF04BD))
if fixed < 0:
    sys.exit("no version resource")
file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", data, fixed + 8)
for ms, ls in ((file_ms, file_ls), (product_ms, product_ls)):
    print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}" + ("" if ls & 0xFFFF == 0 else f".{ls & 0xFFFF}"))
for key in ("FileVersion", "ProductVersion"):
    # A String entry: its key in UTF-16 with a NUL, padding to 4 bytes, then the value.
    match = re.search((key + "\0").encode("utf-16-le") + b"(?:\0\0)?((?:[^\0]\0)+)\0\0", data)
    print(match.group(1).decode("utf-16-le") if match else f"no {key}")
manifest = re.search(rb'<assemblyIdentity type="win32" name="Klarvex.Klarvex" version="([0-9.]+)"', data)
if manifest is None:
    print("no manifest version")
else:
    numbers = manifest.group(1).decode()
    print(numbers[:-2] if numbers.endswith(".0") and numbers.count(".") == 3 else numbers)
