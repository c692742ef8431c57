#!/usr/bin/env python3
"""Checks a report run's JSON against the scenario's expected removals.

reportcheck.py REPORT EXPECTED MODE [SCANREPORT]: every expected item (as regdiff.py writes them;
Wine's 32-bit views and the machine's classes seen through the classes root are matched loosely)
is listed with a rule, and nothing else; every action is "found" for a scan, "fixed" or "deleted"
for a clean; with SCANREPORT the clean lists the same items in the same order. Exit code 1 on any
difference.
"""
import json
import sys


def item_names(expected_line):
    key, _, value = expected_line.partition("\t")
    names = [key]
    prefix = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\"
    if key.startswith(prefix):
        names.append("HKEY_CLASSES_ROOT\\" + key[len(prefix):])
    if value:
        names = [n + ', value "' + value + '"' for n in names]
    # Key and value names are compared as Windows compares them: without regard to case.
    return [n.upper() for n in names]


def listed(report):
    return [item for category in report["categories"] for item in category["items"]]


def main():
    report = json.load(open(sys.argv[1], encoding="utf-8"))
    expected = [l.rstrip("\n") for l in open(sys.argv[2], encoding="utf-8") if l.strip()]
    mode = sys.argv[3]
    items = listed(report)
    names = {i["item"].upper() for i in items}
    errors = []
    if report["mode"] != mode:
        errors.append("mode " + report["mode"])
    for line in expected:
        if "Wow6432Node" in line:
            continue  # Wine's 32-bit view of a key listed once
        if not names.intersection(item_names(line)):
            errors.append("not listed: " + line)
    wanted = {n for line in expected for n in item_names(line)}
    for i in items:
        if i["item"].upper() not in wanted:
            errors.append("listed but not expected: " + i["item"])
        if not i["rule"]:
            errors.append("no rule: " + i["item"])
        ok = ["found"] if mode == "scan" else ["fixed", "deleted"]
        if i["action"] not in ok:
            errors.append("action %s: %s" % (i["action"], i["item"]))
        if not i["detail"].endswith(" ... " + ("found" if mode == "scan" else i["action"])):
            errors.append("detail: " + i["detail"])
    if len(sys.argv) > 4:
        scan = [(i["item"], i["rule"]) for i in listed(json.load(open(sys.argv[4], encoding="utf-8")))]
        if scan != [(i["item"], i["rule"]) for i in items]:
            errors.append("the clean's items differ from the scan's")
    for e in errors:
        print("  " + e)
    return 1 if errors else 0


sys.exit(main())
