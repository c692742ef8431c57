#!/usr/bin/env python3
"""Other users for a generated machine: the machine's user part again for each of N profiles.

  users.py WORKDIR N

Reads WORKDIR/machine.reg and WORKDIR/answer-key.txt (written by generate.py) and writes
WORKDIR/users.reg: N profiles in the machine's profile list, each with the generated keys of
HKEY_CURRENT_USER again in a hive of its own at HKEY_USERS\\<SID> (its classes at
HKEY_USERS\\<SID>_Classes, as Windows loads them), and WORKDIR/answer-key-users.txt: the answer
key of a scan over every user (its Details lines; a scan writes no script): the running user's
findings once more for each profile, named as a run names another user's items.
"""
import os
import sys

PROFILE_LIST = ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                "ProfileList\\")
USER = "HKEY_CURRENT_USER"
CLASSES = "\\Software\\Classes"


def profiles(n):
    """(SID, profile folder name) of each of the n other users."""
    return [("S-1-5-21-7-7-7-%d" % (2001 + i), "kvxuser%d" % (i + 1)) for i in range(n)]


def user_path(path, sid):
    """A path below the running user's key as it is below another user's hive."""
    if path.lower().startswith(CLASSES.lower()):
        return "\\%s_Classes%s" % (sid, path[len(CLASSES):])
    return "\\%s%s" % (sid, path)


def blocks(machine_reg):
    """(key, value lines) of each key the machine's file writes below HKEY_CURRENT_USER."""
    found = []
    with open(machine_reg, encoding="ascii") as f:
        for line in f.read().splitlines():
            if line.startswith("["):
                found.append((line[1:-1], []))
            elif line and found:
                found[-1][1].append(line)
    return [(key[len(USER):], values) for key, values in found if key.startswith(USER + "\\")]


def other_line(line, sid, name):
    """A Details line of the running user's answer key as another user's, or None."""
    kind, _, rest = line.partition(" ")
    category, _, text = rest.partition(" ")
    if kind != "detail" or not text.startswith("[HKCU]"):
        return None
    item, _, state = text[len("[HKCU]"):].rpartition(" ... ")
    return "detail %s [HKU]%s (%s) ... %s" % (category, user_path(item, sid), name, state)


def main():
    workdir, n = sys.argv[1], int(sys.argv[2])
    user_keys = blocks(os.path.join(workdir, "machine.reg"))
    with open(os.path.join(workdir, "answer-key.txt"), encoding="ascii") as f:
        key = f.read().splitlines()
    with open(os.path.join(workdir, "users.reg"), "w", encoding="ascii", newline="\r\n") as out:
        out.write("REGEDIT4\n\n")
        for sid, name in profiles(n):
            out.write('[%s%s]\n"ProfileImagePath"="C:\\\\users\\\\%s"\n\n' % (PROFILE_LIST, sid, name))
            for path, values in user_keys:
                out.write("[HKEY_USERS%s]\n%s\n\n" % (user_path(path, sid), "\n".join(values)))
    with open(os.path.join(workdir, "answer-key-users.txt"), "w", encoding="ascii") as out:
        out.write("".join(line + "\n" for line in key))
        for sid, name in profiles(n):
            out.write("".join(o + "\n" for o in (other_line(line, sid, name) for line in key) if o))
    return 0


if __name__ == "__main__":
    sys.exit(main())
