# Shared by the end-to-end scripts: a prefix per scenario, the driver, and pass/fail counting.
# Expects $root; e2e_begin sets the rest.

# e2e_begin NAME SECONDS [SCREEN]: runs the calling script again on a virtual display of its own
# (never the developer's; SCREEN as Xvfb takes it, 1024x768x24 unless given), under a time
# limit; then sets what every scenario uses: $exe and $driver
# from the win64 build, $work (emptied) for its prefixes, $shots for its screenshots.
e2e_begin() {
  if [ -z "${KVX_E2E_XVFB:-}" ]; then
    exec timeout "$2" xvfb-run -a -s "-screen 0 ${3:-1024x768x24}" env KVX_E2E_XVFB=1 bash "$0"
  fi
  source "$root/scripts/wine-env.sh"
  local bin=${KLARVEX_WIN64_BUILD:-$root/build/win64}
  exe=$bin/Klarvex.exe
  driver=$bin/kvxdriver.exe
  for f in "$exe" "$driver"; do
    [ -f "$f" ] || { echo "missing $f: build the win64 preset first"; exit 1; }
  done
  work=${KLARVEX_E2E_WORK:-$root/build/wine/e2e-$1}
  shots=${KLARVEX_SCREENSHOTS:-$root/build/screenshots}
  # Every scenario starts from an empty work folder.
  rm -rf "$work"
  mkdir -p "$work" "$shots"
}

failures=0
pass() { echo "  ok   $1"; }
fail() { echo "  FAIL $1"; failures=$((failures + 1)); }
# expect DESCRIPTION ACTUAL EXPECTED
expect() { if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: got '$2', expected '$3'"; fi; }
ok() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
# expect_has DESCRIPTION TEXT PART
expect_has() { if [[ "$2" == *"$3"* ]]; then pass "$1"; else fail "$1: '$3' not in '$2'"; fi; }
reg_has() { timeout 60 "$wine64" reg query "$1" /v "$2" >/dev/null 2>&1; }
drv_once() { timeout 60 wine 'C:\klarvex\kvxdriver.exe' "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# drv COMMAND ...: the driver; a reading that fails (the driver did not start, or found no
# window in time on a loaded machine) is tried again, as nothing else may pass for the answer.
drv() {
  case $1 in
    text | wide-text | visible | enabled | list)
      local out
      for _ in 1 2 3; do
        if out=$(drv_once "$@"); then
          printf '%s\n' "$out"
          return 0
        fi
        sleep 1
      done
      return 1
      ;;
    click)
      # A click whose control was not found (no window yet on a loaded machine) clicked nothing
      # and is tried again; any other failure is not, as the click may have landed.
      local err rc
      for _ in 1 2 3; do
        { err=$(drv_once "$@" 2>&1 1>&3); } 3>&1
        rc=$?
        [[ $rc == 0 || $err != *"no control"* ]] && break
        sleep 1
      done
      [ -n "$err" ] && printf '%s\n' "$err" >&2
      return "$rc"
      ;;
    *) drv_once "$@" ;;
  esac
}
start() { timeout 600 wine 'C:\klarvex\Klarvex.exe' "$@" & }
# report_run MODE FILE [OPTION...]: a report run into FILE (a Windows path), with OPTIONs such as
# /allusers after it; prints its exit code. The report
# it wrote and the last line of its standard output (kept in $work/NAME.out) are checked against
# the schema; e2e_end fails the scenario on a fault kept in $work/schema-faults.
report_run() {
  local out=$work/${2##*\\} report code
  touch "$out.started"
  timeout 600 wine 'C:\klarvex\Klarvex.exe' "$1" /report "$2" "${@:3}" >"$out.out" 2>/dev/null
  code=$?
  report=$(winepath -u "$2" 2>/dev/null)
  # A report refused (a link, an undo file) leaves what was there: only a new one is checked.
  [ -f "$report" ] && [ "$report" -nt "$out.started" ] || report=
  python3 "$root/tests/support/validate-report.py" ${report:+"$report"} --last-line "$out.out" \
    >>"$work/schema-faults"
  echo "$code"
}
shot() { import -window root "$shots/$1.png" && echo "  shot $shots/$1.png"; }
# Every process under Wine reports itself elevated: the undo files are in the protected folder
# of the one account Wine runs every program as. The user's own folder keeps Exclusions.txt.
undo_dir() { echo "$WINEPREFIX/drive_c/ProgramData/Ostrawin/Klarvex/S-1-5-21-0-0-0-1000"; }
user_undo_dir() { echo "$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming)/Ostrawin/Klarvex/Undo"; }
counts() { for k in 1 2 3 4 5 6; do drv text "Counter${k}"; done | paste -sd' '; }
# run_clean: presses Clean and waits for the run's final summary.
run_clean() {
  drv click CleanButton
  drv wait-text ProgressLabel "items fixed" 600000 >/dev/null
}
# reg_from_text TEXT OUT: a registry script written as UTF-8 text (its header included) turned
# into the editor's own form, UTF-16LE with a byte-order mark and CRLF.
reg_from_text() { { printf '\xff\xfe'; sed 's/$/\r/' "$1" | iconv -f UTF-8 -t UTF-16LE; } >"$2"; }
# kfile NAME: the Linux path of C:\klarvex\NAME in the current prefix.
kfile() { echo "$WINEPREFIX/drive_c/klarvex/$1"; }
# has_line FILE TEXT: the editor's script FILE (UTF-16) holds the line TEXT; lacks_line the opposite.
has_line() { iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | grep -xF -- "$2" >/dev/null; }
lacks_line() { ! has_line "$@"; }
# clean_in_window: starts the program, runs Clean, reports the counts per category in $found
# and the summary, and closes the window.
clean_in_window() {
  start clean
  ok "window opens" drv wait-window 30000
  run_clean
  found=$(counts)
  local c1 c2 c3 c4 c5 c6
  read -r c1 c2 c3 c4 c5 c6 <<<"$found"
  echo "  found: file associations $c1, COM/ActiveX $c2, startup $c3, uninstall $c4, temporary $c5," \
    "application paths, fonts and help files $c6"
  echo "  $(drv text ProgressLabel)"
  ok "no failure reported" drv no-dialog Information
  drv close
  ok "window closes" drv wait-gone 20000
}
# import_undo_file: the run's only undo file, copied to C:\klarvex\undo.reg and imported with the
# system's editor.
import_undo_file() {
  local files=("$(undo_dir)"/Undo*.reg)
  expect "one undo file" "${#files[@]}" "1"
  cp "${files[0]}" "$WINEPREFIX/drive_c/klarvex/undo.reg"
  timeout 60 "$wine64" regedit /s 'C:\klarvex\undo.reg'
}
# A scenario's copy of a whole prefix takes over a gigabyte: it is removed once the scenario is
# done, and kept for a look when a check has failed.
finish_prefix() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  if [ "$failures" -eq 0 ] && [[ $WINEPREFIX == "$work"/* ]] && [ "$WINEPREFIX" != "$work/base" ]; then
    cd "$work" && rm -rf "$WINEPREFIX"
  fi
  return 0
}
# e2e_end: the scenario's verdict and exit status. One that passed leaves no prefix behind (each
# takes over a gigabyte: a run of every scenario would fill a small disk); finish_prefix has
# already stopped its Wine.
e2e_end() {
  local scenario
  scenario=$(basename "$0" .sh)
  echo
  if [ -s "$work/schema-faults" ]; then
    fail "reports and summary lines valid against the schema:"
    cat "$work/schema-faults"
  fi
  [ "$failures" -eq 0 ] || { echo "$scenario: $failures checks failed"; exit 1; }
  echo "$scenario: all checks passed"
  cd "$root" && rm -rf "$work"
}
# make_base DIR: a fresh prefix with the program, its driver and the fonts.
make_base() {
  kvx_make_prefix "$1"
  mkdir -p "$1/drive_c/klarvex"
  cp "$exe" "$driver" "$1/drive_c/klarvex/"
  cp "$root/tests/e2e/wine-fonts.reg" "$1/drive_c/klarvex/"
  (cd "$1/drive_c" && WINEPREFIX=$1 HOME=$1/home timeout 60 "$wine64" regedit /s 'C:\klarvex\wine-fonts.reg')
  WINEPREFIX=$1 wineserver -w
}
# use_prefix NAME [REGFILE]: a scenario's copy of the base prefix, with REGFILE imported.
use_prefix() {
  export WINEPREFIX=$work/$1 HOME=$work/$1/home
  kvx_copy_prefix "$work/base" "$WINEPREFIX"
  cd "$WINEPREFIX/drive_c" || exit 1
  if [ -n "${2:-}" ]; then
    cp "$2" "$WINEPREFIX/drive_c/klarvex/planted.reg"
    timeout 60 "$wine64" regedit /s 'C:\klarvex\planted.reg'
  fi
  wineserver -p 60
}
# export_all NAME: both software branches, as the system's editor writes them.
export_all() {
  # A whole prefix's machine branch holds some 65,000 items: on a busy machine its export takes
  # well over a minute.
  timeout 300 "$wine64" regedit /e "C:\\klarvex\\$1-lm.reg" 'HKEY_LOCAL_MACHINE\SOFTWARE'
  timeout 300 "$wine64" regedit /e "C:\\klarvex\\$1-cu.reg" 'HKEY_CURRENT_USER\Software'
}
# compare A B [EXPECTED]: both branches' exports item by item.
compare() {
  local k=$WINEPREFIX/drive_c/klarvex status=0
  for branch in lm cu; do
    python3 "$root/tests/e2e/regdiff.py" "$k/$1-$branch.reg" "$k/$2-$branch.reg" ${3:+"$3"} || status=1
  done
  return $status
}

# plant_safety_files: the files that the working twins of safety-planted.txt's programs name
# (found along App Paths, PATH, past 260 characters, without an extension); the gone twins name
# none.
plant_safety_files() {
  local long
  long="$WINEPREFIX/drive_c/kvxlong/kvx$(printf 'a%.0s' {1..137})/kvx$(printf 'b%.0s' {1..137})"
  mkdir -p "$WINEPREFIX/drive_c/Program Files/KvxApp" "$WINEPREFIX/drive_c/KvxTools" "$long"
  touch "$WINEPREFIX/drive_c/Program Files/KvxApp/kvxapp.exe" \
    "$WINEPREFIX/drive_c/KvxTools/kvxtool.exe" "$long/kvxlong.exe" "$long/kvxlong.dll" \
    "$long/kvxlong.txt"
}
