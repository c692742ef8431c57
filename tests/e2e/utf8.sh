#!/usr/bin/env bash
# Klarvex.exe with UTF-8 as its code page (KlarvexUtf8.exe: the same program, its manifest's
# activeCodePage UTF-8, as on a system with "Use Unicode UTF-8 for worldwide language support"):
# a clean in the real window of names and data outside Windows-1252, then the run's undo file
# imported with the system's editor gives back everything, type and bytes.
#
# What this set-up shows: under UTF-8 every such name and text reads back unchanged, so the program
# judges them like any other (a missing file's value goes, an existing one stays; under
# Windows-1252 the same values are left alone unjudged, see hive.sh), and the undo file holds them
# exactly. What it cannot show: Wine's regedit.exe keeps the system's code page here, so it reads
# the run's single-byte repair script differently from a real UTF-8 system, where both agree;
# non-ASCII items are therefore planted only where the clean removes them directly. Nor does Wine
# refuse the conversion flags Windows refuses under UTF-8: only the simulated code page shows that.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin utf8 600

gone=('"url1"="http://пример.рф/"' '"url2"="http://example.com/Ωmega"'
      '"Doc"="C:\\Документы\\отчёт.doc"' '"Αρχείο"="C:\\中文\\😀 gone.txt"'
      '"בית"=hex(2):43,00,3a,00,5c,00,d7,05,d3,05,e9,05,5c,00,6e,00,6f,00,6e,00,65,00,\')
kept='"Есть"="C:\\Мои\\есть.txt"'

echo "=== base prefix, the UTF-8 program in it"
make_base "$work/base"
utf8_exe=$(dirname "$exe")/KlarvexUtf8.exe
[ -f "$utf8_exe" ] || { echo "missing $utf8_exe: build the win64 preset first"; exit 1; }
cp "$utf8_exe" "$work/base/drive_c/klarvex/Klarvex.exe"
mkdir -p "$work/base/drive_c/Мои"
touch "$work/base/drive_c/Мои/есть.txt"
reg_from_text "$here/utf8-planted.txt" "$work/planted.reg"
use_prefix utf8 "$work/planted.reg"
export_all before
for line in "${gone[@]}" "$kept"; do ok "planted: $line" has_line "$(kfile before-cu.reg)" "$line"; done

echo "=== clean in the window"
clean_in_window
export_all cleaned
for line in "${gone[@]}"; do ok "cleaned away: $line" lacks_line "$(kfile cleaned-cu.reg)" "$line"; done
ok "its file exists, so it stays: $kept" has_line "$(kfile cleaned-cu.reg)" "$kept"

echo "=== the undo file imported with the system's editor"
import_undo_file
export_all restored
ok "everything is back, same type and bytes" compare before restored
finish_prefix

e2e_end
