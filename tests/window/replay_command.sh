#!/usr/bin/env bash
# plimoball --replay ARCHIVE on the offscreen driver: --help names it; a bad
# archive gets one line on stderr, status 2 and writes nothing (not even the
# screenshot asked for); a good one plays in the window with its REPLAY
# banner and works with --frames and --screenshot. The game runs from a copy
# of its folder: a replay unpacks into dat/.
set -u
GAME_DIR=$1
WORK_DIR=$2
FIXTURES=$(cd "$(dirname "$0")/../fixtures" && pwd)
mkdir -p "$WORK_DIR"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
cp -r "$GAME_DIR" "$scratch/game" || fail "cannot copy the game folder"
cd "$scratch/game" || fail "no game folder"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

./plimoball --help | grep -q -- '--replay ARCHIVE' || fail "--help does not name --replay"

printf 'PK but no replay' >"$scratch/not-a-zip"
: >"$scratch/empty"
for bad in "$scratch/not-a-zip" "$scratch/empty" "$scratch/missing"; do
  before=$(find . -type f | sort | xargs md5sum)
  timeout 30 ./plimoball --replay "$bad" --screenshot "$scratch/bad.png" >"$scratch/out" 2>"$scratch/err"
  status=$?
  [ "$status" -eq 2 ] || fail "$bad: status $status, not 2"
  [ "$(wc -l <"$scratch/err")" -eq 1 ] || fail "$bad: not one line on stderr: $(cat "$scratch/err")"
  grep -q "^plimoball: --replay: " "$scratch/err" || fail "$bad: unclear error line: $(cat "$scratch/err")"
  [ ! -e "$scratch/bad.png" ] || fail "$bad: a screenshot was written"
  after=$(find . -type f | sort | xargs md5sum)
  [ "$before" = "$after" ] || fail "$bad: files in the game folder changed"
done

shot="$WORK_DIR/replay_command.png"
rm -f "$shot"
timeout 120 ./plimoball --replay "$FIXTURES/wanpaku_seed789.zip" --frames 400 --screenshot "$shot" \
  >"$scratch/out" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the replay exited with status $status: $(tail -5 "$scratch/out")"
grep -q "Seed = 789" "$scratch/out" || fail "the replay did not play the archive's seed"
[ -s "$shot" ] || fail "no screenshot"
# The REPLAY banner is drawn in gold (255, 220, 80) at (10, 76).
gold=$(convert "$shot" -crop 160x40+5+72 +repage -fx 'r > 0.9 && g > 0.75 && g < 0.95 && b < 0.45 ? 1 : 0' \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$gold" -ge 40 ] || fail "no REPLAY banner ($gold gold pixels)"
# A key log that runs on past its game's end plays to the end of the game
# (the confirming key) and no further: 400 measured frames after the 87,900
# fast-forwarded ones, not one frame and out.
timeout 200 ./plimoball --replay "$FIXTURES/plimo_seed123_past_end.zip" --no-wait --fast-forward 87900 \
  --frame-stats "$scratch/past_end.csv" >"$scratch/out" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the long replay exited with status $status: $(tail -5 "$scratch/out")"
grep -q "^frames  *400 in " "$scratch/out" || fail "the long replay did not play to its end: $(grep '^frames' "$scratch/out")"

echo "ok: bad archives refused with status 2, the replay played with its banner ($gold gold pixels)"
