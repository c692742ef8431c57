#!/usr/bin/env bash
# What a program without elevation may place does not steer a report run of the real
# Klarvex.exe: a symbolic link on the undo folder stops the run before anything is written; a
# report path that is a link, has a second name or lies in the undo folder is refused and what
# it leads to stays as it was. Wine shows a Unix symbolic link on a folder as a reparse point and
# counts hard links; it has no junctions.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin trust 600

# report MODE NAME: a report run into C:\klarvex\NAME; prints its exit code.
report() { report_run "$1" "C:\\klarvex\\$2"; }
error_of() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["error"].splitlines()[0])' "$1"; }

echo "=== base prefix"
make_base "$work/base"
use_prefix trust
k=$WINEPREFIX/drive_c/klarvex
roaming=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming)

echo "=== a symbolic link on the undo folder"
mkdir -p "$roaming/Ostrawin/Klarvex" "$work/elsewhere"
ln -s "$work/elsewhere" "$roaming/Ostrawin/Klarvex/Undo"
expect "exit code (not run)" "$(report CLEAN linked.json)" "2"
expect "the report says why" "$(error_of "$k/linked.json" | cut -c1-42)" \
  "Klarvex cannot keep its undo files safely:"
expect "nothing written where the link leads" "$(ls -A "$work/elsewhere" | wc -l)" "0"
rm "$roaming/Ostrawin/Klarvex/Undo"

echo "=== report paths that lead elsewhere"
expect "a plain run works" "$(($(report SCAN plain.json) < 2))" "1"
undo=$(undo_dir)
printf 'mine' >"$k/victim.txt"
ln "$k/victim.txt" "$k/hard.json"
ln -s "$k/victim.txt" "$k/soft.json"
printf 'backup' >"$undo/Undo 26-01-01-01.reg"
expect "a second name is refused" "$(report SCAN hard.json)" "2"
expect "a symbolic link is refused" "$(report SCAN soft.json)" "2"
expect "the file they lead to is unchanged" "$(cat "$k/victim.txt")" "mine"
expect "an undo file as report is refused" \
  "$(report_run SCAN "$(winepath -w "$undo/Undo 26-01-01-01.reg")")" "2"
expect "the undo file is unchanged" "$(cat "$undo/Undo 26-01-01-01.reg")" "backup"
finish_prefix

echo
if [ "$failures" -eq 0 ]; then echo "trust: all checks passed"; else echo "trust: $failures checks failed"; fi
[ "$failures" -eq 0 ]
