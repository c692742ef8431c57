#!/usr/bin/env python3
"""offline-compare.py WINE OFFLINE: the offline scan's report against SCAN /report's, item for
item and in order (every field of every finding), the counts, summaries, messages and exit code
alike; only the mode, the times and the exclusions file's name may differ. Exit code 1 on any
difference, each printed."""
import json
import sys

wine = json.load(open(sys.argv[1], encoding="utf-8"))
offline = json.load(open(sys.argv[2], encoding="utf-8"))
errors = []
if offline["mode"] != "offline-scan":
    errors.append("offline mode " + offline["mode"])
for field in ("exitCode", "messages", "windows"):
    if wine[field] != offline[field]:
        errors.append(f"{field}: {wine[field]!r} under Wine, {offline[field]!r} offline")
for a, b in zip(wine["categories"], offline["categories"]):
    wine_items, offline_items = a.pop("items"), b.pop("items")
    if a != b:
        errors.append(f"category {a['category']}: {a} under Wine, {b} offline")
    for item in wine_items:
        if item not in offline_items:
            errors.append("only under Wine: " + json.dumps(item))
    for item in offline_items:
        if item not in wine_items:
            errors.append("only offline: " + json.dumps(item))
    if not errors and wine_items != offline_items:
        errors.append(f"category {a['category']}: the same items in another order")
for kind in ("lines", "badLines"):
    if wine["exclusions"][kind] != offline["exclusions"][kind]:
        errors.append(f"exclusions {kind} differ")
print("\n".join("  " + e for e in errors) or f"  {sum(c['count'] for c in wine['categories'])} findings alike")
sys.exit(1 if errors else 0)
