#!/usr/bin/env bash
# Without any display, on SDL's offscreen driver, the game runs a fixed
# number of frames, exits cleanly and saves its last frame: a 640 x 480
# picture of the title that is not blank and shows the light-blue
# "Press Z Key" prompt (drawn in frames 0-39 of every 80).
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"
shot="$WORK_DIR/shot.png"
rm -f "$shot"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 ./plimoball --data-dir "$WORK_DIR/data-offscreen" --frames 30 --screenshot "$shot"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status"
[ -s "$shot" ] || fail "no screenshot at $shot"

read -r width height spread < <(identify -format '%w %h %[fx:standard_deviation]\n' "$shot")
[ "$width" = 640 ] && [ "$height" = 480 ] || fail "screenshot is ${width}x${height}, not 640x480"
awk -v s="$spread" 'BEGIN { exit !(s > 0.005) }' || fail "screenshot is blank (standard deviation $spread)"

# The prompt is drawn at (210, 360) in (180, 180, 255): pixels with much more
# blue than red.
prompt=$(convert "$shot" -crop 220x40+210+360 +repage -fx 'b > 0.85 && r > 0.55 && r < 0.8 ? 1 : 0' \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$prompt" -ge 30 ] || fail "no \"Press Z Key\" prompt on the title ($prompt prompt-coloured pixels)"
echo "ok: ${width}x${height}, spread $spread, $prompt prompt-coloured pixels"
