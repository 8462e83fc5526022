#!/bin/sh
# check_output.sh EXPECTED COMMAND...: the command succeeds, writes nothing
# to stderr, and its output is the expected file's.
expected=$1
shift
actual=$(mktemp) errors=$(mktemp)
trap 'rm -f "$actual" "$errors"' EXIT
"$@" >"$actual" 2>"$errors" || { echo "exit status $?"; cat "$errors"; exit 1; }
[ ! -s "$errors" ] || { echo "stderr:"; cat "$errors"; exit 1; }
diff -u "$expected" "$actual"
