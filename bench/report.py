#!/usr/bin/env python3
"""Checks KlarvexBench outputs against the answer key and prints the medians and the ratios.

  report.py ANSWER_KEY OUTPUT... [--no-ratios] [--scan] [--users]

Each output is one run's stdout. The findings of every run must equal the answer key (the
detail lines and the deletion-script lines, as multisets): any miss or false find fails.
Ratios are taken within each run (side by side) and their median is printed, one per line:
  ratio NAME VALUE
--users: outputs of KlarvexBench users; the parts a scan over every user is made of are printed
(part NAME MILLISECONDS, medians) and the ratios of USER_RATIOS instead.
"""
import argparse
import collections
import statistics
import sys

# name, formula over one run's times, target (None: information only), unit
RATIOS = [
    ("whole-run", lambda t: t["run-without-backups"] / (t["bare-registry"] + t["bare-folders"]),
     0.8),
    ("registry", lambda t: t["registry"] / t["bare-registry"], 1.5),
    ("overlap", lambda t: t["run-without-backups"] / t["bare-paired"], 1.05),
    ("index-build", lambda t: t["index-build"] / t["bare-paired-folders"], 1.1),
    ("index-lookup-us", lambda t: t["index-lookup-us"], 1.0),
    ("backup", lambda t: (t["key-backups"] / max(t["key-backups#"], 1))
     / t["bare-regedit-export"], 1.2),
    ("pump-share", lambda t: 100.0 * t["pump"] / t["run"], 2.0),
    ("memory-mb", lambda t: t["peak-working-set"], 150.0),
]




def user_parts(t, suffix=""):
    """A users run's parts: the machine's, the running user's and each other profile's, each
    what it adds to a scan without it (suffix "#": in registry calls instead of milliseconds)."""
    running = t["users-running" + suffix]
    parts = {"machine": t["users-machine" + suffix],
             "running-user": running - t["users-machine" + suffix]}
    k = 1
    while "users-profile-%d%s" % (k, suffix) in t:
        parts["profile-%d" % k] = t["users-profile-%d%s" % (k, suffix)] - running
        k += 1
    return parts


def every_to_parts(suffix):
    return lambda t: t["users-every" + suffix] / sum(user_parts(t, suffix).values())


def profile_to_running(t):
    parts = user_parts(t, "#")
    profiles = [v for name, v in parts.items() if name.startswith("profile-")]
    return statistics.mean(profiles) / parts["running-user"]


# The scan over every user against the machine's part once plus each user's part, in time and
# in registry calls; each other profile's part against the running user's in registry calls (the
# same keys, so about 1). A user's part is a few percent of a typical scan, so its time moves
# with the machine's load more than the calls do.
USER_RATIOS = [
    ("allusers", every_to_parts(""), 1.1),
    ("allusers-calls", every_to_parts("#"), 1.0),
    ("profile-part-calls", profile_to_running, None),
]


def parse(path):
    times, counts, details, script, infos = {}, {}, [], [], []
    with open(path, encoding="latin-1") as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            kind, _, rest = line.partition(" ")
            if kind == "time":
                parts = rest.split()
                times[parts[0]] = float(parts[1])
                if len(parts) > 2:
                    times[parts[0] + "#"] = float(parts[2])
            elif kind == "memory":
                name, value = rest.split()
                times[name] = float(value)
            elif kind == "count":
                name, value = rest.split()
                counts[name] = int(value)
            elif kind == "detail":
                category, _, text = rest.partition(" ")
                # Headings, the blank line and the summary are the driver's, not findings.
                if text.startswith("[") and " ... " in text:
                    details.append("%s %s" % (category, text))
            elif kind == "script":
                if rest and rest != "REGEDIT4":
                    script.append(rest)
            elif kind == "information":
                infos.append(rest)
    return times, counts, details, script, infos


def load_key(path):
    details, script = [], []
    with open(path, encoding="latin-1") as f:
        for raw in f:
            kind, _, rest = raw.rstrip("\r\n").partition(" ")
            (details if kind == "detail" else script).append(rest)
    return details, script


def compare(what, expected, actual):
    missing = collections.Counter(expected) - collections.Counter(actual)
    extra = collections.Counter(actual) - collections.Counter(expected)
    for line in sorted(missing.elements()):
        print("  MISSING %s: %s" % (what, line))
    for line in sorted(extra.elements()):
        print("  FALSE FIND %s: %s" % (what, line))
    return not missing and not extra


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("key")
    parser.add_argument("outputs", nargs="+")
    parser.add_argument("--no-ratios", action="store_true")
    # A scan finds what the clean repairs: its lines end in "found" and it writes no script. Its
    # walk finds again what a history list outside the skipped branches holds (the clean has
    # deleted it by then, spelt as the walk spells the path), so a scan's lines count once each,
    # whatever their letter case.
    parser.add_argument("--scan", action="store_true")
    parser.add_argument("--users", action="store_true")
    args = parser.parse_args()
    key_details, key_script = load_key(args.key)
    if args.scan:
        key_details = [line[:line.rindex(" ... ")] + " ... found" for line in key_details]
        key_script = []
        key_details = sorted({line.lower() for line in key_details})
    ok = True
    runs = []
    for path in args.outputs:
        times, counts, details, script, infos = parse(path)
        if args.scan:
            details = sorted({line.lower() for line in details})
        good = compare("detail", key_details, details) & compare("script", key_script, script)
        for info in infos:
            print("  RUN REPORTED: %s" % info)
            good = False
        print("answer-key %s %s (%d findings, %d script lines)" % (
            "pass" if good else "FAIL", path, len(details), len(script)))
        ok = ok and good
        runs.append((times, counts))
    if args.no_ratios:
        return 0 if ok else 1
    names = sorted({n for t, _ in runs for n in t if not n.endswith("#")})
    for name in names:
        values = [t[name] for t, _ in runs if name in t]
        calls = [t[name + "#"] for t, _ in runs if name + "#" in t]
        extra = " calls %d" % statistics.median(calls) if calls else ""
        print("median %s %.3f%s" % (name, statistics.median(values), extra))
    for name, value in sorted(runs[0][1].items()):
        print("count %s %d" % (name, value))
    if args.users:
        for name in user_parts(runs[0][0]):
            print("part %s %.3f calls %d" % (
                name, statistics.median(user_parts(t)[name] for t, _ in runs),
                statistics.median(user_parts(t, "#")[name] for t, _ in runs)))
    for name, formula, target in USER_RATIOS if args.users else RATIOS:
        try:
            value = statistics.median(formula(t) for t, _ in runs)
        except (KeyError, ZeroDivisionError):
            print("ratio %s n/a" % name)
            continue
        print("ratio %s %.3f" % (name, value))
        if target is None:
            continue
        print("  target %s at most %g: %s" % (name, target, "met" if value <= target
                                                else "MISSED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
