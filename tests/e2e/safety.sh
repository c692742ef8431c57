#!/usr/bin/env bash
# The safety promise end to end: a fresh prefix seeded with problems of every category and
# look-alikes that must stay; Clean pressed in the real window removes exactly the expected
# items and changes nothing else; the run's undo file applied on the undo page gives back the
# registry as it was, type and bytes. Compared through the system editor's full exports.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
source "$here/helpers.bash"
e2e_begin safety 600

echo "=== base prefix"
make_base "$work/base"
planted=$work/planted.reg
reg_from_text "$here/safety-planted.txt" "$planted"

echo "=== planted problems of every category"
use_prefix safety "$planted"
plant_safety_files
ok "planted" bash -c "timeout 60 $wine64 reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KvxApp1' >/dev/null"
export_all before
start clean
ok "window opens" drv wait-window 30000
run_clean
found=$(counts)
echo "  counts: $found"
echo "  summary: $(drv text ProgressLabel)"
ok "no failure reported" drv no-dialog Information
shot safety-after-run
export_all cleaned
# The extensions are seen twice under Wine (the classes root is the machine's); a fresh prefix's
# own orphans .dll and .xsl go too, and Wine shows type libraries in its 32-bit view as well.
expect_gone=$(grep -c . "$here/safety-expected.txt")
echo "  expected gone: $expect_gone entries"
ok "exactly the expected items are gone, nothing else changed" \
  compare before cleaned "$here/safety-expected.txt"
expect "one undo file" "$(ls "$(undo_dir)" | grep -c '^Undo .*\.reg$')" "1"

timeout 60 wine 'C:\klarvex\Klarvex.exe' UNDO
sleep 2
expect "undo page in front" "$(drv visible UndoFileList)" "1"
drv click UndoButton
expect "Undo question" "$(drv dialog Confirmation)" "Are you sure to apply checked undo ?"
drv press Confirmation 1
expect "Undo report, nothing missing" "$(drv dialog Information 60000)" "1 undo applyed!"
drv press Information 1
drv close
ok "window closes" drv wait-gone 20000
export_all restored
ok "the undo file gives back the registry as it was" compare before restored
finish_prefix

e2e_end
