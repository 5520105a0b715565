#!/usr/bin/env bash
# The measuring run: a recorded game watched in the window with no wait and
# --frame-stats plays to the end of its game in step with its keys (exactly
# the frames the headless check counts), writes one line per frame (with no
# wait, one frame a pass of the loop) and
# prints its summary, then ends by itself with status 0.
set -u
GAME_DIR=$1
WORK_DIR=$2/frame_stats_replay
FIXTURES=$(cd "$(dirname "$0")/../fixtures" && pwd)
mkdir -p "$WORK_DIR"
rm -f "$WORK_DIR"/*

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

play_dir=$(mktemp -d)
trap 'rm -rf "$play_dir"' EXIT
cp -r "$GAME_DIR/." "$play_dir/"  # a private copy: the stored replay is replaced
cp "$FIXTURES/plimo_seed123.zip" "$play_dir/dat/replay_plimo/replay"
expected=$(grep -o '"frames":[0-9]*' "$FIXTURES/plimo_seed123.json" | cut -d: -f2)

cd "$play_dir" || fail "no game folder"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 280 ./plimoball --watch-replay plimo --no-wait \
  --frame-stats "$WORK_DIR/frames.csv" >"$WORK_DIR/out.txt" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status: $(tail -5 "$WORK_DIR/out.txt")"
grep -q "^frames  *$expected in " "$WORK_DIR/out.txt" || fail "not $expected frames: $(grep '^frames' "$WORK_DIR/out.txt")"
for line in "cost update+draw+swap" "swap to swap" "late pictures" "stalls" "first frame" "peak resident memory"; do
  grep -q "^$line" "$WORK_DIR/out.txt" || fail "no '$line' line in the summary"
done
lines=$(wc -l <"$WORK_DIR/frames.csv")
[ "$lines" -eq $((expected + 1)) ] || fail "$lines lines in the CSV for $expected frames"
head -1 "$WORK_DIR/frames.csv" | grep -q '^pass,steps,update_us,draw_us,swap_us,cost_us,interval_us$' || fail "no CSV header"

./plimoball --watch-replay yoiko >"$WORK_DIR/missing.txt" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "a missing replay gave status $status"
grep -q "no stored replay of yoiko" "$WORK_DIR/missing.txt" || fail "no reason given for the missing replay"
echo "ok: $expected frames watched in step, measured and summed up"
