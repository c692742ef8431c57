#!/usr/bin/env python3
"""Checks a scan's review rows against a SCAN report of the same machine.

reviewcheck.py ROWS REPORT: ROWS holds the review lists of every category, one row a line
(category, ticked, selected, problem, item, data; in the ANSI code page), REPORT is the JSON
report. Each category lists exactly the report's items, each once: the rule in words, the data
as stored (and a moved server's new path), the item's own name before where it lives. Exit
code 1 on any difference.
"""
import json
import sys


def own_name(item):
    """The value's name in quotes, or the key's last name, as a row begins with it."""
    if item.get("value") is not None:
        return '"%s"' % item["value"] if item["value"] else "(default)"
    return item["key"].split("\\")[-1]


def expected_rows(category):
    rows = []
    for item in category["items"]:
        data = item["data"] + (" -> " + item["newPath"] if item.get("newPath") else "")
        rows.append((item["rule"][:1].upper() + item["rule"][1:], own_name(item), data))
    return sorted(rows)


def listed_rows(lines, number):
    rows = []
    for line in lines:
        category, _, _, problem, item, data = line.split("\t")
        if int(category) != number:
            continue
        name = item.rsplit(" - ", 1)[0]
        rows.append((problem, name, data))
    return rows


def main():
    lines = [l.rstrip("\r\n") for l in open(sys.argv[1], encoding="cp1252") if l.strip()]
    report = json.load(open(sys.argv[2], encoding="utf-8"))
    errors = []
    for category in report["categories"]:
        number = category["category"]
        wanted = expected_rows(category)
        listed = listed_rows(lines, number)
        if len(listed) != category["count"] or len(wanted) != category["count"]:
            errors.append("category %d: %d rows, %d items, count %d"
                          % (number, len(listed), len(wanted), category["count"]))
        unmatched = list(listed)
        for problem, name, data in wanted:
            # A class's row begins with its GUID: the key's own name then follows a backslash.
            match = next((r for r in unmatched if r[0] == problem and r[2] == data and
                          (r[1].startswith(name) or ("\\" + name) in r[1])), None)
            if match is None:
                errors.append("category %d: no row for %s %s %s" % (number, problem, name, data))
            else:
                unmatched.remove(match)
        for row in unmatched:
            errors.append("category %d: a row the report does not have: %s" % (number, row))
    for e in errors:
        print("  " + e)
    return 1 if errors else 0


sys.exit(main())
