#!/usr/bin/env bash
# bench/offline.sh [lean|typical|heavy]: the offline scan of the benchmark's machine against the
# Wine scan of the same machine. The machine is the one scripts/bench makes (KVX_BENCH_RUNS=0
# scripts/bench SIZE makes it without measuring). Its software branches are exported once and
# merged into hive files (hivex's tools, from an emptied public hive); then one warm-up and
# KVX_BENCH_RUNS (3) measured runs of each: "Klarvex.exe SCAN /report" under Wine (the whole
# process, Wine's start included) and klarvex-offline over the hives and drive_c. Both must list
# the same findings. Prints the medians in seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
size=${1:-typical}
work=${KVX_BENCH_DIR:-$root/build/bench}/$size
run=$work/run
program=$root/build/offline/klarvex-offline
[ -f "$work/ready" ] || { echo "make the machine first: KVX_BENCH_RUNS=0 scripts/bench $size" >&2; exit 1; }
(cd "$root" && cmake --build --preset win64 --target Klarvex >/dev/null &&
  cmake --build --preset offline >/dev/null)
export HOME=$run/home WINEPREFIX=$run
[ -d "$run" ] || kvx_copy_prefix "$work/prefix" "$run"
fresh() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  cp -f "$work/prefix"/system.reg "$work/prefix"/user.reg "$work/prefix"/userdef.reg "$run/"
  rm -rf "$run/drive_c/users"/*/AppData/Roaming/Ostrawin "$run/drive_c/klarvex"
  mkdir -p "$run/drive_c/klarvex"
  cp -f "$root/build/win64/Klarvex.exe" "$run/drive_c/klarvex/"
}
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk "BEGIN { print $end - $start }"
}
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

hives=$work/offline
if [ ! -f "$hives/ready" ]; then
  echo "bench: exporting the $size machine into hive files"
  fresh
  k=$run/drive_c/klarvex
  timeout 1800 "$wine64" regedit /e 'C:\klarvex\m-lm.reg' 'HKEY_LOCAL_MACHINE\SOFTWARE'
  timeout 1800 "$wine64" regedit /e 'C:\klarvex\m-cu.reg' 'HKEY_CURRENT_USER\Software'
  mkdir -p "$hives"
  xz -dc "$root/tests/data/hives/NTUSER_BAGMRU.DAT.xz" >"$hives/public.DAT"
  bash "$root/tests/offline/empty-hive.sh" "$hives/public.DAT" "$hives/SOFTWARE"
  cp "$hives/SOFTWARE" "$hives/NTUSER.DAT"
  for branch in "lm|HKEY_LOCAL_MACHINE\\SOFTWARE|SOFTWARE" "cu|HKEY_CURRENT_USER|NTUSER.DAT"; do
    IFS='|' read -r name prefix hive <<<"$branch"
    iconv -f UTF-16 -t UTF-8 "$k/m-$name.reg" | tr -d '\r' >"$hives/$name.reg"
    hivexregedit --merge --prefix "$prefix" "$hives/$hive" "$hives/$name.reg"
  done
  touch "$hives/ready"
fi

runs=${KVX_BENCH_RUNS:-3}
wine_times=() offline_times=()
for i in $(seq 0 "$runs"); do
  fresh
  t=$(seconds timeout 1800 wine 'C:\klarvex\Klarvex.exe' SCAN /report 'C:\klarvex\scan.json')
  [ "$i" -gt 0 ] && wine_times+=("$t")
  wineserver -w
  config=$run/drive_c/windows/system32/config
  mkdir -p "$config" && cp "$hives/SOFTWARE" "$config/SOFTWARE"
  t=$(seconds "$program" --windows "$run/drive_c" --ntuser "$hives/NTUSER.DAT" --report "$work/offline.json" --quiet)
  [ "$i" -gt 0 ] && offline_times+=("$t")
  rm -f "$config/SOFTWARE"
done
python3 "$root/tests/e2e/offline-compare.py" "$run/drive_c/klarvex/scan.json" "$work/offline.json"
echo "machine $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(wine --version)"
echo "wine-scan-s $(printf '%s\n' "${wine_times[@]}" | median)"
echo "offline-scan-s $(printf '%s\n' "${offline_times[@]}" | median)"
