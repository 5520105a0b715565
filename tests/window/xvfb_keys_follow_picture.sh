#!/usr/bin/env bash
# The direction keys move the ball the way the picture shows, with real key
# presses under Xvfb in wanpaku, whose piece starts in the middle column so
# that every key can move it. For each key: a screenshot, the key, another
# screenshot, then the opposite key to come back. The changed pixels of each
# pair cover the ball (and its ghost) before and after; their centre lies
# half a step from where the ball started, so each key's centre less the
# mean of the four gives its move on screen. Checked before and after a
# camera turn. The screenshots stay in WORK_DIR/keys_follow_picture/.
set -u
GAME_DIR=$1
WORK_DIR=$2/keys_follow_picture
mkdir -p "$WORK_DIR"
rm -f "$WORK_DIR"/*.png "$WORK_DIR"/moves.txt

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
  xdotool keydown "$1"
  sleep 0.08
  xdotool keyup "$1"
  sleep 0.4
}
# The centre of the pixels that differ between two screenshots, within the
# top of the box, where the piece starts (left of the panel, above the
# ghost on the empty floor).
changed_centre() {
  convert "$WORK_DIR/$1.png" "$WORK_DIR/$2.png" -crop 370x270+0+0 +repage -compose difference -composite \
    -colorspace gray -threshold 6% "$WORK_DIR/diff-$2.png"
  local centre
  centre=$(identify -verbose -moments "$WORK_DIR/diff-$2.png" | awk '/Centroid:/ { print $2; exit }')
  [ -n "$centre" ] || fail "no change between $1 and $2"
  echo "${centre/,/ }"
}
# Measures the four keys; writes "key dx dy" lines to moves.txt under a label.
measure() {
  local label=$1 key opposite
  : > "$WORK_DIR/centres.txt"
  for pair in l:j j:l i:k k:i; do
    key=${pair%:*}
    opposite=${pair#*:}
    shot "$label-start-$key"
    press "$key"
    shot "$label-after-$key"
    echo "$key $(changed_centre "$label-start-$key" "$label-after-$key")" >> "$WORK_DIR/centres.txt"
    press "$opposite"
  done
  awk -v label="$label" '{ k[NR] = $1; x[NR] = $2; y[NR] = $3; sx += $2; sy += $3 }
    END { for (i = 1; i <= NR; ++i) printf "%s %s %.1f %.1f\n", label, k[i], x[i] - sx / NR, y[i] - sy / NR }' \
    "$WORK_DIR/centres.txt" >> "$WORK_DIR/moves.txt"
}

play_dir=$(mktemp -d)
cp -r "$GAME_DIR/." "$play_dir/"  # a private copy: the game writes records and replays
cd "$play_dir" || fail "no game folder"
unset SDL_VIDEODRIVER
SDL_AUDIODRIVER=dummy ./plimoball --play wanpaku &
game=$!
timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null || fail "no window named PlimoBall appeared"
# The opening (ready and go) ends with the first piece, which moves the
# "CREATED" count on the panel from 4 to 5.
for _ in $(seq 1 60); do
  import -window root -crop 200x40+430+330 "$WORK_DIR/created-0.png" || fail "cannot take a screenshot"
  spread=$(identify -format '%[fx:standard_deviation]' "$WORK_DIR/created-0.png")
  awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' && break
  sleep 0.25
done
for _ in $(seq 1 60); do
  sleep 0.5
  import -window root -crop 200x40+430+330 "$WORK_DIR/created-1.png" || fail "cannot take a screenshot"
  changed=$(compare -metric AE "$WORK_DIR/created-0.png" "$WORK_DIR/created-1.png" null: 2>&1 | cut -d' ' -f1)
  [ "${changed%.*}" -gt 20 ] && break
done
[ "${changed%.*}" -gt 20 ] || fail "no piece came within 30 s"
sleep 0.5
measure before
press z   # a quarter-turn of the camera to the left
sleep 0.5
measure turned
kill "$game"
wait "$game" 2>/dev/null
rm -rf "$play_dir"
exit 0
INNER

timeout 180 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$GAME_DIR" "$WORK_DIR" || exit 1

# J/L/I/K are Left/Right/Up/Down. The move must be mostly along its axis
# (the box is seen from above at a slant, so not purely), that way, and at
# least a few pixels long.
awk '
  { dx = $3; dy = $4; ax = dx < 0 ? -dx : dx; ay = dy < 0 ? -dy : dy
    ok = 0
    if ($2 == "l") ok = dx > 5 && ax > 1.5 * ay
    if ($2 == "j") ok = dx < -5 && ax > 1.5 * ay
    if ($2 == "i") ok = dy < -5 && ay > 1.5 * ax
    if ($2 == "k") ok = dy > 5 && ay > 1.5 * ax
    printf "%s key %s moved the ball (%s, %s) on screen%s\n", $1, $2, dx, dy, ok ? "" : ": WRONG WAY"
    if (!ok) bad = 1
    ++n }
  END { exit (bad || n != 8) }' "$WORK_DIR/moves.txt" || { echo "FAIL: a key moved the ball the wrong way on screen" >&2; exit 1; }
echo "ok: the four keys move the ball right, left, up and down on screen, before and after a camera turn"
