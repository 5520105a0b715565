#!/usr/bin/env bash
# A player's path with real key presses under Xvfb: title, Z to the menu, Z
# on "play", down to yoiko, Z to start, a few moves, Escape and "yes" back
# to the menu, X back to the title and Escape to quit. A screenshot of every
# screen is left in WORK_DIR/menu_to_game/ for a person to look at; each
# must show something, and each screen must differ from the one before.
set -u
GAME_DIR=$1
WORK_DIR=$2/menu_to_game
mkdir -p "$WORK_DIR"
rm -f "$WORK_DIR"/*.png

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -u
GAME_DIR=$1
WORK_DIR=$2
fail() {
  echo "FAIL: $*" >&2
  [ -n "${game:-}" ] && kill "$game" 2>/dev/null
  exit 1
}
shot() {
  import -window root "$WORK_DIR/$1.png" || fail "cannot take the screenshot $1"
  kill -0 "$game" 2>/dev/null || fail "the game ended before the screenshot $1"
}
press() {
  xdotool key --delay 120 "$@"
  sleep 0.4
}

play_dir=$(mktemp -d)
cp -r "$GAME_DIR/." "$play_dir/"  # a private copy: the game writes records and replays
cd "$play_dir" || fail "no game folder"
unset SDL_VIDEODRIVER PLIMOBALL_DATA_DIR
SDL_AUDIODRIVER=dummy ./plimoball &
game=$!
timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null || fail "no window named PlimoBall appeared"
sleep 1
shot 1-title
press z
shot 2-menu
press z
shot 3-play-modes
press Down
press z
sleep 2.5  # the opening: ready and go
shot 4-yoiko-started
press j l i x
sleep 1
press c
sleep 1
shot 5-yoiko-played
press Escape  # "leave this game?", "no" chosen
sleep 0.5
shot 5b-leave-question
press Left z   # yes
sleep 0.5
shot 6-back-in-menu
press x
shot 7-title-again
press Escape
for _ in $(seq 1 50); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game" 2>/dev/null && fail "the game is still running after Escape on the title"
wait "$game"
status=$?
rm -rf "$play_dir"
[ "$status" -eq 0 ] || fail "the game exited with status $status"
INNER

timeout 180 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$GAME_DIR" "$WORK_DIR" || exit 1

previous=""
for shot in "$WORK_DIR"/*.png; do
  spread=$(identify -format '%[fx:standard_deviation]' "$shot")
  awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || { echo "FAIL: $shot shows nothing" >&2; exit 1; }
  if [ -n "$previous" ]; then
    difference=$(compare -metric AE "$previous" "$shot" null: 2>&1 | cut -d' ' -f1)
    [ "${difference%.*}" -gt 1000 ] || { echo "FAIL: $shot is the same screen as $previous" >&2; exit 1; }
  fi
  previous=$shot
done
echo "ok: seven screens in $WORK_DIR"
