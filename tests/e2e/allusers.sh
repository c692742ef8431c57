#!/usr/bin/env bash
# SCAN and CLEAN /allusers with the real Klarvex.exe and the system's editor: the running user
# (through HKEY_CURRENT_USER), a second profile whose hive is loaded at HKEY_USERS and a third
# whose hive is missing. The run over every user lists what a plain run lists, plus the second
# user's own findings named by her profile, judged by her settings; the third is named as
# skipped. CLEAN /allusers removes exactly those, and its undo file gives them back.
# Wine loads no hive files (RegLoadKey of an NT hive fails), so the profile loaded for the run
# is shown on the simulated platform only; every Wine process is elevated, so the refusal of
# /allusers without elevation is too.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin allusers 900

other='HKEY_USERS\S-1-5-21-0-0-0-2000'
make_base "$work/base"
reg_from_text "$here/allusers-planted.txt" "$work/planted.reg"
# Wine keeps another user's keys only while its server runs: a server that stays is started
# before they are planted.
use_prefix allusers
wineserver -k
wineserver -w
wineserver -p
cp "$work/planted.reg" "$WINEPREFIX/drive_c/klarvex/planted.reg"
timeout 60 "$wine64" regedit /s 'C:\klarvex\planted.reg'
mkdir -p "$WINEPREFIX/drive_c/KvxTools" "$WINEPREFIX/drive_c/users/other"
touch "$WINEPREFIX/drive_c/KvxTools/kvxtool.exe"
k=$WINEPREFIX/drive_c/klarvex
# export_users NAME: the three branches a run over every user may change.
export_users() {
  export_all "$1"
  timeout 120 "$wine64" regedit /e "C:\\klarvex\\$1-hku.reg" "$other"
  timeout 120 "$wine64" regedit /e "C:\\klarvex\\$1-hkuc.reg" "${other}_Classes"
}
same_users() {
  compare "$1" "$2" && python3 "$here/regdiff.py" "$k/$1-hku.reg" "$k/$2-hku.reg" &&
    python3 "$here/regdiff.py" "$k/$1-hkuc.reg" "$k/$2-hkuc.reg"
}

echo "=== SCAN /report and SCAN /allusers /report"
export_users before
expect "plain scan: problems found" "$(report_run SCAN 'C:\klarvex\plain.json')" "1"
expect "scan over every user: problems found" "$(report_run SCAN 'C:\klarvex\all.json' /allusers)" "1"
ok "every user's findings, each named by its owner; the missing hive's profile skipped" \
  python3 - "$k/plain.json" "$k/all.json" <<'PY'
import json, sys
plain, every = (json.load(open(p)) for p in sys.argv[1:])
def items(r): return [(i["item"], i["owner"] if i["owner"] == "machine" else i["owner"]["sid"])
                      for c in r["categories"] for i in c["items"]]
other = "S-1-5-21-0-0-0-2000"
theirs = [i for i in items(every) if i[1] == other]
mine = [i for i in items(every) if i[1] != other]
run = "HKEY_USERS\\S-1-5-21-0-0-0-2000\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run, value "
want = sorted(["HKEY_USERS\\S-1-5-21-0-0-0-2000_Classes\\.kvxother", run + '"KvxTool"', run + '"KvxOtherGone"'])
profiles = {p["sid"]: (p["profile"], p["state"]) for p in every["profiles"]}
checks = [(mine == items(plain), "the running user's and the machine's findings as a plain scan's"),
          (sorted(i for i, _ in theirs) == want, "the other user's findings: %s" % theirs),
          (profiles.get(other) == ("other", "judged"), "the other profile judged: %s" % profiles),
          (profiles.get("S-1-5-21-0-0-0-3000", ("", ""))[1] == "skipped", "the ghost skipped")]
bad = [why for good, why in checks if not good]
if bad: print("\n".join(bad))
sys.exit(1 if bad else 0)
PY

echo "=== CLEAN /allusers /report, then its undo file"
expect "clean over every user: changed" "$(report_run CLEAN 'C:\klarvex\clean.json' /allusers)" "1"
export_users cleaned
ok "the other user's findings are gone from her hive" \
  bash -c "! grep -q KvxOtherGone <(iconv -f UTF-16 -t UTF-8 '$k/cleaned-hku.reg')"
undofile=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["undoFile"])' "$k/clean.json")
timeout 60 "$wine64" regedit /s "$undofile"
export_users restored
ok "the undo file gives every user's keys back as they were" same_users before restored

wineserver -k
finish_prefix
e2e_end
