#!/usr/bin/env python3
"""Turns hivexregedit's export of a user hive into a script the system's editor imports.

hive-software.py EXPORT PLANTED OUT: keeps the keys below HKEY_CURRENT_USER\\SOFTWARE of EXPORT
(UTF-8, as `perl -CO hivexregedit --export --prefix HKEY_CURRENT_USER` writes it), spelled
"Software" as Wine spells it, followed by the lines of PLANTED (UTF-8); writes OUT as the editor's
version 5 format (UTF-16LE with a byte-order mark, CRLF). Leaves out Explorer\\Shell Folders: Wine
owns that key and rewrites it to its own paths whenever a program asks where a folder is.
Prints how many keys and values it kept.
"""
import sys

HIVE_ROOT = "[HKEY_CURRENT_USER\\SOFTWARE\\"
WINE_OWNS = ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",)


def software_blocks(lines):
    keep, keys, values = False, 0, 0
    for line in lines:
        if line.startswith("["):
            keep = line.upper().startswith(HIVE_ROOT.upper())
            if keep:
                line = "[HKEY_CURRENT_USER\\Software\\" + line[len(HIVE_ROOT):]
                keep = not line[1:-1].lower().startswith(tuple(k.lower() for k in WINE_OWNS))
            keys += keep
        elif keep and line:
            values += 1
        if keep:
            yield line
    print(f"  hive: {keys} keys, {values} values kept below Software", file=sys.stderr)


def main():
    export, planted, out = sys.argv[1:4]
    hive = open(export, encoding="utf-8").read().split("\n")
    lines = ["Windows Registry Editor Version 5.00", ""] + list(software_blocks(hive)) + [""]
    lines += open(planted, encoding="utf-8").read().split("\n")
    with open(out, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))


main()
