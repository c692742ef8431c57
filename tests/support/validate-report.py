#!/usr/bin/env python3
"""validate-report.py [REPORT...] [--last-line OUTPUT...]: each REPORT against docs/report.schema.json,
and the last line of each OUTPUT (what a report run printed on standard output) against its
summaryLine, under 2,048 characters. Prints each fault; exit code 1 on any."""
import json
import pathlib
import sys

try:
    import jsonschema
except ImportError:
    sys.exit("validate-report.py: python3-jsonschema is missing (scripts/setup installs it)")

LIMIT = 2048
schema = json.loads((pathlib.Path(__file__).resolve().parents[2] / "docs/report.schema.json").read_text())
jsonschema.Draft202012Validator.check_schema(schema)
report_check = jsonschema.Draft202012Validator(schema)
summary_check = jsonschema.Draft202012Validator(
    {"$schema": schema["$schema"], "$defs": schema["$defs"], "$ref": "#/$defs/summaryLine"})


def faults(check, document):
    return [f"{'/'.join(map(str, e.absolute_path)) or '(top)'}: {e.message}"
            for e in check.iter_errors(document)]


def report_faults(path):
    text = pathlib.Path(path).read_text(encoding="utf-8")
    report = json.loads(text)
    found = faults(report_check, report)
    if next(iter(report), None) != "schemaVersion":
        found.append("schemaVersion is not the first member")
    return found


def last_line_faults(path):
    lines = [l for l in pathlib.Path(path).read_bytes().decode("ascii").splitlines() if l.strip()]
    if not lines:
        return ["no line on standard output"]
    line = lines[-1]
    found = faults(summary_check, json.loads(line))
    if len(line) >= LIMIT:
        found.append(f"{len(line)} characters, not under {LIMIT}")
    return found


def main(arguments):
    checker, failed = report_faults, 0
    for argument in arguments:
        if argument == "--last-line":
            checker = last_line_faults
            continue
        try:
            found = checker(argument)
        except (OSError, ValueError) as error:
            found = [str(error)]
        for fault in found:
            print(f"  {argument}: {fault}")
        failed += bool(found)
    return 1 if failed else 0


sys.exit(main(sys.argv[1:]))
