#!/usr/bin/env bash
# verify-replay reads its archive and nothing else: run where nothing can be
# written (a read-only working folder, no home), it gives the same answers
# the check gave before it became a loop in memory (tests/fixtures/
# verify_answers.txt: the exit status and the printed line for each archive),
# and leaves no file behind.
set -u
GAME_DIR=$1
TESTS=$(cd "$(dirname "$0")/.." && pwd)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir "$work/cwd"
cp "$GAME_DIR/plimoball" "$work/plimoball"
# Archives where the program's user may read them.
mkdir "$work/archives"
while read -r name _; do
  mkdir -p "$work/archives/$(dirname "$name")"
  cp "$TESTS/$name" "$work/archives/$name"
done <"$TESTS/fixtures/verify_answers.txt"
chmod -R a+rX "$work"
chmod 555 "$work/cwd"

# Root may write anywhere: run it as nobody then.
run=()
if [ "$(id -u)" -eq 0 ]; then run=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi

checked=0
while read -r name status line; do
  got=$(cd "$work/cwd" && HOME=/nonexistent XDG_DATA_HOME= XDG_CONFIG_HOME= "${run[@]}" \
          "$work/plimoball" verify-replay "$work/archives/$name" 2>"$work/err")
  got_status=$?
  [ "$got_status" = "$status" ] || fail "$name: status $got_status, not $status ($(cat "$work/err"))"
  [ "$got" = "$line" ] || fail "$name: printed '$got', not '$line'"
  if [ "$status" != 0 ]; then
    grep -q "^plimoball: verify-replay: " "$work/err" || fail "$name: no error line: $(cat "$work/err")"
  fi
  checked=$((checked + 1))
done <"$TESTS/fixtures/verify_answers.txt"
[ "$checked" -ge 8 ] || fail "only $checked archives checked"
[ -z "$(ls -A "$work/cwd")" ] || fail "files were written: $(ls -A "$work/cwd")"
echo "verify-replay: $checked archives answered as before, nothing written"
