# Sourced by the scripts that run Windows programs under Wine. Never touches ~/.wine unless
# WINEPREFIX says so: every prefix here lives below the project's build folder.
kvx_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

export WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d"

# The 64-bit loader. With Wine's 32-bit half installed, `wine` is the 32-bit one, whose regedit
# and reg see HKLM\Software through Wow6432Node: the registry tools of our scripts run through this.
wine64="$(dirname "$(readlink -f "$(command -v wineserver)")")/wine64"

# kvx_make_prefix DIR: a fresh, booted prefix in DIR (kept when it already exists).
# Drive Z: (the whole Linux file system) is removed, and the profile folders point into the
# prefix's own scratch home, so nothing a test does can reach the developer's files.
kvx_make_prefix() {
  local dir=$1
  # A prefix booted before Wine's 32-bit half was installed stays half: it is booted anew.
  if [ -f "$dir/system.reg" ] && [ -n "$(ls -A "$dir/drive_c/windows/syswow64" 2>/dev/null)" ]; then
    return 0
  fi
  rm -rf "$dir"
  mkdir -p "$dir/home"
  if ! HOME="$dir/home" WINEPREFIX="$dir" wineboot -i >"$dir/wineboot.log" 2>&1; then
    echo "wineboot failed in $dir:" >&2
    tail -20 "$dir/wineboot.log" >&2
    return 1
  fi
  HOME="$dir/home" WINEPREFIX="$dir" wineserver -w || return 1
  rm -f "$dir/dosdevices/z:" "$dir/wineboot.log"
}

# kvx_copy_prefix FROM TO: a scenario's own copy of a ready prefix (about 2 s instead of 10).
kvx_copy_prefix() {
  rm -rf "$2"
  cp -a "$1" "$2"
}
