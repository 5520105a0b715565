#!/usr/bin/env bash
# With no display and no video driver asked for, the game does not quietly
# run in an invisible window: it says why and exits with a failure status.
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"
errors="$WORK_DIR/no_display.err"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
start=$(date +%s%N)
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
  timeout 20 ./plimoball --data-dir "$WORK_DIR/data-no-display" --frames 30 2> "$errors"
status=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))

[ "$status" -ne 124 ] || fail "the game was still running after 20 s"
[ "$status" -ne 0 ] || fail "the game exited with status 0"
expected="PlimoBall: no display found (DISPLAY is not set). Run it on a desktop, or set SDL_VIDEODRIVER=offscreen to run without one."
grep -qxF "$expected" "$errors" || { cat "$errors" >&2; fail "the no-display message is missing"; }
[ "$elapsed_ms" -lt 5000 ] || fail "took ${elapsed_ms} ms to give up"
echo "ok: status $status after ${elapsed_ms} ms"
