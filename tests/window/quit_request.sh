#!/usr/bin/env bash
# A request to quit from outside (SIGTERM, which SDL turns into the same
# quit event as closing the window) ends the frame loop; the game shuts
# down normally with status 0.
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"

fail() {
  echo "FAIL: $*" >&2
  [ -n "${game:-}" ] && kill -KILL "$game" 2>/dev/null
  exit 1
}

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./plimoball --data-dir "$WORK_DIR/data-quit" &
game=$!
sleep 2
kill -0 "$game" 2>/dev/null || fail "the game ended on its own"
kill -TERM "$game"
for _ in $(seq 1 50); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game" 2>/dev/null && fail "the game is still running 5 s after the quit request"
wait "$game"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status"
echo "ok: quit with status 0"
