#!/usr/bin/env bash
# A player who reads no Japanese, under Xvfb with real key presses: switches
# the option menu to English (at once, and saved), assigns V as the drop key
# and plays with it, pauses the game (the field is hidden), and reads every
# help page. Screenshots of every screen are left in WORK_DIR/settings/ for
# a person to look at.
set -u
GAME_DIR=$1
WORK_DIR=$2/settings
mkdir -p "$WORK_DIR"
rm -f "$WORK_DIR"/*.png

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
# One key at a time, each given time to be seen in a frame of its own even
# on a busy machine.
press() {
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.35
  done
  sleep 0.2
}

play_dir=$(mktemp -d)
cp -r "$GAME_DIR/." "$play_dir/"  # a private copy: the game writes its settings
cd "$play_dir" || fail "no game folder"
rm -f dat/settings.txt
unset SDL_VIDEODRIVER
LANG=ja_JP.UTF-8 LC_ALL= SDL_AUDIODRIVER=dummy ./plimoball &
game=$!
# Waits until the file holds the line: the game writes when a menu closes,
# which takes a few frames on a busy machine.
wait_line() {
  for _ in $(seq 1 50); do
    grep -qx "$1" "$2" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null || fail "no window named PlimoBall appeared"
# Keys count only once the title has been drawn (a key held before the first
# frame is no press): wait for the picture.
for _ in $(seq 1 100); do
  spread=$(import -window root -format '%[fx:standard_deviation]' info: 2>/dev/null)
  awk -v s="${spread:-0}" 'BEGIN { exit !(s > 0.05) }' && break
  sleep 0.2
done
sleep 1
press z
shot 1-menu-japanese
press Down Down Down Down Down z
press Right  # the language row: English at once
shot 2-options-english
press x
shot 3-menu-english
wait_line 'language=en' dat/settings.txt || fail "the language was not saved: $(cat dat/settings.txt)"

press z Down Down Down Down Down z  # the keyboard page
press Down Down Down Down z v       # drop: V
shot 4-keyboard-drop-v
press Escape Escape  # X is the drop key no more: V or Escape go back
wait_line 'key.drop=47' dat/settings.txt || fail "the drop key was not saved: $(cat dat/settings.txt)"

press Up Up Up Up Up z z  # play plimo
sleep 8  # the opening: ready and go (slow under a software renderer on a busy machine)
shot 5-game-started
xdotool key v
sleep 1
shot 6-dropped-with-v
press p
shot 7-paused
press p
shot 8-resumed
press Escape  # asks first, "no" chosen
shot 8-leave-question
press Left z  # yes: back to the menu
sleep 0.5

press Down Down Down Down Down Down z  # how to play
shot 9-help-1
for page in 2 3 4 5 6; do
  press Right
  shot "9-help-$page"
done
press Escape  # closes the help (X is no back key any more)
press Left    # the menu's other way back, to the title
press Escape
for _ in $(seq 1 50); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game" 2>/dev/null && fail "the game is still running after Escape on the title"
wait "$game"
status=$?
rm -rf "$play_dir"
[ "$status" -eq 0 ] || fail "the game exited with status $status"
INNER

timeout 280 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$GAME_DIR" "$WORK_DIR" || exit 1

for shot in "$WORK_DIR"/*.png; do
  spread=$(identify -format '%[fx:standard_deviation]' "$shot")
  awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || { echo "FAIL: $shot shows nothing" >&2; exit 1; }
done
differs() {
  difference=$(compare -metric AE "$WORK_DIR/$1.png" "$WORK_DIR/$2.png" null: 2>&1 | cut -d' ' -f1)
  [ "${difference%.*}" -gt 1000 ] || { echo "FAIL: $2 shows the same screen as $1" >&2; exit 1; }
}
differs 1-menu-japanese 3-menu-english
differs 5-game-started 6-dropped-with-v
differs 7-paused 8-resumed
differs 9-help-1 9-help-2
# The field (left of the head-up display) is one dark panel while paused.
mean=$(convert "$WORK_DIR/7-paused.png" -crop 360x200+0+0 +repage -format '%[fx:mean]' info:)
spread=$(convert "$WORK_DIR/7-paused.png" -crop 360x200+0+0 +repage -format '%[fx:standard_deviation]' info:)
awk -v m="$mean" -v s="$spread" 'BEGIN { exit !(m < 0.2 && s < 0.02) }' ||
  { echo "FAIL: the field shows through the pause panel (mean $mean, spread $spread)" >&2; exit 1; }
echo "ok: English menu, V drops, pause hides the field, six help pages; screenshots in $WORK_DIR"
