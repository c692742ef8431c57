#!/usr/bin/env python3
"""Compares registry exports of the system's editor (UTF-16) item by item.

regdiff.py BEFORE AFTER [EXPECTED]: every key line and every value (under its key) is an item;
keys the system itself changes are left out. Without EXPECTED the two must be equal; with it,
the items gone must be exactly those at or below the EXPECTED lines ("KEY" for a key tree,
"KEY<TAB>NAME" for one value) and nothing may appear. Prints the differences; exit code 1 on any.
"""
import sys

# Wine's own keys, the program's own settings (the window's place), and the user's shell folder
# values, which Wine rewrites to its own paths
# whenever a program asks where a folder is. Wine's 32-bit half keeps its own copies: once a user
# branch holds Software\Wow6432Node (a real hive does), Wine redirects a 32-bit program's
# HKCU\Software there, unlike Windows, and its font set-up re-registers the fonts in both.
NOISE = ("HKEY_CURRENT_USER\\Software\\Wine", "HKEY_LOCAL_MACHINE\\Software\\Wine",
         "HKEY_CURRENT_USER\\Software\\Wow6432Node\\Wine",
         "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Fonts",
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
         "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags",
         "HKEY_CURRENT_USER\\Software\\Ostrawin",
         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib")


def items(path):
    text = open(path, "rb").read().decode("utf-16")
    lines, joined = text.replace("\r\n", "\n").split("\n"), []
    for line in lines:
        if joined and joined[-1].endswith("\\") and line.startswith("  "):
            joined[-1] = joined[-1][:-1] + line.strip()
        else:
            joined.append(line)
    key, out = "", {}
    for line in joined:
        if line.startswith("["):
            key = line[1:-1]
            out[key] = (key, None)
        elif line and key and not line.startswith("Windows Registry"):
            name = line.split("=", 1)[0] if line.startswith("@") else value_name(line)
            out[key + "\t" + line] = (key, name)
    return {k: v for k, v in out.items() if not v[0].lower().startswith(tuple(n.lower() for n in NOISE))}


def value_name(line):
    name, i = "", 1
    while i < len(line) and line[i] != '"':
        if line[i] == "\\" and i + 1 < len(line):
            i += 1
        name += line[i]
        i += 1
    return name


def expected_gone(key, name, wanted):
    for w in wanted:
        wkey, _, wname = w.partition("\t")
        if wname:
            if name is not None and key.lower() == wkey.lower() and name == wname:
                return w
        elif key.lower() == wkey.lower() or key.lower().startswith(wkey.lower() + "\\"):
            return w
    return None


def main():
    before, after = items(sys.argv[1]), items(sys.argv[2])
    wanted = []
    if len(sys.argv) > 3:
        wanted = [l.rstrip("\n") for l in open(sys.argv[3], encoding="utf-8") if l.strip()]
    # Only the lines that belong to the exported branch are this comparison's to find.
    top = min((v[0] for v in before.values()), key=len, default="").lower()
    wanted = [w for w in wanted if (w.split("\t")[0].lower() + "\\").startswith(top + "\\")]
    bad = 0
    matched = set()
    for item, (key, name) in before.items():
        if item in after:
            continue
        hit = expected_gone(key, name, wanted)
        if hit:
            matched.add(hit)
        else:
            print("  gone, not expected: " + item)
            bad += 1
    for item in after:
        if item not in before:
            print("  appeared: " + item)
            bad += 1
    for w in wanted:
        if w not in matched:
            print("  expected gone, still there: " + w)
            bad += 1
    gone = sum(1 for i in before if i not in after)
    print(f"  {len(before)} items before, {gone} gone, {bad} differences")
    return 1 if bad else 0


sys.exit(main())
