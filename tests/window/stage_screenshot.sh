#!/usr/bin/env bash
# A game started straight into the stage draws its 3D box: after 200 frames
# on the offscreen driver the picture is not blank, the brick walls and the
# turf show round the point the camera centres on (200, 380), and the model
# pixels are lit, not flat: the box shows several distinct shades of brick.
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"
shot="$WORK_DIR/stage.png"
rm -f "$shot"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 120 ./plimoball --data-dir "$WORK_DIR/data-stage" --play yoiko --frames 200 --screenshot "$shot" \
  >"$WORK_DIR/stage.out" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status: $(tail -5 "$WORK_DIR/stage.out")"
[ -s "$shot" ] || fail "no screenshot at $shot"

read -r width height spread < <(identify -format '%w %h %[fx:standard_deviation]\n' "$shot")
[ "$width" = 640 ] && [ "$height" = 480 ] || fail "screenshot is ${width}x${height}, not 640x480"
awk -v s="$spread" 'BEGIN { exit !(s > 0.005) }' || fail "screenshot is blank (standard deviation $spread)"

# The box stands in the left part of the screen, round (200, 380), below the
# queue panel. Count the
# brick-red pixels there (red well above green and blue); the background
# picture has none.
box="-crop 300x390+50+90 +repage"
red=$(convert "$shot" $box -fx 'r > 0.45 && r > g * 1.6 && r > b * 1.8 ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:)
[ "$red" -ge 300 ] || fail "no brick walls round the box ($red brick-red pixels)"
# Lighting: the lit and shaded sides of the bricks give many shades of red.
shades=$(convert "$shot" $box -fx 'r > 0.3 && r > g * 1.6 && r > b * 1.8 ? r : 0' -depth 8 -format '%k' info:)
[ "$shades" -ge 12 ] || fail "the bricks look flat: only $shades shades"
echo "ok: ${width}x${height}, spread $spread, $red brick-red pixels in $shades shades"
