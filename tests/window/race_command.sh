#!/usr/bin/env bash
# plimoball --race ARCHIVE on the offscreen driver: --help names it; a
# damaged or foreign archive gets one line on stderr, status 2 and writes
# nothing (not even the screenshot asked for); a good one starts a game on
# its seed with the RACE banner and the ghost's box, and the ghost unpacks
# nothing into dat/.
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

./plimoball --help | grep -q -- '--race ARCHIVE' || fail "--help does not name --race"

printf 'PK but no replay' >"$scratch/not-a-zip"
: >"$scratch/empty"
(cd "$scratch" && printf 'hello' >readme.txt && zip -q foreign.zip readme.txt) || fail "cannot make a foreign zip"
head -c 3000 "$FIXTURES/plimo_seed123.zip" >"$scratch/cut.zip"
for bad in "$scratch/not-a-zip" "$scratch/empty" "$scratch/missing" "$scratch/foreign.zip" "$scratch/cut.zip"; do
  before=$(find . -type f | sort | xargs md5sum)
  timeout 30 ./plimoball --race "$bad" --screenshot "$scratch/bad.png" >"$scratch/out" 2>"$scratch/err"
  status=$?
  [ "$status" -eq 2 ] || fail "$bad: status $status, not 2"
  [ "$(wc -l <"$scratch/err")" -eq 1 ] || fail "$bad: not one line on stderr: $(cat "$scratch/err")"
  grep -q "^plimoball: --race: " "$scratch/err" || fail "$bad: unclear error line: $(cat "$scratch/err")"
  [ ! -e "$scratch/bad.png" ] || fail "$bad: a screenshot was written"
  after=$(find . -type f | sort | xargs md5sum)
  [ "$before" = "$after" ] || fail "$bad: files in the game folder changed"
done

shot="$WORK_DIR/race_command.png"
rm -f "$shot"
timeout 120 ./plimoball --race "$FIXTURES/wanpaku_seed789.zip" --frames 900 --screenshot "$shot" \
  >"$scratch/out" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the race exited with status $status: $(tail -5 "$scratch/out")"
[ -s "$shot" ] || fail "no screenshot"
# The ghost is played in memory: nothing of its archive is unpacked.
for unpacked in dat/replay_wanpaku/replay_key.dat dat/replay_wanpaku/replay.dat; do
  [ ! -e "$unpacked" ] || fail "the race unpacked $unpacked"
done
# The RACE banner is drawn in violet (180, 110, 255) at (10, 76).
violet=$(convert "$shot" -crop 160x40+5+72 +repage -fx 'r > 0.62 && r < 0.78 && g > 0.35 && g < 0.52 && b > 0.9 ? 1 : 0' \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$violet" -ge 40 ] || fail "no RACE banner ($violet violet pixels)"

echo "ok: bad archives refused with status 2, the race started with its banner ($violet violet pixels)"
