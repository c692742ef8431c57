# The same machine judged from Linux: the prefix's software branches as the system's editor
# exported them, merged into hive files with hivex's tools (starting from an emptied public
# hive), and the prefix's drive_c as the disk. Sourced by report.sh, whose prefix it reuses.

# offline_hives NAME: $work/offline-NAME/SOFTWARE and NTUSER.DAT from the exports NAME-lm.reg
# and NAME-cu.reg of C:\klarvex and the user's environment; prints the folder.
offline_hives() {
  local hives=$work/offline-$1 k=$WINEPREFIX/drive_c/klarvex
  mkdir -p "$hives"
  xz -dc "$root/tests/data/hives/NTUSER_BAGMRU.DAT.xz" >"$hives/public.DAT"
  bash "$root/tests/offline/empty-hive.sh" "$hives/public.DAT" "$hives/SOFTWARE" >/dev/null
  cp "$hives/SOFTWARE" "$hives/NTUSER.DAT"
  local branch name prefix hive
  # The user's environment too: the PATH it names is where Windows finds bare program names.
  timeout 60 "$wine64" regedit /e "C:\\klarvex\\$1-env.reg" 'HKEY_CURRENT_USER\Environment'
  for branch in "lm|HKEY_LOCAL_MACHINE\\SOFTWARE|SOFTWARE" "cu|HKEY_CURRENT_USER|NTUSER.DAT" \
    "env|HKEY_CURRENT_USER|NTUSER.DAT"; do
    IFS='|' read -r name prefix hive <<<"$branch"
    iconv -f UTF-16 -t UTF-8 "$k/$1-$name.reg" | tr -d '\r' >"$hives/$name.reg"
    hivexregedit --merge --prefix "$prefix" "$hives/$hive" "$hives/$name.reg" >&2
  done
  echo "$hives"
}

# offline_scan HIVES REPORT [ARGS...]: klarvex-offline over the hives and drive_c; the hives go
# where Windows keeps them for the run only. Prints the exit code; keeps the standard output in
# REPORT.out.
offline_scan() {
  local hives=$1 report=$2 config=$WINEPREFIX/drive_c/windows/system32/config
  shift 2
  local program=${KLARVEX_OFFLINE:-$root/build/offline/klarvex-offline}
  mkdir -p "$config"
  cp "$hives/SOFTWARE" "$config/SOFTWARE"
  "$program" --windows "$WINEPREFIX/drive_c" --ntuser "$hives/NTUSER.DAT" --report "$report" \
    --quiet "$@" >"$report.out"
  local code=$?
  rm -f "$config/SOFTWARE"
  rmdir "$config" 2>/dev/null
  echo "$code"
}
