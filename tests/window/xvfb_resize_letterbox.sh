#!/usr/bin/env bash
# A window resized to another shape shows the whole screen scaled to fit,
# centred, with black bars: a 1000 x 400 window gets a 533 x 400 picture
# from x = 233 and black on both sides. The screenshot is left in WORK_DIR.
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"
rm -f "$WORK_DIR/xvfb_resized.png"

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
# The largest value of any channel in a region, 0 to 1.
brightest() {
  convert "$1" -crop "$2" +repage -separate -evaluate-sequence max -format '%[fx:maxima]' info:
}
average() {
  convert "$1" -crop "$2" +repage -colorspace gray -format '%[fx:mean]' info:
}
cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
unset SDL_VIDEODRIVER
SDL_AUDIODRIVER=dummy ./plimoball --data-dir "$WORK_DIR/data-letterbox" &
game=$!
window=$(timeout 20 xdotool search --sync --name '^PlimoBall$' | head -n 1)
[ -n "$window" ] || fail "no window named PlimoBall appeared"
xdotool windowmove "$window" 0 0
xdotool windowsize "$window" 1000 400
sleep 1  # frames drawn at the new size
shot="$WORK_DIR/xvfb_resized.png"
import -window root "$shot" || fail "cannot take a screenshot"
kill "$game" 2>/dev/null
wait "$game"

read -r size < <(identify -format '%wx%h\n' "$shot")
[ "$size" = 1024x768 ] || fail "unexpected X screen $size"
left=$(brightest "$shot" 225x400+0+0)
right=$(brightest "$shot" 225x400+775+0)
awk -v l="$left" -v r="$right" 'BEGIN { exit !(l == 0 && r == 0) }' || fail "bars are not black (left $left, right $right)"
inside=$(average "$shot" 520x390+240+5)
awk -v m="$inside" 'BEGIN { exit !(m > 0.02) }' || fail "the picture is not in the middle (mean $inside)"
# The picture reaches close to where its edges belong.
near_left=$(brightest "$shot" 10x390+236+5)
near_right=$(brightest "$shot" 10x390+754+5)
awk -v l="$near_left" -v r="$near_right" 'BEGIN { exit !(l > 0 && r > 0) }' ||
  fail "the picture does not fill its letterbox (edges $near_left, $near_right)"
echo "ok: bars black, picture centred (mean $inside)"
INNER

timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash "$inner" "$GAME_DIR" "$WORK_DIR"
