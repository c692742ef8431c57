#!/usr/bin/env bash
# Choose before Clean in the real preview window, on the safety scenario's planted machine: the
# scan lists every planted finding with its problem, item and data, each item once, as a SCAN
# report of the same machine lists them; a real mouse click on one
# row's check box unticks it; Clean then removes exactly the expected items but that one. The
# review list is shot at 96, 144 and 192 DPI.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin review 900 1920x1200x24

# The entry left unticked, and how its row begins: its own name and DisplayName first.
kept='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KvxApp1'
keptRow='KvxApp1 (Kvx App 1) - '
# told: the text of an Information dialog the run ended with, closed; "" when there was none.
told() {
  sleep 1
  drv no-dialog Information && return
  drv dialog Information | paste -sd' '
  drv press Information 1 >/dev/null
}

# scan_in_preview: starts the preview window and runs its scan.
scan_in_preview() {
  start SCAN
  ok "window opens" drv wait-window 30000
  expect "the button scans" "$(drv text CleanButton)" "Scan"
  drv click CleanButton
  drv wait-text ProgressLabel "problems found" 600000 >/dev/null
  expect "nothing reported" "$(told)" ""
}
# review_rows: every category's review list, one row a line (category, ticked, selected, the
# columns).
review_rows() {
  for k in 1 2 3 4 5 6; do
    [ "$(drv text "Counter$k")" = 0 ] && continue
    drv click "DetailsLink$k"
    sleep 1
    drv list FindingsList | sed "s/^/$k\t/"
    drv click DetailsBackButton
    sleep 1
  done
}

echo "=== base prefix"
make_base "$work/base"
planted=$work/planted.reg
reg_from_text "$here/safety-planted.txt" "$planted"

echo "=== the review list at 96 DPI: untick one finding by a click on its check box, then Clean"
use_prefix review "$planted"
export_all before
expect "a SCAN report of the same machine" "$(report_run SCAN 'C:\klarvex\scan.json')" "1"
scan_in_preview
rows=$(review_rows)
printf '%s\n' "$rows" >"$work/rows.txt"
# Each planted problem with its columns: problem, item, data (a fresh prefix adds its own
# orphan extensions .dll and .xsl).
while IFS= read -r row; do
  if cut -f4- <<<"$rows" | grep -qxF -- "$row"; then pass "listed: $row"; else fail "not listed: $row"; fi
done <"$here/review-listed.txt"
expect "every row ticked, with a problem and an item" \
  "$(awk -F'\t' '$2 != 1 || $4 == "" || $5 == ""' <<<"$rows")" ""
ok "the review rows are the distinct items of the SCAN report" \
  python3 "$here/reviewcheck.py" "$work/rows.txt" "$WINEPREFIX/drive_c/klarvex/scan.json"
drv click DetailsLink4
sleep 1
row=$(($(drv list FindingsList | cut -f4 | grep -nF -- "$keptRow" | cut -d: -f1) - 1))
ok "a real click on the check box of row $row" drv click-check FindingsList "$row"
sleep 1
expect "that row alone unticked" \
  "$(drv list FindingsList | awk -F'\t' -v n="${#keptRow}" '$1 == 0 {print substr($4, 1, n) "|"}')" \
  "$keptRow|"
shot review-96-dpi
drv click DetailsBackButton
run_clean
expect "nothing appeared after the scan" "$(told)" ""
drv close
ok "window closes" drv wait-gone 20000
export_all cleaned
grep -vxF -- "$kept" "$here/safety-expected.txt" >"$work/expected-but-kept.txt"
ok "exactly the expected items are gone but the unticked one" \
  compare before cleaned "$work/expected-but-kept.txt"
ok "the unticked entry stays" timeout 60 "$wine64" reg query "$kept"
finish_prefix

for dpi in 144 192; do
  echo "=== the review list at $dpi DPI"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n' \
    "$dpi" >"$work/dpi.reg"
  use_prefix "dpi$dpi" "$work/dpi.reg"
  cp "$planted" "$WINEPREFIX/drive_c/klarvex/planted.reg"
  timeout 60 "$wine64" regedit /s 'C:\klarvex\planted.reg'
  wineserver -w
  scan_in_preview
  drv click DetailsLink2
  sleep 1
  expect "the review list in front at $dpi DPI" "$(drv visible FindingsList)" "1"
  expect "and the text box behind" "$(drv visible DetailsList)" "0"
  shot "review-$dpi-dpi"
  drv close
  ok "window closes" drv wait-gone 20000
  finish_prefix
done

echo
if [ "$failures" -eq 0 ]; then echo "review: all checks passed"; else echo "review: $failures checks failed"; fi
[ "$failures" -eq 0 ]
