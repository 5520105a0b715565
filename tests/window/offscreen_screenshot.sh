#!/usr/bin/env bash
# Without any display, on SDL's offscreen driver, the game runs a fixed
# number of frames, exits cleanly and saves its last frame: a 640 x 480
# picture that is not blank and shows the white FPS read-out top right.
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
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 ./plimoball --frames 30 --screenshot "$shot"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status"
[ -s "$shot" ] || fail "no screenshot at $shot"

read -r width height spread < <(identify -format '%w %h %[fx:standard_deviation]\n' "$shot")
[ "$width" = 640 ] && [ "$height" = 480 ] || fail "screenshot is ${width}x${height}, not 640x480"
awk -v s="$spread" 'BEGIN { exit !(s > 0.005) }' || fail "screenshot is blank (standard deviation $spread)"

# Pixels whose darkest channel is above 80 %: white-ish. The read-out sits
# at (580, 0) in the small font.
white=$(convert "$shot" -crop 60x16+580+0 +repage -separate -evaluate-sequence min -threshold 80% \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$white" -ge 10 ] || fail "no FPS read-out in the top-right corner ($white white pixels)"
# And the rest of the top row band is not all white (the read-out is text, not a box).
[ "$white" -le 600 ] || fail "the top-right corner is solid white ($white pixels)"
echo "ok: ${width}x${height}, spread $spread, $white white pixels in the read-out"
