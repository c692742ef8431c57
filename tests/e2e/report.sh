#!/usr/bin/env bash
# Report runs and the preview window with the real Klarvex.exe and the system's editor: on the
# safety scenario's machine SCAN /report lists every planted problem with its rule and changes
# nothing; CLEAN /report removes exactly those, the undo file gives everything back; an excluded
# problem stays through both; a report run without a file name, with a missing folder or while a
# window is open, and a SCAN that window cannot take, say why on their console and end with code
# 2; /? prints the usage to a terminal and opens no window; the preview window scans first
# and cleans after. The same machine scanned from Linux by klarvex-offline (its registry merged
# into hive files, drive_c as the disk) lists the same findings item for item.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
source "$here/offline.bash"
e2e_begin report 900

# report MODE NAME: a report run into C:\klarvex\NAME.json; prints its exit code.
report() { report_run "$1" "C:\\klarvex\\$2.json"; }
# said ARGUMENTS...: what a report run wrote to its console, then its exit code.
said() {
  local text code
  text=$(timeout 600 wine 'C:\klarvex\Klarvex.exe' "$@" 2>&1 >/dev/null)
  code=$?
  printf '%s | %s' "$(tr -d '\r' <<<"$text")" "$code"
}

echo "=== base prefix"
make_base "$work/base"
planted=$work/planted.reg
reg_from_text "$here/safety-planted.txt" "$planted"
use_prefix report "$planted"
plant_safety_files
k=$WINEPREFIX/drive_c/klarvex
undo=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming)/Ostrawin/Klarvex/Undo
mkdir -p "$undo"
# One planted problem is excluded; the rest are expected as in the safety scenario.
excluded='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KvxApp1'
printf '# kept on purpose\r\n%s\r\nnot a key\r\n' "$excluded" >"$undo/Exclusions.txt"
grep -vF "$excluded" "$here/safety-expected.txt" >"$work/expected.txt"
cp "$work/expected.txt" "$k/expected.txt"
ls "$undo" >"$work/undo-before.txt"

echo "=== the usage, asked from a terminal"
# script gives the program a terminal, and Wine gives a program started there that terminal's
# console. Exit code 0 within the time limit: no window waited for a close.
usage=$(script -qec "timeout 60 wine 'C:\\klarvex\\Klarvex.exe' '/?'; echo code \$?" /dev/null </dev/null |
  tr -d '\r')
expect_has "/? prints every form" "$usage" "Klarvex.exe CLEAN /report FILE  no window"
expect_has "/? ends with code 0, without a window" "$usage" "code 0"

echo "=== a report run with nowhere to write"
while IFS='|' read -r mode path line; do
  expect "$mode /report $path: its line, code 2" "$(said "$mode" /report $path)" "$line | 2"
done <<'EOF'
SCAN||Klarvex: no report file is named after /report.
CLEAN|C:\nowhere\r.json|Klarvex: the report's folder C:\nowhere\ does not exist.
EOF
# As the README tells Windows users: start /wait from a command prompt. The program then has no
# handles of the prompt's, only its console to attach to; Wine gives cmd one in a terminal.
printf '@start /wait C:\\klarvex\\Klarvex.exe SCAN /report\r\n@echo code %%errorlevel%%\r\n' >"$k/wait.bat"
console=$(script -qec "timeout 120 wine cmd /c 'C:\\klarvex\\wait.bat'" /dev/null </dev/null |
  tr -d '\r' | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' | grep -v '^$')
# The summary line follows, wrapped at the console's width.
expect "start /wait in a console: its line, the summary's start, code 2" \
  "$(head -n1 <<<"$console")|$(sed '1d;$d' <<<"$console" | tr -d '\n' | cut -c1-70)|$(tail -n1 <<<"$console")" \
  'Klarvex: no report file is named after /report.|{"schemaVersion":"1.1","program":"Klarvex","mode":"scan","exitCode":2,|code 2'
ls "$undo" >"$work/undo-after-refusals.txt"
ok "nothing was cleaned or written" cmp -s "$work/undo-before.txt" "$work/undo-after-refusals.txt"

echo "=== SCAN /report"
export_all before
expect "scan exit code (problems found)" "$(report SCAN scan)" "1"
export_all scanned
ok "the scan changed no key or value" compare before scanned
ls "$undo" >"$work/undo-after-scan.txt"
ok "the scan wrote no file in the undo folder" cmp -s "$work/undo-before.txt" "$work/undo-after-scan.txt"
ok "every expected problem listed with its rule, nothing else" \
  python3 "$here/reportcheck.py" "$k/scan.json" "$work/expected.txt" scan
kept=$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); print(r["exclusions"]["lines"][0]["kept"], r["exclusions"]["badLines"][0]["line"])' "$k/scan.json")
expect "the exclusion kept its entry; the bad line is named" "$kept" "1 3"

echo "=== the same machine scanned from Linux: klarvex-offline over hive files and drive_c"
hives=$(offline_hives before)
sums=$(sha256sum "$hives/SOFTWARE" "$hives/NTUSER.DAT")
expect "offline exit code (problems found)" \
  "$(offline_scan "$hives" "$work/offline.json" --exclusions "$undo/Exclusions.txt")" "1"
ok "the offline scan lists SCAN /report's findings item for item" \
  python3 "$here/offline-compare.py" "$k/scan.json" "$work/offline.json"
expect "the offline scan changed no hive" "$(sha256sum "$hives/SOFTWARE" "$hives/NTUSER.DAT")" "$sums"

echo "=== CLEAN /report"
expect "clean exit code (all fixed: changed)" "$(report CLEAN clean)" "1"
export_all cleaned
ok "exactly the expected items are gone (the excluded one stays)" \
  compare before cleaned "$work/expected.txt"
ok "the clean fixed the scan's items in the scan's order" \
  python3 "$here/reportcheck.py" "$k/clean.json" "$work/expected.txt" clean "$k/scan.json"
undofile=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["undoFile"])' "$k/clean.json")
echo "  undo file: $undofile"
timeout 60 "$wine64" regedit /s "$undofile"
export_all restored
ok "the undo file gives back the registry as it was" compare before restored

echo "=== the fleet detection script under Wine's cmd: an error never reads as \"no issue\""
cp "$root/scripts/fleet/klarvex-detect.cmd" "$k/"
n=0
while IFS='|' read -r exe folder code last; do
  n=$((n + 1))
  KLARVEX_EXE=$exe timeout 600 wine cmd /c 'C:\klarvex\klarvex-detect.cmd' "$folder" 2>/dev/null |
    tr -d '\r' >"$work/detect-$n.out"
  got=${PIPESTATUS[0]}
  expect "detection with $exe into $folder: its code, the last line's start" \
    "$got $(tail -n1 "$work/detect-$n.out" | cut -c1-${#last})" "$code $last"
done <<'EOF'
C:\klarvex\Klarvex.exe|C:\klarvex|1|{"schemaVersion":"1.1","program":"Klarvex","mode":"scan","exitCode":1,
C:\klarvex\Klarvex.exe|C:\klarvex\scan.json|1|{"schemaVersion":"1.1","program":"Klarvex","mode":"scan","exitCode":2,"error":"the report's folder
C:\nowhere\Klarvex.exe|C:\klarvex|1|{"schemaVersion":"1.1","program":"Klarvex","mode":"scan","exitCode":2,"error":"Klarvex did not run
EOF
ok "each detection's last line is a valid summary" \
  python3 "$root/tests/support/validate-report.py" --last-line "$work"/detect-*.out

echo "=== a report run while a window is open"
start CLEAN
ok "window opens" drv wait-window 30000
expect "a report run during a window: its line, code 2" "$(said SCAN /report 'C:\klarvex\busy.json')" \
  "Klarvex: Another Klarvex window or report run is using the undo folder. | 2"
expect "SCAN handed to the open window: its line, code 2" "$(said SCAN)" \
  "Klarvex: A Klarvex window is already open, and it takes only CLEAN and UNDO: close it to start SCAN. | 2"
busy=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["error"].splitlines()[0])' "$k/busy.json")
expect "the report says why" "$busy" "Another Klarvex window or report run is using the undo folder."
drv close
ok "window closes" drv wait-gone 20000

echo "=== the reports and summary lines against the schema"
# report_run checks the SCAN and CLEAN reports; these came by other ways.
ok "the offline report, the error report of a run beside a window, the offline run's last line" \
  python3 "$root/tests/support/validate-report.py" "$k/busy.json" "$work/offline.json" \
  --last-line "$work/offline.json.out"
expect "the user's findings are the profile's, the machine's the machine's" \
  "$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); print(sorted({(i["root"], str(i["owner"])) for c in r["categories"] for i in c["items"]}))' "$k/scan.json" | sed "s/'profile': '[^']*'/'profile': P/g")" \
  "[('HKEY_CLASSES_ROOT', 'machine'), ('HKEY_CURRENT_USER', \"{'sid': 'S-1-5-21-0-0-0-1000', 'profile': P}\"), ('HKEY_LOCAL_MACHINE', 'machine')]"

echo "=== the preview window"
start SCAN
ok "window opens" drv wait-window 30000
expect "button reads Scan" "$(drv text CleanButton)" "Scan"
shot report-preview-before
drv click CleanButton
drv wait-text ProgressLabel "problems found" 600000 >/dev/null
scanned=$(drv text ProgressLabel)
echo "  summary: $scanned"
expect "the bad exclusion line is named" "$(drv dialog Information 60000 | grep -c 'line 3: not a key')" "1"
shot report-preview-bad-line
drv press Information 1
expect "button reads Clean after the scan" "$(drv text CleanButton)" "Clean"
echo "  counts: $(counts)"
shot report-preview-after-scan
drv click DetailsLink2
sleep 1
# After a scan, Details is the category's review list: each finding once, ticked.
expect "the review list in place of the text" "$(drv visible DetailsList) $(drv visible FindingsList)" "0 1"
findings=$(drv list FindingsList)
rows=$(grep -c . <<<"$findings")
expect "a row for each finding, all ticked" "$rows of $rows" "$(drv text Counter2)"
expect "every finding ticked" "$(cut -f1 <<<"$findings" | sort -u)" "1"
shot report-preview-details
drv click DetailsBackButton
export_all previewed
ok "the preview's scan changed nothing" compare restored previewed
drv click CleanButton
drv dialog Information 600000 >/dev/null
drv press Information 1
expect "Clean after the preview fixes what the scan found" "$(drv text ProgressLabel)" \
  "${scanned/problems found/items fixed}"
shot report-preview-after-clean
drv close
ok "window closes" drv wait-gone 20000
export_all preview-cleaned
ok "Clean after the preview removes exactly the expected items" \
  compare restored preview-cleaned "$work/expected.txt"
finish_prefix

e2e_end
