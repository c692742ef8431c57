#!/usr/bin/env bash
# klarvex-offline over every profile of an image: a machine whose ProfileList names the system's
# own profile and six users: Anna and Bert with the public user hive (Bert with classes of his
# own too), Carl without a hive, Dora with the machine's hive in her profile, Eve whose profile
# folder is a link, Fay with a small hive whose classes hive is the machine's (Fay is judged
# without it, and the report says so). One run without --user judges the machine's items once and each user's in
# the user's own hive, owned by that user, as the runs of one user each (--user NAME) judge
# them; the others are skipped with why; every report is valid.
# profiles.sh PROGRAM HIVES: HIVES holds the compressed public hives.
set -uo pipefail
source "$(dirname "$0")/common.sh"

c=$work/c
mkdir -p "$c/Windows/System32/config" "$c/Users/Anna" "$c/Users/Bert/AppData/Local/Microsoft/Windows" "$c/Users/Carl" "$c/Users/Dora" "$c/Users/Fay/AppData/Local/Microsoft/Windows"
touch "$c/Windows/System32/kernel32.dll" "$c/Windows/System32/ntdll.dll"
list='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList'
{ echo 'Windows Registry Editor Version 5.00'
  levels 'HKEY_LOCAL_MACHINE\SOFTWARE' Microsoft Windows CurrentVersion Run
  echo '"MachineGone"="C:\\Program Files\\Kvx\\Gone.exe"'
  levels 'HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft' 'Windows NT' CurrentVersion ProfileList S-1-5-18
  echo '"ProfileImagePath"="%systemroot%\\system32\\config\\systemprofile"'
  printf '\n[%s\\S-1-5-21-7-7-7-1001]\n"ProfileImagePath"="%%SystemDrive%%\\\\Users\\\\Anna"\n' "$list"
  printf '\n[%s\\S-1-5-21-7-7-7-1002]\n"ProfileImagePath"="C:\\\\Users\\\\Bert"\n' "$list"
  for user in 1003:Carl 1004:Dora 1005:Eve 1006:Fay; do
    printf '\n[%s\\S-1-5-21-7-7-7-%s]\n"ProfileImagePath"="C:\\\\Users\\\\%s"\n' "$list" "${user%:*}" "${user#*:}"
  done
} >"$work/software.reg"
hive "$c/Windows/System32/config/SOFTWARE" 'HKEY_LOCAL_MACHINE\SOFTWARE' "$work/software.reg"
xz -dc "$hives/NTUSER_BAGMRU.DAT.xz" >"$c/Users/Anna/NTUSER.DAT"
cp "$c/Users/Anna/NTUSER.DAT" "$c/Users/Bert/NTUSER.DAT"
{ echo 'Windows Registry Editor Version 5.00'
  levels 'HKEY_CURRENT_USER\Software\Classes' .kvxb
  echo '@="Kvx.BertType"'
} >"$work/classes.reg"
hive "$c/Users/Bert/AppData/Local/Microsoft/Windows/UsrClass.dat" 'HKEY_CURRENT_USER\Software\Classes' "$work/classes.reg"
cp "$c/Windows/System32/config/SOFTWARE" "$c/Users/Dora/NTUSER.DAT"
ln -s "$c/Users/Anna" "$c/Users/Eve"
{ echo 'Windows Registry Editor Version 5.00'; levels HKEY_CURRENT_USER Software; levels HKEY_CURRENT_USER Environment; } >"$work/fay.reg"
hive "$c/Users/Fay/NTUSER.DAT" HKEY_CURRENT_USER "$work/fay.reg"
cp "$c/Windows/System32/config/SOFTWARE" "$c/Users/Fay/AppData/Local/Microsoft/Windows/UsrClass.dat"

# timed NAME ARGS...: run, and the seconds it took in NAME.time.
timed() {
  local start; start=$(date +%s.%N)
  run "$@"
  awk -v start="$start" -v end="$(date +%s.%N)" 'BEGIN { printf "%.3f\n", end - start }' >"$work/$1.time"
}

echo "=== one run over every profile, and one run per user"
expect "every profile: problems found" "$(timed all --windows "$c")" 1
for user in Anna Bert; do expect "--user $user: problems found" "$(timed "$user" --windows "$c" --user "$user")" 1; done
expect "the profiles: Anna, Bert and Fay judged, the system's own left out" \
  "$(field "$work/all.json" '[(p["profile"], p["sid"], p["state"]) for p in r["profiles"]][:3]')" \
  "[('Anna', 'S-1-5-21-7-7-7-1001', 'judged'), ('Bert', 'S-1-5-21-7-7-7-1002', 'judged'), ('Fay', 'S-1-5-21-7-7-7-1006', 'judged')]"
while IFS='|' read -r user reason; do
  expect "$user skipped: $reason" "$(field "$work/all.json" "[p['state'] for p in r['profiles'] if p['profile'] == '$user' and r'''$reason''' in p['reason']]")" "['skipped']"
done <<'TABLE'
Carl|its hive C:\Users\Carl\NTUSER.DAT could not be loaded: the file is not in the image
Dora|given as a user's NTUSER.DAT is not one: it holds the keys of a machine's SOFTWARE hive
Eve|C:\Users\Eve is a link or junction
TABLE
expect "a dirty hive loaded, a classes hive refused: said in the messages" \
  "$(field "$work/all.json" '[sum(all(t in m for t in ts) for m in r["messages"]) for ts in (["Anna/NTUSER.DAT was not closed cleanly"], ["classes were not judged", "/Users/Fay/"])]')" "[1, 1]"
# compare ALL ONE...: the run over every profile against the runs of one user each: the machine's
# findings (once, as each run has them), then the users' (each named by its owner and where it
# lies in the owner's hive: HKCU or HKEY_USERS\<name>, the classes apart), the union of the one
# user runs'. Prints "same" or the first differences.
compare() {
  python3 - "$@" <<'PY'
import json, sys
def findings(path):
    machine, users = [], set()
    for c in json.load(open(path))["categories"]:
        for i in c["items"]:
            key = i["key"].split("\\")
            if i["root"] == "HKEY_USERS":
                key = (["(classes)"] if key[0].endswith("_Classes") else []) + key[1:]
            elif i["root"] == "HKEY_CLASSES_ROOT":
                key = ["(classes)"] + key
            where = (c["category"], i["rule"], "\\".join(key), i.get("value"), i["data"])
            if i["owner"] == "machine" and i["root"] == "HKEY_LOCAL_MACHINE":
                machine.append(where)
            else:
                users.add((json.dumps(i["owner"]),) + where)
    return machine, users
every, ones = findings(sys.argv[1]), [findings(path) for path in sys.argv[2:]]
print("same" if all(every[0] == one[0] for one in ones) else every[0])
union = set().union(*(one[1] for one in ones))
print("same" if every[1] == union else sorted(every[1] ^ union)[:3])
PY
}
compare "$work/all.json" "$work/Anna.json" "$work/Bert.json" >"$work/compared"
expect "the machine's findings once, as each user's run has them" "$(sed -n 1p "$work/compared")" same
expect "each user's findings, owned by the user, as the user's own run has them" "$(sed -n 2p "$work/compared")" same
expect "a user's own classes hive judged" \
  "$(field "$work/all.json" '[i["key"] for c in r["categories"] for i in c["items"] if "kvxb" in i["key"]]')" \
  "['Klarvex_S-1-5-21-7-7-7-1002_Classes\\\\.kvxb']"
echo "time: every profile $(cat "$work/all.time") s; one user each $(cat "$work/Anna.time") s + $(cat "$work/Bert.time") s"

expect "every report and every run's last line valid" \
  "$(python3 "$here/../support/validate-report.py" "$work"/*.json --last-line "$work"/*.out; echo "code $?")" "code 0"
[ "$failures" -eq 0 ] && echo "offline profiles: all checks passed"
[ "$failures" -eq 0 ]
