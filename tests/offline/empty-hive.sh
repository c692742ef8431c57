#!/usr/bin/env bash
# empty-hive.sh HIVE OUT: a copy of HIVE with every key below its root deleted (hivexsh): the
# starting point for hive files that a test fills (hivex cannot make a hive from nothing).
set -euo pipefail
cp "$1" "$2"
chmod u+w "$2"
commands=$(mktemp)
hivexsh "$2" <<<'ls' | tr -d '\r' | while IFS= read -r key; do
  printf 'cd \\%s\ndel\n' "$key"
done >"$commands"
echo commit >>"$commands"
hivexsh -w "$2" -f "$commands"
rm -f "$commands"
