#!/usr/bin/env bash
# End-to-end test of the real window: build/win64/Klarvex.exe under Xvfb + Wine in fresh
# prefixes, driven by build/win64/kvxdriver.exe. Builds nothing (the win64 preset does).
# Screenshots go to build/screenshots/.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
# A screen large enough for the window at twice the normal scale.
e2e_begin window 1500 1920x1200x24

# add_counts "1 2 3 4 5 6" "1 0 0 0 1 0": element-wise sum.
add_counts() {
  local -a a=($1) b=($2) sum=()
  for i in 0 1 2 3 4 5; do sum+=($((a[i] + b[i]))); done
  echo "${sum[*]}"
}
# note_report: after a run, shows and closes the report of a problem that had no backup (the
# editor wrote none) and so stayed; the checks that follow tell whether it was a planted one.
note_report() {
  sleep 1
  if ! drv no-dialog Information; then
    echo "  note: the run reported: $(drv dialog Information | paste -sd' ')"
    drv press Information 1
  fi
}
# title_icon [DIALOG]: the main window's (or the dialog's) title bar on the virtual desktop's
# screenshot shows the green check of the program's icon (no other process can ask Wine for it).
title_icon() {
  local x y w h green
  read -r x y w h <<<"$(drv title-bar ${1:+"$1"})"
  green=$(convert "$shots/start-no-argument.png" -crop "${w}x${h}+${x}+${y}" +repage -fuzz 20% \
    -fill black +opaque '#38ab46' -fill white -opaque '#38ab46' -format '%[fx:round(mean*w*h)]' info:)
  [ "${green:-0}" -ge 10 ]
}
# reg_sz KEY NAME: the data of a string value, as reg query shows it.
reg_sz() { timeout 60 "$wine64" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*  *REG_SZ  *//p'; }

echo "=== base prefix"
make_base "$work/base"

# A run of many problems, so that it lasts while the test knocks.
busy_reg=$work/busy.reg
{
  printf 'REGEDIT4\r\n\r\n'
  for i in $(seq 1 80); do
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.kvxbusy%03d]\r\n@="KvxBusy.Missing%03d"\r\n\r\n' "$i" "$i"
  done
} >"$busy_reg"

echo "=== no argument (a double-click): the start page, with the program's icon"
# A virtual desktop of Wine's own draws the windows' frames where there is no window manager;
# the name "shell" gives it a taskbar too.
desktop=$work/desktop.reg
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="shell"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"shell"="640x560"\r\n\r\n' >"$desktop"
use_prefix quiet "$desktop"
wineserver -w
start
ok "window opens" drv wait-window 30000
sleep 1
expect "start page in front" "$(drv visible CleanButton)" "1"
drv click DetailsLink2
drv dialog Information >/dev/null
sleep 1
import -window root -crop 640x560+0+0 "$shots/start-no-argument.png"
ok "the window's title bar shows the program's icon" title_icon
ok "so does a dialog's" title_icon Information
drv press Information 1

echo "=== clean on the untouched prefix: what a fresh prefix itself holds"
run_clean
baseline=$(counts)
echo "  baseline counts: $baseline"
# A whole 64-bit prefix: Wine's 32-bit classes and interfaces, and the 32-bit view's own node at
# the root of the classes, give no finding; only the prefix's orphan extensions do, and Wine's
# four bitmap fonts, registered by bare name without a file in C:\windows\Fonts.
expect "a fresh prefix finds nothing beyond category 1 and its own fonts" \
  "$(cut -d' ' -f2- <<<"$baseline")" "0 0 0 0 4"
drv close
ok "window closes" drv wait-gone 20000

echo "=== undo (any case) with no instance running: the window opens on the undo page"
start undo
ok "window opens" drv wait-window 30000
sleep 1
expect "undo page in front" "$(drv visible UndoFileList)" "1"
expect "start page behind" "$(drv visible CleanButton)" "0"
drv close
ok "window closes" drv wait-gone 20000
finish_prefix

echo "=== clean: start page, run, Details, undo page, Undo, Delete"
use_prefix main "$here/planted.reg"
# What category 1 must find, read from the prefix itself by the program's rule.
timeout 60 "$wine64" regedit /e 'C:\klarvex\classes.reg' 'HKEY_LOCAL_MACHINE\SOFTWARE\Classes'
python3 "$here/orphan-extensions.py" "$WINEPREFIX/drive_c/klarvex/classes.reg" >"$work/orphans-expected.txt"
start clean
ok "window opens" drv wait-window 30000
expect "category 1 name" "$(drv text CategoryName1)" "File associations:"
expect "category 2 name" "$(drv text CategoryName2)" "Com/ActiveX entries:"
expect "category 5 name" "$(drv text CategoryName5)" "Temporary registry values:"
expect "category 6 name" "$(drv text CategoryName6)" "Application paths, fonts and help files:"
expect "counter" "$(drv text Counter3)" "0"
expect "Details link" "$(drv text DetailsLink4)" "Details"
expect "Clean button" "$(drv text CleanButton)" "Clean"
expect "Close button" "$(drv text CloseButton)" "Close"
expect "progress label empty" "$(drv text ProgressLabel)" ""
expect "gauge hidden" "$(drv visible ProgressGauge)" "0"
expect "advert" "$(drv text AdLink)" "Download Fastrel now!"
expect "start page in front" "$(drv visible CleanButton)" "1"
expect "client area at 96 DPI" "$(drv client-size)" "400x345"
shot start-before-run
# Wine reports Windows 7 (major version 6): the program asks for elevation through this value.
expect "compatibility value on version 6" \
  "$(reg_sz 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers' 'C:\klarvex\Klarvex.exe')" \
  "RUNASADMIN ELEVATECREATEPROCESS"

drv click DetailsLink2
expect "count 0 Details link" "$(drv dialog Information)" "You have nothing to view!"
shot dialog-information
ok "Information closed" drv press Information 1
expect "start page stays" "$(drv visible CleanButton)" "1"

run_clean
note_report
summary=$(drv text ProgressLabel)
found=$(counts)
echo "  counts: $found"
echo "  summary: $summary"
# Wine's own data gives category 1 a few findings of its own, so that category is checked by its
# Details lines; the MRU key gives its value and its order list.
read -ra got <<<"$found"
read -ra base <<<"$baseline"
expect "counts of categories 2 to 6" "${got[*]:1}" "$(add_counts "$baseline" "0 0 1 1 2 0" | cut -d' ' -f2-)"
expect "summary label" "$summary" "Summary:  $(($(tr ' ' '+' <<<"$found"))) items fixed."
drv click DetailsLink1
sleep 1
associations=$(drv text DetailsList)
# Fixed through the classes root and below HKLM, the same keys under Wine: counted once.
expect_has "orphan extension fixed in the classes root" "$associations" "[HKCR]\\.kvxorphan ... fixed"
expect_has "orphan extension fixed below HKLM" "$associations" \
  "[HKLM]\\SOFTWARE\\Classes\\.kvxorphan ... fixed"
expect "category 1 counts its keys once" "$(grep -c '^\[HKCR\].* \.\.\. fixed$' <<<"$associations")" "${got[0]}"
grep ' \.\.\. fixed$' <<<"$associations" | sort >"$work/orphans-found.txt"
if diff -q "$work/orphans-expected.txt" "$work/orphans-found.txt" >/dev/null; then
  pass "category 1 finds exactly the orphans of the prefix's export ($(wc -l <"$work/orphans-found.txt"))"
else
  fail "category 1 differs from the prefix's export"
  comm -23 "$work/orphans-expected.txt" "$work/orphans-found.txt" | sed 's/^/  missing: /'
  comm -13 "$work/orphans-expected.txt" "$work/orphans-found.txt" | sed 's/^/  extra:   /'
fi
drv click DetailsBackButton
sleep 1
expect "button back to Clean" "$(drv text CleanButton)" "Clean"
expect "gauge hidden again" "$(drv visible ProgressGauge)" "0"
shot start-after-run
ok "uninstall entry removed" bash -c "! timeout 60 $wine64 reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxLeftover' >/dev/null 2>&1"
ok "Run value removed" bash -c "! timeout 60 $wine64 reg query 'HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run' /v KvxGhost >/dev/null 2>&1"
ok "deletion script removed when the run ended" test ! -e "$(undo_dir)/RegistryCleaner.reg"

drv click DetailsLink4
sleep 1
expect "Details page in front" "$(drv visible DetailsList)" "1"
details=$(drv text DetailsList)
expect_has "Details heading" "$details" "Uninstall entries..."
expect_has "Details line" "$details" "[HKLM]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxLeftover ... deleted"
expect_has "Details summary" "$details" "Summary: 1 items fixed."
expect "Details footer" "$(drv text DetailsFooter)" "1 items fixed."
shot details-page
drv click DetailsBackButton
sleep 1
expect "Back to the start page" "$(drv visible CleanButton)" "1"

timeout 60 wine 'C:\klarvex\Klarvex.exe' UNDO
expect "second start ends" "$?" 0
sleep 2
expect "undo page in front" "$(drv visible UndoFileList)" "1"
list=$(drv list UndoFileList)
echo "  list: $list"
expect "one undo file listed, selected, unticked" "$(echo "$list" | grep -c $'^0\t1\tUndo [0-9-]*\.reg$')" "1"
undo_text=$(drv wide-text UndoFileText)
expect_has "undo file shown" "$undo_text" "KvxLeftover"
ok "leftover deletion script deleted" test ! -e "$(undo_dir)/RegistryCleaner.reg"
shot undo-page

# A click on the list's blank area clears the selection, as in any list view: with nothing
# ticked either, Undo and Delete only say so.
drv click-at UndoFileList 60 200
sleep 1
expect "blank click clears the selection" "$(drv list UndoFileList | cut -f1,2)" $'0\t0'
expect "and the file shown" "$(drv wide-text UndoFileText)" ""
shot undo-page-blank-click
for button in UndoButton DeleteButton; do
  drv click "$button"
  expect "$button with nothing chosen" "$(drv dialog Information)" "Check or select an undo file first."
  ok "$button asks nothing" drv no-dialog Confirmation
  [ "$button" = UndoButton ] && shot dialog-nothing-chosen
  drv press Information 1
done
expect "still unticked" "$(drv list UndoFileList | cut -f1)" "0"
ok "undo file kept" test "$(ls "$(undo_dir)" | grep -c '\.reg$')" -eq 1
drv click-at UndoFileList 40 8
sleep 1
expect "a click on the entry selects it" "$(drv list UndoFileList | cut -f1,2)" $'0\t1'

drv click UndoButton
expect "Undo question" "$(drv dialog Confirmation)" "Are you sure to apply checked undo ?"
shot dialog-confirmation
drv press Confirmation 1
expect "Undo report" "$(drv dialog Information 60000)" "1 undo applyed!"
drv press Information 1
expect "uninstall entry restored" "$(reg_sz 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KvxLeftover' DisplayName)" "Kvx Leftover Tool"
expect "Run value restored" "$(reg_sz 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' KvxGhost)" '"C:\Program Files\KvxGhost\ghost.exe" /minimized'

ok "MRU value restored" reg_has 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\RunMRU' a
expect_has "orphan extension restored" "$(timeout 60 "$wine64" reg query 'HKLM\SOFTWARE\Classes\.kvxorphan' /ve 2>/dev/null)" "KvxMissing.Document"

drv click SelectAllLink
sleep 1
expect "Select all ticks" "$(drv list UndoFileList | cut -f1)" "1"
drv click DeleteButton
expect "Delete question" "$(drv dialog Confirmation)" "Are you sure to delete checked undo?"
drv press Confirmation 1
expect "Delete report" "$(drv dialog Information)" "1 undo-files deleted!"
drv press Information 1
expect "list empty" "$(drv list UndoFileList)" ""
expect "Undo disabled" "$(drv enabled UndoButton)" "0"
expect "Delete disabled" "$(drv enabled DeleteButton)" "0"
expect "no undo file left" "$(ls "$(undo_dir)" | grep -c '\.reg$')" "0"
timeout 60 wine 'C:\klarvex\Klarvex.exe' Clean
expect "second start with clean ends" "$?" 0
sleep 2
expect "clean hand-over brings the start page" "$(drv visible CleanButton)" "1"
expect "no run started by it" "$(drv text ProgressLabel)" "$summary"
drv close
ok "window closes" drv wait-gone 20000
finish_prefix

echo "=== a busy run: close refused, stop answered No, close afterwards"
use_prefix busy "$busy_reg"
start CLEAN
ok "window opens" drv wait-window 30000
drv click CleanButton
ok "run started" drv wait-text CleanButton Stop 30000 >/dev/null
drv close
sleep 1
ok "close request refused during the run" drv wait-window 1000
expect "Close disabled during the run" "$(drv enabled CloseButton)" "0"
drv click CleanButton
question=$(drv dialog Confirmation 30000)
expect "stop question" "$question" "Cancel operation?"
shot dialog-stop-question
drv press Confirmation 2
drv wait-text ProgressLabel "items fixed" 600000 >/dev/null
note_report
# 80 planted extensions, each counted once though seen in both views, and Wine's own findings.
ok "the run went on to the end" test "$(drv text Counter1)" -ge 80
ok "deletion script gone when the run ended" test ! -e "$(undo_dir)/RegistryCleaner.reg"
drv close
ok "window closes after the run" drv wait-gone 20000
finish_prefix

echo "=== display scale: the pages and the dialogs at 144 and 192 DPI"
for dpi in 144 192; do
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n' \
    "$dpi" >"$work/dpi.reg"
  use_prefix "dpi$dpi" "$work/dpi.reg"
  wineserver -w
  start clean
  ok "window opens at $dpi DPI" drv wait-window 30000
  sleep 1
  expect "client area at $dpi DPI" "$(drv client-size)" "$((400 * dpi / 96))x$(((345 * dpi + 48) / 96))"
  shot "start-$dpi-dpi"
  drv click DetailsLink2
  expect "short report at $dpi DPI" "$(drv dialog Information)" "You have nothing to view!"
  shot "dialog-short-$dpi-dpi"
  drv press Information 1
  run_clean
  note_report
  drv click DetailsLink1
  sleep 1
  expect "Details page in front at $dpi DPI" "$(drv visible DetailsList)" "1"
  shot "details-$dpi-dpi"
  drv click DetailsBackButton
  # Six undo files that cannot be deleted (no write permission: read-only to Wine) give the undo
  # page's longest report: five names and how many more.
  mkdir -p "$(undo_dir)"
  for i in 1 2 3 4 5 6; do
    printf 'REGEDIT4\r\n\r\n' >"$(undo_dir)/Undo 26-12-07-1$i.reg"
    chmod a-w "$(undo_dir)/Undo 26-12-07-1$i.reg"
  done
  timeout 60 wine 'C:\klarvex\Klarvex.exe' UNDO
  sleep 2
  shot "undo-$dpi-dpi"
  drv click SelectAllLink
  drv click DeleteButton
  drv press Confirmation 1
  report=$(drv dialog Information 30000)
  expect_has "long report at $dpi DPI" "$report" "6 items were not deleted:"
  expect_has "long report's last line at $dpi DPI" "$report" "and 1 more."
  shot "dialog-long-$dpi-dpi"
  drv press Information 1
  drv close
  ok "window closes" drv wait-gone 20000
  finish_prefix
done

e2e_end
