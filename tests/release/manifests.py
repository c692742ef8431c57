"""Checks the package managers' manifests that scripts/package wrote beside the zip: the fields
their published schemas require (winget 1.6.0: version, installer, defaultLocale; Scoop's
manifest schema), the values that bind them to this release, and the zip's SHA-256.
Usage: manifests.py DIST ZIP VERSION. Prints one line per problem; exits 1 when there are any."""
import hashlib
import json
import re
import sys
from pathlib import Path

import yaml

dist, zip_path, version = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
digest = hashlib.sha256(zip_path.read_bytes()).hexdigest()
problems = []


def need(where, data, fields):
    for field in fields:
        if data.get(field) in (None, "", []):
            problems.append(f"{where}: no {field}")


# The required fields of each winget schema, as published for manifest version 1.6.0.
WINGET = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
                  "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                      "PackageName", "License", "ShortDescription", "ManifestType",
                      "ManifestVersion"],
}
found = {}
for path in sorted((dist / "winget").glob("*.yaml")):
    data = yaml.safe_load(path.read_text(encoding="utf-8"))
    kind = data.get("ManifestType")
    if kind not in WINGET:
        problems.append(f"{path.name}: unknown ManifestType {kind}")
        continue
    found[kind] = data
    need(path.name, data, WINGET[kind])
    if data.get("PackageVersion") != version:
        problems.append(f"{path.name}: PackageVersion {data.get('PackageVersion')}")
    # The file names and identifiers of one set must agree: <id>.yaml, <id>.installer.yaml, ...
    if not path.name.startswith(str(data.get("PackageIdentifier")) + "."):
        problems.append(f"{path.name}: named after another package")
if sorted(found) != sorted(WINGET):
    problems.append(f"winget set has {sorted(found)}")
else:
    installer = found["installer"]
    if found["version"]["DefaultLocale"] != found["defaultLocale"]["PackageLocale"]:
        problems.append("winget: the default locale has no manifest")
    nested = installer.get("NestedInstallerFiles") or [{}]
    if (installer.get("InstallerType"), installer.get("NestedInstallerType")) != ("zip", "portable"):
        problems.append("winget: not a portable program in a zip")
    if nested[0].get("RelativeFilePath") != "Klarvex.exe":
        problems.append("winget: the nested file is not Klarvex.exe")
    for entry in installer.get("Installers") or []:
        need("winget installer", entry, ["Architecture", "InstallerUrl", "InstallerSha256"])
        if str(entry.get("InstallerSha256", "")).lower() != digest:
            problems.append("winget: InstallerSha256 is not the zip's")
        if not str(entry.get("InstallerUrl", "")).endswith("/" + zip_path.name):
            problems.append("winget: InstallerUrl does not name the zip")

scoop = json.loads((dist / "klarvex.json").read_text(encoding="utf-8"))
need("klarvex.json", scoop, ["version", "url", "hash", "bin", "shortcuts"])
if not re.fullmatch(r"[\w\-.+_]+", str(scoop.get("version"))) or scoop.get("version") != version:
    problems.append(f"klarvex.json: version {scoop.get('version')}")
if str(scoop.get("hash")).lower() != digest:
    problems.append("klarvex.json: hash is not the zip's")
if not str(scoop.get("url", "")).endswith("/" + zip_path.name):
    problems.append("klarvex.json: url does not name the zip")
if not all(isinstance(s, list) and len(s) >= 2 and s[0] == scoop.get("bin")
           for s in scoop.get("shortcuts") or [None]):
    problems.append("klarvex.json: a shortcut that does not start the program")

winget_urls = {e.get("InstallerUrl") for e in (found.get("installer") or {}).get("Installers") or []}
if winget_urls != {scoop.get("url")}:
    problems.append("winget and Scoop download different addresses")

for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
