#!/usr/bin/env python3
"""Lists the File associations findings that an export of the machine's classes must give.

orphan-extensions.py EXPORT: EXPORT is the system editor's export (UTF-16) of
HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes, which Wine also shows as HKEY_CLASSES_ROOT. An extension
key (a name that starts with a dot) whose default value, a string or expandable string, names a
file type that has no key of its own is an orphan; it is seen once through each view. Prints
the Details lines the clean run shows for them, sorted.
"""
import sys

CLASSES = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\"


def logical_lines(path):
    text = open(path, "rb").read().decode("utf-16").replace("\r\n", "\n")
    joined = []
    for line in text.split("\n"):
        if joined and joined[-1].endswith("\\") and line.startswith("  "):
            joined[-1] = joined[-1][:-1] + line.strip()
        else:
            joined.append(line)
    return joined


def unquote(text):
    out, i = [], 1
    while i < len(text) - 1:
        if text[i] == "\\" and i + 1 < len(text) - 1:
            i += 1
        out.append(text[i])
        i += 1
    return "".join(out)


def default_string(data):
    """The default value's text for REG_SZ and REG_EXPAND_SZ, else None."""
    if data.startswith('"'):
        return unquote(data)
    if data.startswith("hex(2):"):
        raw = bytes(int(b, 16) for b in data[7:].split(",") if b)
        return raw.decode("utf-16-le")
    return None


def main():
    keys, types, key = set(), {}, None
    for line in logical_lines(sys.argv[1]):
        if line.startswith("["):
            key = line[1:-1]
            if key.upper().startswith(CLASSES.upper()):
                keys.add(key[len(CLASSES):].upper())
        elif line.startswith("@=") and key and key.upper().startswith(CLASSES.upper()):
            name = key[len(CLASSES):]
            if name.startswith(".") and "\\" not in name:
                types[name] = default_string(line[2:])
    lines = []
    for name, text in types.items():
        text = (text or "").split("\0")[0].upper()
        if text and text not in keys:
            lines += ["[HKCR]\\" + name + " ... fixed", "[HKLM]\\SOFTWARE\\Classes\\" + name + " ... fixed"]
    print("\n".join(sorted(lines)))


main()
