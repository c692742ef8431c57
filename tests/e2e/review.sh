#!/usr/bin/env bash
# Choose before Clean in the real window, on the safety scenario's planted machine, on a
# 1280x1024 screen: the start page's link scans, from the keyboard; the scan lists every planted
# finding with its problem, item and data; real mouse clicks untick one row in each of two
# categories, Space one in a third, and one item is ignored for good; a problem planted after
# the scan appears; Alt+C then removes exactly the expected items but those, and the undo page
# gives them back from the keyboard alone. Tab passes the text pane, Escape goes back or closes
# a message, and the lists, links and buttons carry the names a screen reader reads. The review
# rows are the distinct items of a SCAN report of the same machine. At 96, 144 and 192 DPI every
# dialog lies inside the screen, and the review list and the ignored page are shot at the
# smallest size and maximised.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin review 2100 1280x1024x24

# The findings a mouse click leaves unticked (category, a text only its row's item holds, the
# exported item), and the startup value ignored for good.
unticked=(
  '2|{KVX-C2}\TypeLib|HKEY_LOCAL_MACHINE\SOFTWARE\Classes\CLSID\{KVX-C2}\TypeLib'
  '5|"File [1]" - |HKEY_CURRENT_USER\Software\Kvx App\Recent	File [1]'
)
run_key='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
ignored="$run_key, value \"KvxGone2\""
# How its review row begins: the value's own name first.
ignoredRow="\"KvxGone2\" - $run_key"
# A startup value planted after the scan: the Clean leaves it and says so.
late_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# told: sets $end to the text of an Information dialog the run ended with, and closes it; "" when
# there was none. A dialog shown must lie wholly inside the 1280x1024 screen.
told() {
  sleep 1
  end=""
  drv no-dialog Information && return
  local w h x y
  IFS='x+' read -r w h x y <<<"$(drv dialog-rect Information)"
  ok "the dialog (${w}x$h at $x,$y) lies inside the screen" \
    test "$x" -ge 0 -a "$y" -ge 0 -a $((x + w)) -le 1280 -a $((y + h)) -le 1024
  end=$(drv dialog Information | paste -sd' ')
  drv press Information 1 >/dev/null
}
# shot_window NAME: the main window alone.
shot_window() {
  import -window root -crop "$(drv window-rect)" +repage "$shots/$1.png" && echo "  shot $shots/$1.png"
}

# scan_in_preview: starts the preview window and runs its scan.
scan_in_preview() {
  start SCAN
  ok "window opens" drv wait-window 30000
  expect "the button scans" "$(drv text CleanButton)" "Scan"
  drv click CleanButton
  drv wait-text ProgressLabel "problems found" 600000 >/dev/null
  told
  expect "nothing reported" "$end" ""
}
# review_rows: every category's review list, one row a line (category, ticked, selected, the
# columns). Escape goes back: the review page keeps the focus where it was, on the list.
review_rows() {
  for k in 1 2 3 4 5 6; do
    [ "$(drv text "Counter$k")" = 0 ] && continue
    drv click "DetailsLink$k"
    sleep 1
    drv list FindingsList | sed "s/^/$k\t/"
    drv key escape
    sleep 1
  done
}
# untick K TEXT: a real mouse click on the check box of the one row of category K whose item
# holds TEXT; that row alone is then unticked and the counter follows.
untick() {
  drv click "DetailsLink$1"
  sleep 1
  local items row
  items=$(drv list FindingsList | cut -f4)
  row=$(grep -nF -- "$2" <<<"$items" | cut -d: -f1)
  expect "one row of category $1 holds $2" "$(wc -w <<<"$row")" 1
  ok "a real click on its check box" drv click-check FindingsList "$((row - 1))"
  sleep 1
  expect "that row alone unticked" "$(drv list FindingsList | awk -F'\t' '$1 == 0 {print $4}')" \
    "$(sed -n "${row}p" <<<"$items")"
  local n
  n=$(wc -l <<<"$items")
  expect "the counter follows the tick" "$(drv text "Counter$1")" "$((n - 1)) of $n"
  drv click DetailsBackButton
  sleep 1
}
# tab_to NAME: Tab until the control NAME has the focus (at most a page's worth of stops).
tab_to() {
  for _ in $(seq 1 16); do
    [ "$(drv focus)" = "$1" ] && return 0
    drv key tab
  done
  [ "$(drv focus)" = "$1" ]
}
# maximise: the window fills the screen (its frame may stand a few pixels past the edges).
maximise() {
  drv maximise
  sleep 2
  local w h x y
  IFS='x+' read -r w h x y <<<"$(drv window-rect)"
  ok "maximised, the window (${w}x$h) fills the screen" test "$w" -ge 1280 -a "$h" -ge 990
}
echo "=== base prefix"
make_base "$work/base"
# Without a window manager a maximised window keeps its old place on the X screen: the programs
# run in a desktop of Wine's own the size of the screen, where maximising works as on Windows.
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1280x1024"\r\n\r\n' >"$work/base/drive_c/klarvex/desktop.reg"
(cd "$work/base/drive_c" && WINEPREFIX=$work/base HOME=$work/base/home timeout 60 "$wine64" regedit /s 'C:\klarvex\desktop.reg')
WINEPREFIX=$work/base wineserver -w
planted=$work/planted.reg
reg_from_text "$here/safety-planted.txt" "$planted"

echo "=== at 96 DPI: the start page's link scans; untick in three categories, ignore one value, plant a late one, then Alt+C"
use_prefix review "$planted"
plant_safety_files
expect "a SCAN report of the same machine" "$(report_run SCAN 'C:\klarvex\scan.json')" "1"
start
ok "window opens" drv wait-window 30000
sleep 2
expect "the focus starts on Clean" "$(drv focus)" "CleanButton"
ok "Tab reaches the link to the preview" tab_to ScanFirstLink
shot_window keys-focus-on-link
for name in "ScanFirstLink|Scan first ..." "DetailsLink1|Details" "CleanButton|Clean"; do
  expect "the accessible name of ${name%%|*}" "$(drv acc-name "${name%%|*}")" "${name#*|}"
done
drv key enter
drv wait-text ProgressLabel "problems found" 600000 >/dev/null
told
expect "nothing reported" "$end" ""
expect "the button now cleans" "$(drv text CleanButton)" "Clean"
timeout 60 "$wine64" reg add "$late_key" /v KvxLate /d 'C:\Gone\late.exe' /f >/dev/null
export_all before
rows=$(review_rows)
printf '%s\n' "$rows" >"$work/rows.txt"
# Each planted problem with its columns: problem, item, data (a fresh prefix adds its own
# orphan extensions .dll and .xsl).
while IFS= read -r row; do
  # grep reads all (no -q): under pipefail cut's broken pipe would fail a row found early.
  if cut -f4- <<<"$rows" | grep -xF -- "$row" >/dev/null; then pass "listed: $row"; else fail "not listed: $row"; fi
done <"$here/review-listed.txt"
expect "every row ticked, with a problem and an item" \
  "$(awk -F'\t' '$2 != 1 || $4 == "" || $5 == ""' <<<"$rows")" ""
ok "the review rows are the distinct items of the SCAN report" \
  python3 "$here/reviewcheck.py" "$work/rows.txt" "$WINEPREFIX/drive_c/klarvex/scan.json"
echo "=== the review by keys: Space unticks the focused row, Escape goes back"
ok "Tab reaches the uninstall entries' Details" tab_to DetailsLink4
drv key enter
sleep 1
expect "the review names its category" "$(drv text DetailsHeading)" "Details: Uninstall entries"
expect "the list is named by it" "$(drv acc-name FindingsList)" "Details: Uninstall entries"
expect "the focus is on the list, where it was left" "$(drv focus)" "FindingsList"
drv key space
expect "Space unticked the first row alone" "$(drv list FindingsList | cut -f1 | paste -sd' ')" "0 1"
# The entry Space unticked, then the other.
uninstall='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
entries=("$uninstall\\KvxApp 2 =@" "$uninstall\\KvxApp1")
drv list FindingsList | sed -n 1p | cut -f4 | grep '^KvxApp1 ' >/dev/null && entries=("${entries[1]}" "${entries[0]}")
kept=(-e "${entries[0]}")
expect "the footer counts in the plural" "$(drv text DetailsFooter)" "2 problems found, 1 ticked."
drv key escape
sleep 1
expect "Escape goes back, to the link it left" "$(drv focus)" "DetailsLink4"
expect "the counter follows" "$(drv text Counter4)" "1 of 2"
for u in "${unticked[@]}"; do
  IFS='|' read -r k text item <<<"$u"
  untick "$k" "$text"
  kept+=(-e "$item")
done
drv click DetailsLink4
sleep 1
shot_window review-96-dpi
step=$(drv scroll-right FindingsList)
ok "a click on the list's scroll arrow moves a few characters ($step px)" test "${step:-0}" -ge 16
drv click DetailsBackButton
sleep 1
drv click DetailsLink3
sleep 1
row=$(($(drv list FindingsList | cut -f4 | grep -nxF -- "$ignoredRow" | cut -d: -f1) - 1))
drv select FindingsList "$row"
drv click IgnoreButton
drv press Confirmation 1
sleep 1
expect "the ignored value leaves the list" "$(drv list FindingsList | cut -f4 | grep -cxF -- "$ignoredRow")" "0"
drv click DetailsBackButton
sleep 1
drv key alt-c
drv wait-text ProgressLabel "items fixed" 600000 >/dev/null
told
ok "the late value is told as appeared after the scan, by name" \
  grep -qF "1 problem appeared after the scan and was left; scan again to review it. HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run, value \"KvxLate\"" <<<"$end"
expect "what the ignored line kept out is a line on the page" "$(drv text KeptOutLabel)" \
  "1 item kept out of this run by Exclusions.txt."
expect "the button then scans again" "$(drv text CleanButton)" "Scan again"
expect "the link offers the undo" "$(drv text UndoPageLink)" "Undo clean ..."
echo "=== the ignored page lists the line and takes it back out"
drv click IgnoredLink
sleep 1
expect "the ignored page lists the line" "$(drv list IgnoredList | cut -f3)" "$ignored"
expect "with what it kept in the last run" "$(drv list IgnoredList | cut -f4)" "1"
shot_window ignored-96-dpi
maximise
shot ignored-96-dpi-max
drv select IgnoredList 0
drv click RemoveIgnoredButton
drv press Confirmation 1
sleep 1
expect "and takes it out" "$(drv list IgnoredList)" ""
drv click IgnoredBackButton
export_all cleaned
grep -vxF "${kept[@]}" -e "$run_key	KvxGone2" "$here/safety-expected.txt" >"$work/expected-but-kept.txt"
ok "exactly the expected items are gone but the unticked, the ignored and the late ones" \
  compare before cleaned "$work/expected-but-kept.txt"
ok "the ignored value stays" timeout 60 "$wine64" reg query "$run_key" /v KvxGone2 >/dev/null
ok "the late value stays" timeout 60 "$wine64" reg query "$late_key" /v KvxLate >/dev/null
echo "=== the undo page by keys: Tab passes the text pane, Alt+U undoes, Escape closes the message"
ok "Tab reaches the undo link" tab_to UndoPageLink
drv key enter
sleep 2
expect "the focus is on the undo files" "$(drv focus)" "UndoFileList"
expect "named by their heading" "$(drv acc-name UndoFileList)" "Undo"
drv key down tab
expect "Tab enters the text pane" "$(drv focus)" "UndoFileText"
drv key tab
expect "and leaves it" "$(drv focus)" "SelectAllLink"
ok "back to the list" tab_to UndoFileList
drv key space alt-u
ok "Undo asks" drv dialog Confirmation 10000
drv key enter
ok "Enter on Yes undoes" drv dialog Information 60000
drv key escape
sleep 1
ok "Escape closes the message" drv no-dialog Information
# Wine hands the focus back a moment after the dialog hides.
for _ in $(seq 1 10); do [ "$(drv focus)" = UndoButton ] && break; sleep 0.5; done
expect "the focus is back on the button Alt+U pressed" "$(drv focus)" "UndoButton"
ok "the cleaned entry is back" reg_has "${entries[1]}" DisplayName
ok "and the one Space unticked stayed" reg_has "${entries[0]}" DisplayName
drv key escape
sleep 1
expect "Escape leaves the undo page" "$(drv visible CleanButton)" "1"
drv close
ok "window closes" drv wait-gone 20000
scan_in_preview
drv click DetailsLink3
sleep 1
expect "the next scan lists the ignored value again" \
  "$(drv list FindingsList | cut -f4 | grep -cxF -- "$ignoredRow")" "1"
ok "the window opens maximised as it was closed" test "$(drv window-rect | cut -dx -f1)" -ge 1280
shot review-96-dpi-max
drv close
ok "window closes" drv wait-gone 20000
finish_prefix

for dpi in 144 192; do
  echo "=== the review list and the ignored page at $dpi DPI"
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
  shot_window "review-$dpi-dpi"
  drv click DetailsBackButton
  sleep 1
  printf '%s\r\n' "$ignored" >>"$(user_undo_dir)/Exclusions.txt"
  run_clean
  told
  expect "the start page says what the ignored line kept out" "$(drv text KeptOutLabel)" \
    "1 item kept out of this run by Exclusions.txt."
  drv click IgnoredLink
  sleep 2
  expect "the ignored page lists the line at $dpi DPI" "$(drv list IgnoredList | cut -f3)" "$ignored"
  shot_window "ignored-$dpi-dpi"
  maximise
  shot "ignored-$dpi-dpi-max"
  drv click IgnoredBackButton
  sleep 1
  # The Clean repaired them all: planted again for a maximised list to show.
  timeout 60 "$wine64" regedit /s 'C:\klarvex\planted.reg'
  drv click CleanButton
  # The summary of the Clean before also reads "problems found": the button tells the scan's end.
  drv wait-text CleanButton Clean 600000 >/dev/null
  told
  drv click DetailsLink2
  sleep 1
  expect "the review list maximised at $dpi DPI" "$(drv visible FindingsList)" "1"
  shot "review-$dpi-dpi-max"
  drv close
  ok "window closes" drv wait-gone 20000
  finish_prefix
done

e2e_end
