# The helpers of the offline scripts, sourced first with the script's arguments (PROGRAM HIVES):
# a work folder removed at the end (kept with KEEP=1), checks that count their failures, a
# report's fields, small hives made with hivex's tools, and one run of the program.
program=$1
hives=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
failures=0
expect() { if [ "$2" == "$3" ]; then echo "  ok   $1"; else echo "  FAIL $1: got '$2', expected '$3'"; failures=$((failures + 1)); fi; }
# field REPORT EXPRESSION: a Python expression over the report r.
field() { python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); print(eval(sys.argv[2]))' "$1" "$2"; }
# hive FILE PREFIX [REGISTRY-TEXT-FILE]: a new small hive, with the keys of the text merged in.
hive() {
  python3 "$here/tiny-hive.py" "$1"
  [ -z "${3:-}" ] || hivexregedit --merge --prefix "$2" "$1" "$3"
}
# hivexregedit makes a key only below one that exists: each level is listed.
levels() { local k=$1; shift; for p in "$@"; do k=$k\\$p; printf '\n[%s]\n' "$k"; done; }
# run NAME ARGS...: one run into NAME.json; prints its exit code, keeps its output streams.
run() {
  local name=$1; shift
  timeout 20 "$program" --report "$work/$name.json" "$@" >"$work/$name.out" 2>"$work/$name.err"
  echo $?
}
