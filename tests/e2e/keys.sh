#!/usr/bin/env bash
# The whole way from the keyboard alone, in the real window under Wine: from the start page's
# links to the preview's scan, a category's review where Space unticks a row, Alt+C to clean,
# the undo page from its link, and the undo; Tab passes the text pane; Escape closes a message;
# the lists, links and buttons carry the names a screen reader reads. Shots of the focus on a
# link and on a row.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin keys 900 1280x1024x24

uninstall='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
# tab_to NAME: Tab until the control NAME has the focus (at most a page's worth of stops).
tab_to() {
  for _ in $(seq 1 16); do
    [ "$(drv focus)" = "$1" ] && return 0
    drv key tab
  done
  [ "$(drv focus)" = "$1" ]
}

echo "=== base prefix"
make_base "$work/base"
printf 'REGEDIT4\r\n\r\n[%s\\KvxKeysA]\r\n"DisplayName"="Kvx A"\r\n\r\n[%s\\KvxKeysB]\r\n"DisplayName"="Kvx B"\r\n\r\n' \
  "$uninstall" "$uninstall" >"$work/planted.reg"
use_prefix keys "$work/planted.reg"
wineserver -w

echo "=== the start page: the links take the focus, Enter on \"Scan first\" scans"
start
ok "window opens" drv wait-window 30000
sleep 2
expect "the focus starts on Clean" "$(drv focus)" "CleanButton"
ok "Tab reaches the link to the preview" tab_to ScanFirstLink
shot_focus() { import -window root -crop "$(drv window-rect)" +repage "$shots/$1.png" && echo "  shot $shots/$1.png"; }
shot_focus keys-focus-on-link
for name in "ScanFirstLink|Scan first ..." "DetailsLink1|Details" "CleanButton|Clean"; do
  expect "the accessible name of ${name%%|*}" "$(drv acc-name "${name%%|*}")" "${name#*|}"
done
drv key enter
drv wait-text ProgressLabel "problems found" 120000 >/dev/null
ok "no message after the scan" drv no-dialog Information
expect "the button now cleans" "$(drv text CleanButton)" "Clean"

echo "=== the review: Space unticks the focused row"
ok "Tab reaches the uninstall entries' Details" tab_to DetailsLink4
drv key enter
sleep 1
expect "the review names its category" "$(drv text DetailsHeading)" "Details: Uninstall entries"
expect "the list is named by it" "$(drv acc-name FindingsList)" "Details: Uninstall entries"
expect "the focus is on the list" "$(drv focus)" "FindingsList"
kept=$(drv list FindingsList | sed -n 1p | grep -o 'KvxKeys[AB]' | head -1)
gone=KvxKeysA
[ "$kept" = KvxKeysA ] && gone=KvxKeysB
drv key space
expect "Space unticked the first row alone" "$(drv list FindingsList | cut -f1 | paste -sd' ')" "0 1"
shot_focus keys-focus-on-row
expect "the footer counts in the singular and plural" "$(drv text DetailsFooter)" \
  "2 problems found, 1 ticked."
drv key escape
sleep 1
expect "Escape goes back, to the link it left" "$(drv focus)" "DetailsLink4"
expect "the counter follows" "$(drv text Counter4)" "1 of 2"

echo "=== Alt+C cleans the ticked entry; the undo link offers the undo"
drv key alt-c
drv wait-text ProgressLabel "items fixed" 120000 >/dev/null
ok "no message after the clean" drv no-dialog Information
ok "the unticked entry stays" reg_has "$uninstall\\$kept" DisplayName
if reg_has "$uninstall\\$gone" DisplayName; then fail "the ticked one is gone"; else pass "the ticked one is gone"; fi
expect "the link offers the undo" "$(drv text UndoPageLink)" "Undo clean ..."
ok "Tab reaches it" tab_to UndoPageLink
drv key enter
sleep 2

echo "=== the undo page: Tab passes the text pane; the undo by keys"
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
focus_back() { for _ in $(seq 1 10); do [ "$(drv focus)" = "$1" ] && return; sleep 0.5; done; }
focus_back UndoButton
expect "the focus is back on the button Alt+U pressed" "$(drv focus)" "UndoButton"
ok "the cleaned entry is back" reg_has "$uninstall\\$gone" DisplayName
ok "and the other stayed" reg_has "$uninstall\\$kept" DisplayName
drv key escape
sleep 1
expect "Escape leaves the undo page" "$(drv visible CleanButton)" "1"
drv close
ok "window closes" drv wait-gone 20000
finish_prefix
e2e_end
