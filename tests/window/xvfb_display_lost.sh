#!/usr/bin/env bash
# The game never outlives its display. Under an X server of this test's own
# (Xvfb), killed under a running game and under the title menu, the game ends
# within 5 s with "PlimoBall: the display went away" and a non-zero status,
# and the player's score.dat and dat/settings.txt are byte for byte as they
# were. SIGTERM to a game stuck in a long frame ends it within 4 s; a second
# SIGTERM while it ends ends it at once.
set -u
GAME_DIR=$1
WORK_DIR=$2/display_lost
mkdir -p "$WORK_DIR"
rm -rf "${WORK_DIR:?}"/*

xvfb=""
game=""
fail() {
  echo "FAIL: $*" >&2
  [ -n "$game" ] && kill -KILL "$game" 2>/dev/null
  [ -n "$xvfb" ] && kill -KILL "$xvfb" 2>/dev/null
  exit 1
}

# An X server on a free display number, for this test alone.
start_xvfb() {
  for n in $(seq 70 120); do
    # A lock left by a server that is gone does not count: Xvfb clears it.
    if [ -e "/tmp/.X$n-lock" ]; then
      kill -0 "$(tr -dc 0-9 <"/tmp/.X$n-lock")" 2>/dev/null && continue
    elif [ -e "/tmp/.X11-unix/X$n" ]; then
      continue
    fi
    Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >"$WORK_DIR/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && { display=":$n"; return 0; }
      kill -0 "$xvfb" 2>/dev/null || break
      sleep 0.1
    done
  done
  fail "no X server could be started"
}

# A data folder with records and settings the game must leave alone.
make_data() {
  local data=$1
  mkdir -p "$data/dat"
  printf 'language=en\nmusic_volume=3\neffect_volume=4\nunknown_line=kept\n' >"$data/dat/settings.txt"
  entry() {  # score and chain as little-endian bytes, registered
    printf '\x00\x1a\x00\x00\x00C8GameMenu14CHighScoreInfo'
    printf "$1$2"'\x01'
  }
  {
    printf '\x03\x00\x00\x00'
    entry '\x78\x50\x00\x00' '\x03\x00\x00\x00'
    entry '\x10\x27\x00\x00' '\x02\x00\x00\x00'
    entry '\x00\x00\x00\x00' '\x00\x00\x00\x00'
  } >"$data/score.dat"
  [ "$(stat -c %s "$data/score.dat")" = 124 ] || fail "the test's score.dat is not 124 bytes"
  cp "$data/score.dat" "$data/score.before"
  cp "$data/dat/settings.txt" "$data/settings.before"
}

expect_untouched() {
  local data=$1 what=$2
  cmp -s "$data/score.dat" "$data/score.before" || fail "$what: score.dat changed"
  cmp -s "$data/dat/settings.txt" "$data/settings.before" || fail "$what: dat/settings.txt changed"
  # Nothing half-written left behind: no file but those the test made (and
  # a game's key log being recorded, which the design keeps until the next).
  local files
  files=$(cd "$data" && find . -type f ! -path './replay_*/replay_key.tmp' | sort | tr '\n' ' ')
  [ "$files" = "./dat/settings.txt ./score.before ./score.dat ./settings.before " ] ||
    fail "$what: other files in the data folder: $files"
}

wait_window() {
  DISPLAY=$display timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null 2>&1 ||
    fail "$1: no window appeared"
  sleep 1  # some frames drawn
}

# Waits up to $2 tenths of a second for the game to end; echoes its status.
wait_end() {
  local what=$1 tenths=$2
  for _ in $(seq 1 "$tenths"); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$game" 2>/dev/null && fail "$what: the game still runs after $((tenths / 10)) s"
  wait "$game"
  status=$?
  game=""
}

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

for place in game title; do
  data="$WORK_DIR/data-$place"
  make_data "$data"
  start_xvfb
  args=(--data-dir "$data")
  [ "$place" = game ] && args+=(--play plimo)
  DISPLAY=$display ./plimoball "${args[@]}" >"$WORK_DIR/$place.out" 2>"$WORK_DIR/$place.err" &
  game=$!
  wait_window "$place"
  kill -KILL "$xvfb"
  wait "$xvfb" 2>/dev/null
  xvfb=""
  wait_end "the X server killed under the $place" 50
  [ "$status" -ne 0 ] || fail "$place: status 0 after the display went away"
  grep -qx "PlimoBall: the display went away" "$WORK_DIR/$place.err" ||
    fail "$place: no line on stderr: $(cat "$WORK_DIR/$place.err")"
  expect_untouched "$data" "$place"
  echo "ok: the X server killed under the $place: ended with status $status and the message"
done

start_xvfb
for signals in 1 2; do
  data="$WORK_DIR/data-signal-$signals"
  make_data "$data"
  DISPLAY=$display PLIMOBALL_TEST_FRAME_SLEEP_MS=20000 ./plimoball --data-dir "$data" --play plimo \
    >"$WORK_DIR/signal-$signals.out" 2>"$WORK_DIR/signal-$signals.err" &
  game=$!
  wait_window "the long frame"
  started=$(date +%s%N)
  kill -TERM "$game"
  if [ "$signals" = 2 ]; then
    sleep 0.2
    kill -TERM "$game"
    wait_end "a second SIGTERM" 10
  else
    wait_end "SIGTERM in a long frame" 40
  fi
  took=$(( ($(date +%s%N) - started) / 1000000 ))
  [ "$status" -ne 0 ] || fail "a game ended at once by a signal gave status 0"
  expect_untouched "$data" "signal"
  echo "ok: $signals SIGTERM to a game in a 20 s frame: ended in $took ms with status $status"
done
kill -TERM "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
xvfb=""
