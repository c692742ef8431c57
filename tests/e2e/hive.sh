#!/usr/bin/env bash
# A real user's registry end to end: the Software branch of a real Windows user hive
# (tests/data/hives, see its README) imported into a fresh prefix, beside it values whose text lies
# outside the Western code page; Clean pressed in the real window; the run's undo file imported
# with the system's editor gives back every removed or changed item, type and bytes. Compared
# through the editor's exports of both software branches.
#
# Left out of the comparison: Explorer\Shell Folders (regdiff.py's noise). Wine rewrites those
# values to its own paths whenever a program asks where a folder is, so they say nothing about the
# clean; for the same reason the hive's copy of that key is not imported at all. The hive holds no
# Classes key and no Wine key, so nothing else of Wine's own is overwritten.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin hive 600

# The history list goes whatever it holds; the path outside the code page is not judged.
history=('"url2"="http://пример.рф/"' '"url3"="http://example.com/Ωmega"')
unjudged='"Doc"="C:\\Документы\\отчёт.doc"'

echo "=== the hive's Software branch, with the planted values"
xz -dc "$root/tests/data/hives/NTUSER_BAGMRU.DAT.xz" >"$work/NTUSER.DAT"
perl -CO "$(command -v hivexregedit)" --export --prefix HKEY_CURRENT_USER "$work/NTUSER.DAT" '\' \
  >"$work/ntuser.txt" || { echo "hivexregedit failed"; exit 1; }
python3 "$here/hive-software.py" "$work/ntuser.txt" "$here/hive-planted.txt" "$work/hive.reg"
make_base "$work/base"
use_prefix hive "$work/hive.reg"
export_all before
for line in "${history[@]}" "$unjudged" '[HKEY_CURRENT_USER\Software\7-Zip]'; do
  ok "imported: $line" has_line "$(kfile before-cu.reg)" "$line"
done

echo "=== clean in the window"
clean_in_window
export_all cleaned
for line in "${history[@]}"; do ok "cleaned away: $line" lacks_line "$(kfile cleaned-cu.reg)" "$line"; done
ok "left alone: $unjudged" has_line "$(kfile cleaned-cu.reg)" "$unjudged"
python3 "$here/regdiff.py" "$(kfile before-cu.reg)" "$(kfile cleaned-cu.reg)" >"$work/cleaned.diff"
# The planted history values aside, what went from the user's branch was the hive's own.
from_hive=$(grep -c '^  gone, not expected: HKEY_CURRENT_USER' "$work/cleaned.diff")
from_hive=$((from_hive - ${#history[@]}))
echo "  items the clean took from the hive's keys: $from_hive"
ok "the clean found problems in the hive" test "$from_hive" -gt 0
ok "nothing appeared in the user's branch" bash -c "! grep -q '^  appeared' '$work/cleaned.diff'"

echo "=== the undo file imported with the system's editor"
import_undo_file
for line in "${history[@]}"; do ok "undo file holds: $line" has_line "$(kfile undo.reg)" "$line"; done
export_all restored
ok "every removed or changed item is back, same type and bytes" compare before restored
finish_prefix

e2e_end
