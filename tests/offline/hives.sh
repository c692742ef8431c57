#!/usr/bin/env bash
# klarvex-offline over the public hives (tests/data/hives, see its README): a real user
# hive is judged and reported; a dirty hive is judged with a warning in the report and on
# standard error; a damaged hive and a truncated one end the scan with code 2 and say why.
# A small machine made with hivex's tools shows what a hive alone cannot: file names matched
# without case, other drives not judged, variables from the hives, the user's classes over the
# machine's, and a report never written into the image. A table of wrong inputs (a hive in each
# role holding another's keys, a disk without Windows, a FIFO, a link) shows that none passes;
# damaged copies of the real hive are judged or refused, never crash (also run by the fuzz
# preset with klarvex-offline under ASan and UBSan).
# hives.sh PROGRAM HIVES: HIVES holds the compressed public hives.
set -uo pipefail
source "$(dirname "$0")/common.sh"

for f in NTUSER_BAGMRU.DAT transactions_NTUSER.DAT corrupted_system_hive; do xz -dc "$hives/$f.xz" >"$work/$f"; done
xz -dc "$hives/transactions_ntuser.dat.log1.xz" >"$work/transactions_NTUSER.DAT.LOG1"
xz -dc "$hives/transactions_ntuser.dat.log2.xz" >"$work/transactions_NTUSER.DAT.LOG2"
# A machine whose SOFTWARE hive holds only the keys Windows keeps there, and its system files;
# names in another case than Windows gives them.
config=$work/c/windows/system32/CONFIG
mkdir -p "$config"
touch "$work/c/windows/system32/KERNEL32.DLL" "$work/c/windows/system32/ntdll.dll"
{ echo 'Windows Registry Editor Version 5.00'; levels 'HKEY_LOCAL_MACHINE\SOFTWARE' Microsoft Windows CurrentVersion; } >"$work/windows.reg"
hive "$config/software" 'HKEY_LOCAL_MACHINE\SOFTWARE' "$work/windows.reg"
scan() { local name=$1; shift; run "$name" --windows "$work/c" "$@"; }

echo "=== a real user hive"
expect "problems found" "$(scan user --ntuser "$work/NTUSER_BAGMRU.DAT")" 1
expect "mode" "$(field "$work/user.json" 'r["mode"]')" offline-scan
expect "a gone Run program of the user, with its rule" \
  "$(field "$work/user.json" '[i["rule"] for c in r["categories"] for i in c["items"] if i["item"].endswith("Run, value \"OneDrive\"")]')" \
  "['program missing']"
expect "the count is the findings" "$(field "$work/user.json" 'sum(c["count"] for c in r["categories"]) == sum(len(c["items"]) for c in r["categories"]) > 50')" True
expect "a summary line for people, then the one for programs last" \
  "$(grep -c 'problems found, exit code 1' "$work/user.out") $(tail -n1 "$work/user.out" | cut -c1-25)" \
  '1 {"schemaVersion":"1.1","p'
expect "the user's findings owned by its profile" \
  "$(field "$work/user.json" 'sorted({str(i["owner"]) for c in r["categories"] for i in c["items"]})')" \
  "[\"{'sid': '', 'profile': 'tony'}\"]"
expect "no progress line off a terminal" "$(grep -c $'\r' "$work/user.err")" 0

echo "=== a dirty hive with its transaction logs"
code=$(scan dirty --ntuser "$work/transactions_NTUSER.DAT")
expect "judged (not code 2)" "$((code < 2))" 1
expect "warned in the report" "$(field "$work/dirty.json" 'sum("transaction logs were not applied" in m for m in r["messages"])')" 1
expect "warned on standard error" "$(grep -c 'warning: .*transactions_NTUSER.DAT.*newest changes may be missing' "$work/dirty.err")" 1

echo "=== a damaged hive, a truncated hive"
cp "$work/corrupted_system_hive" "$config/SYSTEM"
expect "damaged: code 2" "$(scan damaged --ntuser "$work/NTUSER_BAGMRU.DAT")" 2
expect "damaged: the report names it" "$(field "$work/damaged.json" '("SYSTEM cannot be read: it is damaged" in r["error"], r["exitCode"], sum(len(c["items"]) for c in r["categories"]))')" "(True, 2, 0)"
rm "$config/SYSTEM"
head -c 1000000 "$work/NTUSER_BAGMRU.DAT" >"$work/truncated.DAT"
expect "truncated: code 2" "$(scan truncated --ntuser "$work/truncated.DAT")" 2
expect "truncated: said on standard error" "$(grep -c 'truncated.DAT cannot be read' "$work/truncated.err")" 1

echo "=== a small machine: names without case, other drives, the hives' environment, the user's classes"
mkdir -p "$work/c/Program Files/KVX"
touch "$work/c/Program Files/KVX/app.EXE"
{ echo 'Windows Registry Editor Version 5.00'
  levels 'HKEY_LOCAL_MACHINE\SOFTWARE' Microsoft Windows CurrentVersion
  echo '"ProgramFilesDir"="C:\\Program Files"'
  levels 'HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion' Run
  cat <<'EOF2'
"Present"="C:\\PROGRAM FILES\\Kvx\\App.exe"
"Gone"="C:\\Program Files\\Kvx\\Gone.exe"
"Elsewhere"="D:\\Tools\\Gone.exe"
"Expanded"="%ProgramFiles%\\kvx\\app.exe"
EOF2
  levels 'HKEY_LOCAL_MACHINE\SOFTWARE' Classes .kvxu
  echo '@="Kvx.UserType"'
  levels 'HKEY_LOCAL_MACHINE\SOFTWARE\Classes' .kvxg
  echo '@="Kvx.GoneType"'
  levels 'HKEY_LOCAL_MACHINE\SOFTWARE\Classes' Kvx.MachineType
} >"$work/lm.reg"
# The user's classes (UsrClass.dat): a type of the user's, an extension of a machine's type.
{ echo 'Windows Registry Editor Version 5.00'
  levels 'HKEY_CURRENT_USER\Software\Classes' Kvx.UserType
  levels 'HKEY_CURRENT_USER\Software\Classes' .kvxv
  echo '@="Kvx.MachineType"'
} >"$work/classes.reg"
{ echo 'Windows Registry Editor Version 5.00'
  levels HKEY_CURRENT_USER Environment
  echo '"KVXHOME"="%ProgramFiles%\\Kvx"'
  levels HKEY_CURRENT_USER Software Microsoft Windows CurrentVersion Run
  echo '"UserExpanded"="%KVXHOME%\\App.exe"'
} >"$work/cu.reg"
hivexregedit --merge --prefix 'HKEY_LOCAL_MACHINE\SOFTWARE' "$config/software" "$work/lm.reg"
hive "$work/user.DAT" 'HKEY_CURRENT_USER' "$work/cu.reg"
hive "$work/classes.DAT" 'HKEY_CURRENT_USER\Software\Classes' "$work/classes.reg"
expect "problems found" "$(scan small --ntuser "$work/user.DAT" --usrclass "$work/classes.DAT")" 1
expect "only the unregistered type (once, whatever view it is seen through) and the gone program on drive C:" \
  "$(field "$work/small.json" '[i["item"].split("\\")[-1] for c in r["categories"] for i in c["items"]]')" \
  "['.kvxg', 'Run, value \"Gone\"']"
printf 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run, value "Gone"\r\n' >"$work/exclusions.txt"
scan kept --ntuser "$work/user.DAT" --usrclass "$work/classes.DAT" --exclusions "$work/exclusions.txt" >/dev/null
expect "an exclusions file given keeps its item out" \
  "$(field "$work/kept.json" '[i["item"].split("\\")[-1] for c in r["categories"] for i in c["items"]]')" \
  "['.kvxg']"

expect "registry only: the registry's finding alone, and said so" \
  "$(scan registry-only --ntuser "$work/user.DAT" --usrclass "$work/classes.DAT" --registry-only) $(field "$work/registry-only.json" '[i["item"].split("\\")[-1] for c in r["categories"] for i in c["items"]], sum("--registry-only" in m for m in r["messages"])')" \
  "1 (['.kvxg'], 1)"
"$program" --windows "$work/c" --ntuser "$work/user.DAT" --report - >"$work/stdout.json" 2>"$work/stdout.err"
expect "--report -: the report on standard output, the summary line on standard error" \
  "$? $(field "$work/stdout.json" 'r["exitCode"]') $(grep -c 'exit code 1, report -$' "$work/stdout.err")" "1 1 1"

sums=$(find "$work/c" -type f -exec sha256sum {} + | sort)
# Kept apart from the reports the runs write, which are all checked against the schema below.
mkdir -p "$work/links"
ln -s "$config/software" "$work/links/linked.json"
ln "$config/software" "$work/links/second-name.json"
for report in "$work/c/windows/report.json" "$work/links/linked.json" "$work/links/second-name.json"; do
  "$program" --windows "$work/c" --ntuser "$work/user.DAT" --report "$report" >/dev/null 2>"$work/into.err"
  code=$?
  expect "a report at ${report##*/}: code 2, said why" "$code $(grep -c "written into the Windows\|symbolic link\|second name" "$work/into.err")" "2 1"
done
expect "the image is unchanged" "$(find "$work/c" -type f -exec sha256sum {} + | sort)" "$sums"

echo "=== wrong inputs, one of each reason: each ends with code 2 and says why in its report"
# Small hives of the other roles, made as the machine's SOFTWARE above.
{ echo 'Windows Registry Editor Version 5.00'; levels 'HKEY_LOCAL_MACHINE\SYSTEM' Select; levels 'HKEY_LOCAL_MACHINE\SYSTEM' ControlSet001; } >"$work/system.reg"
hive "$work/SYSTEM.small" 'HKEY_LOCAL_MACHINE\SYSTEM' "$work/system.reg"
cp "$config/software" "$work/SOFTWARE.small"
mkdir -p "$work/empty/Windows/System32/config"
cp "$config/software" "$work/empty/Windows/System32/config/SOFTWARE"
mkfifo "$work/fifo"
ln -s /dev/zero "$work/zero"
# wrong NAME ROLE HIVE: the machine with HIVE in ROLE (software, system, ntuser, usrclass); the
# other hives are the good ones.
wrong() {
  local machine=$work/$1 user=(--ntuser "$work/user.DAT")
  mkdir -p "$machine/Windows/System32/config"
  cp "$work/c/windows/system32/"*.DLL "$work/c/windows/system32/"*.dll "$machine/Windows/System32/"
  cp "$config/software" "$machine/Windows/System32/config/SOFTWARE"
  case $2 in
    software | system) cp "$3" "$machine/Windows/System32/config/${2^^}" ;;
    ntuser) user=(--ntuser "$3") ;;
    usrclass) user+=(--usrclass "$3") ;;
  esac
  run "$1" --windows "$machine" "${user[@]}"
}
while IFS='|' read -r name command error; do
  code=$(eval "$command")
  expect "$name: code 2, error, summary line" \
    "$code $(field "$work/$name.json" "'''$error''' in r['error']") $(grep -c 'not completed, exit code 2' "$work/$name.out")" "2 True 1"
done <<EOF
user-as-software|wrong user-as-software software "$work/NTUSER_BAGMRU.DAT"|given as a machine's SOFTWARE hive is not one: it holds the keys of a user's NTUSER.DAT
user-as-usrclass|wrong user-as-usrclass usrclass "$work/NTUSER_BAGMRU.DAT"|given as a user's UsrClass.dat is not one: it holds the keys of a user's NTUSER.DAT
software-as-system|wrong software-as-system system "$work/SOFTWARE.small"|given as a machine's SYSTEM hive is not one: it holds the keys of a machine's SOFTWARE hive
system-as-ntuser|wrong system-as-ntuser ntuser "$work/SYSTEM.small"|given as a user's NTUSER.DAT is not one: it holds the keys of a machine's SYSTEM hive
empty-as-software|wrong empty-as-software software "$work/classes.DAT"|it has none of the keys Windows keeps there
damaged-as-ntuser|wrong damaged-as-ntuser ntuser "$work/corrupted_system_hive"|cannot be read: it is damaged or not a hive file
no-windows|run no-windows --windows "$work/empty" --ntuser "$work/user.DAT"|no Windows below
no-exclusions|scan no-exclusions --ntuser "$work/user.DAT" --exclusions "$work/nowhere.txt"|the exclusions file $work/nowhere.txt cannot be read
no-folder|run no-folder --windows "$work/nowhere" --ntuser "$work/user.DAT"|no folder $work/nowhere
bad-argument|scan bad-argument --ntuser "$work/user.DAT" --bogus|unknown argument --bogus
fifo|scan fifo --ntuser "$work/fifo"|it is not a regular file
link-to-dev-zero|scan link-to-dev-zero --ntuser "$work/zero"|it is a symbolic link
EOF

echo "=== damaged copies of the real hive: each judged or refused (codes 0 to 2), never a crash"
python3 "$here/mutate-hives.py" 8 "$work/NTUSER_BAGMRU.DAT"
for copy in "$work"/NTUSER_BAGMRU.DAT.mutated*; do
  code=$(scan mutated --ntuser "$copy")
  expect "${copy##*/}: code $code" "$((code <= 2)) $(grep -c 'runtime error\|ERROR: AddressSanitizer' "$work/mutated.err")" "1 0"
done

echo "=== every report, and the last line of every run's output, against the schema"
expect "all valid" "$(python3 "$here/../support/validate-report.py" "$work"/*.json --last-line "$work"/*.out; echo "code $?")" "code 0"

expect "the fleet recipe's jq query: a line per finding, each with its owner" \
  "$(jq -r -f "$here/../../scripts/fleet/reports.jq" "$work/small.json" "$work/user.json" | cut -f6 | sort | uniq -c | awk '{print $2}' | paste -sd' ') $(jq -r -f "$here/../../scripts/fleet/reports.jq" "$work"/*.json | wc -l)" \
  "machine tony $(jq -s '[.[].categories[].items[]] | length' "$work"/*.json)"

[ "$failures" -eq 0 ] && echo "offline hives: all checks passed"
[ "$failures" -eq 0 ]
