#!/usr/bin/env bash
# Alt+Enter on an X server without a window manager: the window leaves a
# 640 x 480 window for the whole 1024 x 768 screen and shows the whole
# picture there, scaled (the same picture as in the window, not its top-left
# part on a large black screen), and a second Alt+Enter brings the window
# back. The screenshots are left in WORK_DIR.
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"
rm -f "$WORK_DIR"/xvfb_fullscreen_*.png

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
average() {
  convert "$1" -crop "$2" +repage -colorspace gray -format '%[fx:mean]' info:
}
# Held for a few frames, as a player presses it.
alt_enter() {
  xdotool keydown alt keydown Return
  sleep 0.3
  xdotool keyup Return keyup alt
}
cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
unset SDL_VIDEODRIVER
mkdir -p "$WORK_DIR/data-fullscreen"
printf 'WindowMode=1\nSound=0\nNoReserve=1\n' > "$WORK_DIR/data-fullscreen/config.dat"
SDL_AUDIODRIVER=dummy ./plimoball --data-dir "$WORK_DIR/data-fullscreen" &
game=$!
window=$(timeout 20 xdotool search --sync --name '^PlimoBall$' | head -n 1)
[ -n "$window" ] || fail "no window named PlimoBall appeared"
sleep 3
import -window root "$WORK_DIR/xvfb_fullscreen_window.png" || fail "cannot take a screenshot"
alt_enter
sleep 3
import -window root "$WORK_DIR/xvfb_fullscreen_full.png" || fail "cannot take a screenshot"
alt_enter
sleep 3
import -window root "$WORK_DIR/xvfb_fullscreen_back.png" || fail "cannot take a screenshot"
kill "$game" 2>/dev/null
wait "$game"

window_shot="$WORK_DIR/xvfb_fullscreen_window.png"
full="$WORK_DIR/xvfb_fullscreen_full.png"
# Windowed: 640 x 480 in the middle, black round it.
x=$(( (1024 - 640) / 2 )) y=$(( (768 - 480) / 2 ))
corner=$(average "$window_shot" 100x100+924+668)
awk -v c="$corner" 'BEGIN { exit !(c == 0) }' || fail "the window is not 640 x 480 in the middle (corner $corner)"
# Full screen: every quarter of the screen shows the picture...
for region in 512x384+0+0 512x384+512+0 512x384+0+384 512x384+512+384; do
  mean=$(average "$full" "$region")
  awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || fail "full screen: $region is dark ($mean): the picture is cut"
done
# ... and it is the window's picture, scaled: the window's own part of the
# first shot against the whole second one, both at 160 x 120.
convert "$window_shot" -crop 640x480+$x+$y +repage -resize 160x120! "$WORK_DIR/small_window.png"
convert "$full" -resize 160x120! "$WORK_DIR/small_full.png"
difference=$(compare -metric RMSE "$WORK_DIR/small_window.png" "$WORK_DIR/small_full.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
awk -v d="$difference" 'BEGIN { exit !(d < 0.12) }' || fail "full screen shows another picture than the window (RMSE $difference)"
# Back to the window: 640 x 480 again.
corner=$(average "$WORK_DIR/xvfb_fullscreen_back.png" 100x100+924+668)
awk -v c="$corner" 'BEGIN { exit !(c == 0) }' || fail "the second Alt+Enter did not bring the window back (corner $corner)"
echo "ok: the whole picture at full screen (RMSE $difference against the window), and back"
INNER

timeout 120 xvfb-run -a -s "-screen 0 1024x768x24 -br" bash "$inner" "$GAME_DIR" "$WORK_DIR"
