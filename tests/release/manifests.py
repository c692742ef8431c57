"""Checks the package managers' manifests beside the zip against the fields their published
schemas require (winget 1.6.0 version, installer and defaultLocale; Scoop's manifest) and
against the release: its version, the zip's name and SHA-256.
Usage: manifests.py DIST ZIP VERSION. Prints one line per problem; exits 1 when there are any."""
import hashlib
import json
import sys
from pathlib import Path

import yaml

dist, zip_path, version = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
digest = hashlib.sha256(zip_path.read_bytes()).hexdigest()
IDS = ["PackageIdentifier", "PackageVersion"]
REQUIRED = {  # per ManifestType, then for each entry of Installers, then Scoop's
    "version": IDS + ["DefaultLocale", "ManifestType", "ManifestVersion"],
    "installer": IDS + ["Installers", "ManifestType", "ManifestVersion"],
    "defaultLocale": IDS + ["PackageLocale", "Publisher", "PackageName", "License",
                            "ShortDescription", "ManifestType", "ManifestVersion"],
}
problems = []
manifests = {}
for path in (dist / "winget").glob("*.yaml"):
    data = yaml.safe_load(path.read_text(encoding="utf-8"))
    manifests[data.get("ManifestType")] = data
    problems += [f"{path.name}: no {f}" for f in REQUIRED.get(data.get("ManifestType"), ["?"])
                 if not data.get(f)]
    if data.get("PackageVersion") != version:
        problems.append(f"{path.name}: version {data.get('PackageVersion')}")
if sorted(manifests) != sorted(REQUIRED):
    problems.append(f"the winget set holds {sorted(manifests, key=str)}")
installers = manifests.get("installer", {}).get("Installers") or [{}]
scoop = json.loads((dist / "klarvex.json").read_text(encoding="utf-8"))
checks = [
    ("winget installer", installers[0], ["Architecture", "InstallerUrl", "InstallerSha256"],
     "InstallerSha256", "InstallerUrl"),
    ("klarvex.json", scoop, ["version", "url", "hash", "bin", "shortcuts"], "hash", "url"),
]
for name, data, fields, hash_field, url_field in checks:
    problems += [f"{name}: no {f}" for f in fields if not data.get(f)]
    if str(data.get(hash_field)).lower() != digest:
        problems.append(f"{name}: {hash_field} is not the zip's")
    if not str(data.get(url_field)).endswith(f"/{version}/{zip_path.name}"):
        problems.append(f"{name}: {url_field} does not name the zip")
if scoop.get("version") != version:
    problems.append(f"klarvex.json: version {scoop.get('version')}")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
