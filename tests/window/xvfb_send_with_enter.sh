#!/usr/bin/env bash
# A high score sent with Return alone, under Xvfb with real key presses, to a
# ranking server that cannot be reached: Return leaves the title and chooses
# in the menu, an empty name is refused in the name box (which stays open),
# and once the failure is acknowledged the cursor is still on the send item,
# so Z opens the name box again rather than starting a game. The name box is
# opaque: its heading looks the same over the menu's moving background at
# both openings. Screenshots are left in WORK_DIR/send_with_enter/.
set -u
GAME_DIR=$1
WORK_DIR=$2/send_with_enter
FIXTURES="$(cd "$(dirname "$0")/../fixtures" && pwd)"
rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

play_dir="$WORK_DIR/game"
mkdir -p "$play_dir"
cp -r "$GAME_DIR/." "$play_dir/"
rm -f "$play_dir/dat/settings.txt"
# Nothing listens on port 1: every send fails at once.
printf 'WindowMode=1\nSound=0\nNoReserve=1\nserver=127.0.0.1:1\n' > "$play_dir/config.dat"
cp "$FIXTURES/plimo_seed123.zip" "$play_dir/dat/replay_plimo/replay"
entry() {  # score and chain as little-endian bytes, not registered
  printf '\x00\x1a\x00\x00\x00C8GameMenu14CHighScoreInfo'
  printf "$1$2"'\x00'
}
{
  printf '\x03\x00\x00\x00'
  entry '\x78\x50\x00\x00' '\x03\x00\x00\x00'
  entry '\x00\x00\x00\x00' '\x00\x00\x00\x00'
  entry '\x00\x00\x00\x00' '\x00\x00\x00\x00'
} > "$play_dir/dat/score.dat"
[ "$(stat -c %s "$play_dir/dat/score.dat")" = 124 ] || fail "the test's score.dat is not 124 bytes"

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -u
cd "$1" || exit 1
WORK_DIR=$2
unset SDL_VIDEODRIVER PLIMOBALL_DATA_DIR
LANG=ja_JP.UTF-8 LC_ALL= SDL_AUDIODRIVER=dummy ./plimoball > "$WORK_DIR/game.out" 2>&1 &
game=$!
shot() { import -window root "$WORK_DIR/$1.png"; }
# One key at a time, each seen in a frame of its own on a busy machine.
press() {
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.4
  done
  sleep 0.3
}
timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null || { kill $game; exit 1; }
for _ in $(seq 1 100); do
  spread=$(import -window root -format '%[fx:standard_deviation]' info: 2>/dev/null)
  awk -v s="${spread:-0}" 'BEGIN { exit !(s > 0.05) }' && break
  sleep 0.2
done
sleep 1
press Return                # the title: the menu
shot 1-menu
press Down Down KP_Enter    # "register": its pane lists plimo
press Return                # plimo: the name box, empty
shot 2-name-box
press Return                # an empty name: refused, the box stays
shot 3-empty-refused
xdotool type --delay 120 'neko'
sleep 0.3
press Return                # the question, "yes" chosen
shot 4-question
press Return                # yes: connecting, then the failure
sleep 2
shot 5-failed
press Return                # acknowledged: the menu again
shot 6-menu-after-send
press z                     # the send again, not a game
shot 7-name-box-again
kill $game 2>/dev/null
wait $game 2>/dev/null
exit 0
INNER
timeout 120 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$play_dir" "$WORK_DIR" ||
  fail "the game run failed: $(tail -n 3 "$WORK_DIR/game.out")"

for shot in 1-menu 2-name-box 3-empty-refused 4-question 5-failed 6-menu-after-send 7-name-box-again; do
  [ -f "$WORK_DIR/$shot.png" ] || fail "no screenshot $shot"
done
# Pixels of a region that differ between two screenshots.
differing() {
  convert "$WORK_DIR/$1.png" -crop "$3" +repage "$WORK_DIR/crop-a.png"
  convert "$WORK_DIR/$2.png" -crop "$3" +repage "$WORK_DIR/crop-b.png"
  compare -metric AE "$WORK_DIR/crop-a.png" "$WORK_DIR/crop-b.png" null: 2>&1 | cut -d' ' -f1
}
# The name box's heading row (centred, from y 90): at both openings alike,
# though the background behind the box has moved on.
heading=200x36+220+96
[ "$(differing 2-name-box 7-name-box-again "$heading")" = 0 ] ||
  fail "the name box differs between its openings (see-through, or not the name box)"
[ "$(differing 2-name-box 3-empty-refused "$heading")" = 0 ] || fail "the name box closed on an empty name"
# Under the field: the rule, then the line saying why nothing was sent.
below=240x24+200+176
changed=$(differing 2-name-box 3-empty-refused "$below")
[ "${changed%.*}" -gt 100 ] || fail "nothing tells the player the empty name was refused"
changed=$(differing 1-menu 2-name-box "$heading")
[ "${changed%.*}" -gt 1000 ] || fail "Return on the menu opened no name box"
rm -rf "$play_dir" "$WORK_DIR"/crop-?.png
echo "ok: Return chooses, an empty name is refused in the box, Z after a send opens the name box again"
