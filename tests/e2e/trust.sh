#!/usr/bin/env bash
# What a program without elevation may place does not steer the real Klarvex.exe. Wine's token
# is always elevated, so every run here takes the elevated path: its files go to the protected
# folder below C:\ProgramData, whatever the user's Shell Folders say; a symbolic link there stops
# the run before anything is written; an undo file planted in the user's own folder is listed
# but not imported by the Undo page; Exclusions.txt and the report reached through a link or
# with a second name are refused and what they lead to stays as it was. Wine makes descriptors
# up and has no junctions: owners and rights are tested on the simulated platform, links here
# as Unix symbolic links, which Wine shows as reparse points. A program of the user that takes
# Klarvex's lock names and window class first neither stops a run nor receives a hand-over.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin trust 900

# report MODE NAME: a report run into C:\klarvex\NAME; prints its exit code.
report() { report_run "$1" "C:\\klarvex\\$2"; }
json_of() { python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); print((r[sys.argv[2]] or "").splitlines()[0])' "$@"; }
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
planted_key='HKLM\Software\KvxPlanted'

echo "=== base prefix"
make_base "$work/base"
printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
  '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]' \
  '"KvxTrustGhost"="C:\\gone\\ghost.exe"' '' >"$work/planted.txt"
reg_from_text "$work/planted.txt" "$work/planted.reg"
use_prefix trust "$work/planted.reg"
k=$WINEPREFIX/drive_c/klarvex
user_undo=$(user_undo_dir)
protected=$(undo_dir)

echo "=== a changed Shell Folders\\AppData changes nothing for an elevated run"
mkdir -p "$work/elsewhere"
ln -s "$work/elsewhere" "$WINEPREFIX/drive_c/attacker"
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
timeout 60 "$wine64" reg add "$shell_folders" /v AppData /d 'C:\attacker\Roaming' /f >/dev/null 2>&1
expect "clean exit code (all fixed: changed)" "$(report CLEAN clean.json)" "1"
expect "the undo file is in the protected folder" "$(json_of "$k/clean.json" undoFile | cut -c1-50)" \
  'C:\ProgramData\Ostrawin\Klarvex\S-1-5-21-0-0-0-100'
expect "one undo file there" "$(ls "$protected" | grep -c '^Undo .*\.reg$')" "1"
expect "nothing written where AppData leads" "$(find "$work/elsewhere" -type f | wc -l)" "0"
ok "the ghost Run value is gone" sh -c "! timeout 60 \"$wine64\" reg query '$run_key' /v KvxTrustGhost >/dev/null 2>&1"

echo "=== a planted undo file in the user's folder is not imported by the elevated Undo page"
timeout 60 "$wine64" reg add "$shell_folders" /v AppData /d "$(winepath -w "${user_undo%/Ostrawin/Klarvex/Undo}")" \
  /f >/dev/null 2>&1
mkdir -p "$user_undo"
printf '%s\n' 'Windows Registry Editor Version 5.00' '' "[HKEY_LOCAL_MACHINE\\Software\\KvxPlanted]" \
  '"x"="y"' '' >"$work/planted-undo.txt"
reg_from_text "$work/planted-undo.txt" "$user_undo/Undo 26-01-01-01.reg"
start UNDO
ok "window opens" drv wait-window 30000
# The page fills its list once the window is up: asked again until it shows.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  list=$(drv list UndoFileList)
  [ -n "$list" ] && break
  sleep 1
done
echo "  list: $list"
expect "both listed, the user's marked" "$(echo "$list" | cut -f3 | grep -c 'Undo 26-01-01-01.reg (your own folder, not imported)')" "1"
drv click SelectAllLink
drv click UndoButton
expect "Undo question" "$(drv dialog Confirmation)" "Are you sure to apply checked undo ?"
drv press Confirmation 1
said=$(drv dialog Information 60000 | paste -sd' ')
expect_has "only the protected undo file counted" "$said" "1 undo applyed!"
expect_has "the user's file refused, with the way to import it knowingly" "$said" \
  "open it with the registry editor"
drv press Information 1
ok "the planted key was not imported" sh -c "! timeout 60 \"$wine64\" reg query '$planted_key' >/dev/null 2>&1"
ok "the program's own undo file was" reg_has "$run_key" KvxTrustGhost
drv close
ok "window closes" drv wait-gone 20000

echo "=== Exclusions.txt and reports reached through links"
printf 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Secret\r\n' >"$k/secret.txt"
ln -f "$k/secret.txt" "$user_undo/Exclusions.txt"
expect "a second name: not run" "$(report SCAN excluded-hard.json)" "2"
expect_has "the report says why" "$(json_of "$k/excluded-hard.json" error)" "Klarvex did not read"
rm "$user_undo/Exclusions.txt"
ln -s "$k/secret.txt" "$user_undo/Exclusions.txt"
expect "a symbolic link: not run" "$(report SCAN excluded-soft.json)" "2"
rm "$user_undo/Exclusions.txt"
expect "a plain run works" "$(($(report SCAN plain.json) < 2))" "1"
printf 'mine' >"$k/victim.txt"
ln "$k/victim.txt" "$k/hard.json"
ln -s "$k/victim.txt" "$k/soft.json"
mkdir -p "$work/admin"
printf 'mine' >"$work/admin/important.cfg"
ln -s "$work/admin" "$k/linkdir"
printf 'backup' >"$protected/Undo 26-01-01-09.reg"
expect "a report with a second name is refused" "$(report SCAN hard.json)" "2"
expect "a report at a symbolic link is refused" "$(report SCAN soft.json)" "2"
expect "the file they lead to is unchanged" "$(cat "$k/victim.txt")" "mine"
expect "a report behind a linked folder is refused" "$(report SCAN 'linkdir\important.cfg')" "2"
expect "what it leads to is unchanged" "$(cat "$work/admin/important.cfg")" "mine"
expect "an undo file as report is refused" \
  "$(report_run SCAN "$(winepath -w "$protected/Undo 26-01-01-09.reg")")" "2"
expect "the undo file is unchanged" "$(cat "$protected/Undo 26-01-01-09.reg")" "backup"

echo "=== a program of the user that took Klarvex's names and class first"
timeout 120 wine 'C:\klarvex\kvxdriver.exe' squat 40 >"$work/squat.out" 2>/dev/null &
squatter=$!
for _ in $(seq 100); do grep -q squatting "$work/squat.out" 2>/dev/null && break; sleep 0.2; done
expect "a report run is not stopped" "$(($(report SCAN squatted.json) < 2))" "1"
start UNDO
ok "the window opens rather than handing over" drv wait-window 30000
# Wine's desktop offers its shell view too: it opens the folder, and no dialog shows it.
drv click OpenFolderLink
sleep 3
ok "Open folder is handed to the desktop's shell" drv no-dialog Information
drv close
ok "window closes" drv wait-gone 20000
# Its names are held for the whole scene: it reports once its time is over.
wait "$squatter"
expect "the squatter received no hand-over" "$(tr -d '\r' <"$work/squat.out" | tail -n 1)" "0"

echo "=== a symbolic link on the protected folder, and on the maker's made before the first elevated run"
for linked in "$protected" "$WINEPREFIX/drive_c/ProgramData/Ostrawin"; do
  name=$(basename "$linked")
  rm -rf "$linked"
  mkdir -p "$work/$name"
  ln -s "$work/$name" "$linked"
  expect "$name: exit code (not run)" "$(report CLEAN "$name.json")" "2"
  expect "$name: the report says why" "$(json_of "$k/$name.json" error | cut -c1-42)" \
    "Klarvex cannot keep its undo files safely:"
  expect "$name: nothing written where the link leads" "$(ls -A "$work/$name" | wc -l)" "0"
done
finish_prefix

e2e_end
