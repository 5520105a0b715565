#!/usr/bin/env bash
# The replay theatre under Xvfb with real key presses: the best replay of
# plimo opened from the title menu shows its REPLAY banner; Space pauses it
# with the timeline and help; frame steps, a piece jump and a 10 s jump keep
# the timeline; T takes over as a PRACTICE game that a few moves play on;
# Escape returns to the title menu and a later Escape on the title ends the
# program with status 0. The screenshots stay in WORK_DIR to be looked at.
# The game runs from a copy of its folder holding the fixture as the best
# replay and a score.dat that lists it.
set -u
GAME_DIR=$1
WORK_DIR=$2
FIXTURES=$(cd "$(dirname "$0")/../fixtures" && pwd)
mkdir -p "$WORK_DIR"
scratch=$(mktemp -d)
inner="$scratch/inner.sh"
trap 'rm -rf "$scratch"' EXIT
cp -r "$GAME_DIR" "$scratch/game" || { echo "FAIL: cannot copy the game folder" >&2; exit 1; }
cp "$FIXTURES/plimo_seed123.zip" "$scratch/game/dat/replay_plimo/replay"
# score.dat: three records, plimo's 20,600 points with a chain of 3.
entry() { printf '\x00\x1a\x00\x00\x00C8GameMenu14CHighScoreInfo'; printf "$1"; }
{
  printf '\x03\x00\x00\x00'
  entry '\x78\x50\x00\x00\x03\x00\x00\x00\x00'
  entry '\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  entry '\x00\x00\x00\x00\x00\x00\x00\x00\x00'
} >"$scratch/game/dat/score.dat"

cat >"$inner" <<'INNER'
set -u
GAME=$1
WORK_DIR=$2
fail() {
  echo "FAIL: $*" >&2
  [ -n "${game:-}" ] && kill "$game" 2>/dev/null
  exit 1
}
shot() { import -window root "$WORK_DIR/theatre_$1.png" || fail "cannot take a screenshot"; }
# One key at a time, with time for a loaded machine to draw a few frames.
key() {
  for name in "$@"; do
    xdotool key --delay 150 "$name"
    sleep 0.5
  done
}
# Pixels of one colour in a box: count RGBMIN RGBMAX (0-1 per channel) in WxH+X+Y.
count() {
  convert "$WORK_DIR/theatre_$1.png" -crop "$2" +repage \
    -fx "r >= $3 && r <= $4 && g >= $5 && g <= $6 && b >= $7 && b <= $8 ? 1 : 0" -format '%[fx:round(mean*w*h)]' info:
}
cd "$GAME" || fail "no game folder"
unset SDL_VIDEODRIVER
SDL_AUDIODRIVER=dummy ./plimoball >"$WORK_DIR/theatre.out" 2>&1 &
game=$!
window=$(timeout 20 xdotool search --sync --name '^PlimoBall$' | head -n 1)
[ -n "$window" ] || fail "no window named PlimoBall appeared"
sleep 1
key z            # the title's menu
key Down z z     # the replay button, then plimo's replay
sleep 3          # past the first piece, which comes at the end of the opening
shot playing
key space
shot paused
key Right Right Right Left
shot stepped
xdotool keydown Shift_L
sleep 0.3
key Right
xdotool keyup Shift_L
sleep 0.3
key Next
shot jumped
key t
key j l x
sleep 1
shot practice
kill -0 "$game" 2>/dev/null || fail "the game ended during the theatre"
key Escape      # asks first ("no" chosen), then Left and Z say yes
sleep 0.3
shot question
key Left z
sleep 0.5
shot menu
kill -0 "$game" 2>/dev/null || fail "leaving the practice game ended the program"

# REPLAY in gold while the replay plays; the timeline's blue progress bar and
# the white help text while paused; PRACTICE in orange after T.
gold=$(count playing 160x40+5+72 0.9 1 0.75 0.95 0 0.45)
[ "$gold" -ge 40 ] || fail "no REPLAY banner ($gold gold pixels)"
grey=$(count paused 360x12+8+154 0.3 0.4 0.3 0.4 0.3 0.4)
[ "$grey" -ge 1000 ] || fail "no timeline while paused ($grey bar pixels)"
bar=$(count paused 360x20+8+152 0.4 0.55 0.7 0.85 0.95 1)
help=$(count paused 300x36+78+438 0.95 1 0.95 1 0.95 1)
[ "$help" -ge 100 ] || fail "no help line while paused ($help white pixels)"
# The jumps change the timeline's time, frame number and bar.
convert "$WORK_DIR/theatre_stepped.png" -crop 360x40+6+136 +repage "$WORK_DIR/timeline_before.png"
convert "$WORK_DIR/theatre_jumped.png" -crop 360x40+6+136 +repage "$WORK_DIR/timeline_after.png"
jumped=$(compare -metric AE "$WORK_DIR/timeline_before.png" "$WORK_DIR/timeline_after.png" null: 2>&1)
[ "${jumped%.*}" -ge 50 ] 2>/dev/null || fail "the piece and 10 s jumps left the timeline as it was ($jumped pixels differ)"
orange=$(count practice 200x40+5+72 0.95 1 0.55 0.72 0.15 0.33)
[ "$orange" -ge 40 ] || fail "no PRACTICE after T ($orange orange pixels)"
[ "$(count practice 360x12+8+154 0.3 0.4 0.3 0.4 0.3 0.4)" -lt 1000 ] || fail "the timeline stayed in the practice game"

key x Escape     # the title, then out
for _ in $(seq 1 50); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game" 2>/dev/null && fail "the game is still running after Escape on the title"
wait "$game"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status"

# From the command line: End jumps to the recorded end, which ends the
# program with status 0; so does Escape.
for ending in End Escape; do
  ./plimoball --replay dat/replay_plimo/replay >>"$WORK_DIR/theatre.out" 2>&1 &
  game=$!
  window=$(timeout 20 xdotool search --sync --name '^PlimoBall$' | head -n 1)
  [ -n "$window" ] || fail "--replay opened no window"
  sleep 2
  kill -0 "$game" 2>/dev/null || fail "--replay ended before $ending"
  # A loaded machine may still be opening the replay: press again if need be.
  for _ in 1 2 3; do
    key "$ending"
    for _ in $(seq 1 20); do
      kill -0 "$game" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  kill -0 "$game" 2>/dev/null && fail "--replay is still running after $ending"
  wait "$game"
  status=$?
  [ "$status" -eq 0 ] || fail "--replay ended by $ending with status $status"
done
echo "ok: banner $gold, timeline $bar -> $jumped, help $help, practice $orange pixels; ended with status 0; --replay ends with End and Escape"
INNER

timeout 150 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$scratch/game" "$WORK_DIR"
