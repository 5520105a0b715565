#!/usr/bin/env bash
# On an X server (Xvfb) the game opens a window titled "PlimoBall" with the
# program's 64 x 64 icon, draws into it, and a press of Escape ends it with
# status 0 within a few seconds.
# The screenshots are left in WORK_DIR for a person to look at.
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"
rm -f "$WORK_DIR/xvfb_window.png" "$WORK_DIR/xvfb_after_escape.png"

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
cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
unset SDL_VIDEODRIVER
SDL_AUDIODRIVER=dummy ./plimoball --data-dir "$WORK_DIR/data-escape" &
game=$!

window=$(timeout 20 xdotool search --sync --name '^PlimoBall$' | head -n 1)
[ -n "$window" ] || fail "no window named PlimoBall appeared"
sleep 1  # some frames drawn
# xprop prints the icon's size first, as numbers or as a picture heading.
icon=$(xprop -id "$window" _NET_WM_ICON | head -c 200 | tr '\n\t' '  ')
case "$icon" in
  *"= 64, 64, "* | *"Icon (64 x 64)"*) ;;
  *) fail "the window has no 64 x 64 icon: ${icon:0:80}" ;;
esac
import -window root "$WORK_DIR/xvfb_window.png" || fail "cannot take a screenshot"
kill -0 "$game" 2>/dev/null || fail "the game ended before Escape"

xdotool key Escape
for _ in $(seq 1 50); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$game" 2>/dev/null; then
  import -window root "$WORK_DIR/xvfb_after_escape.png"
  fail "the game is still running 5 s after Escape"
fi
wait "$game"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status"

read -r width height spread < <(identify -format '%w %h %[fx:standard_deviation]\n' "$WORK_DIR/xvfb_window.png")
awk -v s="$spread" 'BEGIN { exit !(s > 0.005) }' || fail "the window showed nothing (standard deviation $spread)"
echo "ok: window $window with its icon, screen ${width}x${height}, ended with status 0 after Escape"
INNER

timeout 120 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$GAME_DIR" "$WORK_DIR"
