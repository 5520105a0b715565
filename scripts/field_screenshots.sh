#!/usr/bin/env bash
# Screenshots of the 3D field for a person to look at: in each mode a game
# is played under Xvfb with real key presses until some balls lie in the
# box, then the field is shot at each of the four camera rest positions
# (MODE-cam0.png .. MODE-cam3.png, each a quarter-turn to the left of the
# one before).
# Usage: scripts/field_screenshots.sh GAME_DIR OUT_DIR [MODE...]
set -u
GAME_DIR=$(cd "$1" && pwd) || exit 2
OUT_DIR=$2
shift 2
MODES=${*:-plimo yoiko wanpaku}
mkdir -p "$OUT_DIR"
OUT_DIR=$(cd "$OUT_DIR" && pwd)

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -u
GAME_DIR=$1
OUT_DIR=$2
MODE=$3
press() {
  xdotool keydown "$1"
  sleep 0.08
  xdotool keyup "$1"
  sleep "${2:-0.3}"
}
play_dir=$(mktemp -d)
cp -r "$GAME_DIR/." "$play_dir/"
cd "$play_dir" || exit 1
unset SDL_VIDEODRIVER
SDL_AUDIODRIVER=dummy ./plimoball --play "$MODE" &
game=$!
timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null || { kill "$game"; exit 1; }
sleep 4  # the opening
# Drops spread over the box: a move (or none) and X, waiting for the next piece.
for moves in "j" "l" "i" "k" "" "j i" "l k" "j k" "l i" "" "j" "l"; do
  for key in $moves; do press "$key" 0.2; done
  press x 0.9
done
for camera in 0 1 2 3; do
  sleep 0.5
  import -window root "$OUT_DIR/$MODE-cam$camera.png"
  press z 0.8
done
kill "$game" 2>/dev/null
wait "$game" 2>/dev/null
rm -rf "$play_dir"
INNER

for mode in $MODES; do
  timeout 180 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$GAME_DIR" "$OUT_DIR" "$mode" || echo "no screenshots of $mode" >&2
done
ls "$OUT_DIR"
