#!/bin/sh
# check_fails.sh MESSAGE COMMAND...: the command fails, writes nothing to
# stdout, and exactly one line to stderr, which starts with MESSAGE.
message=$1
shift
actual=$(mktemp) errors=$(mktemp)
trap 'rm -f "$actual" "$errors"' EXIT
if "$@" >"$actual" 2>"$errors"; then echo "succeeded"; exit 1; fi
[ ! -s "$actual" ] || { echo "stdout:"; cat "$actual"; exit 1; }
[ "$(wc -l <"$errors")" -eq 1 ] || { echo "not one line:"; cat "$errors"; exit 1; }
case "$(cat "$errors")" in
    "$message"*) ;;
    *) echo "stderr: $(cat "$errors")"; echo "wanted: $message..."; exit 1 ;;
esac
