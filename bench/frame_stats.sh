#!/usr/bin/env bash
# Frame figures of the real game in a window, over the recorded games in
# tests/fixtures/, with plimoball --frame-stats:
#   start    the first N paced frames (the opening and the early game)
#   end      the last N paced frames, fast-forwarded to (chains, the top-out,
#            game over)
#   nowait   the whole game with no wait
# Usage: bench/frame_stats.sh GAME_DIR OUT_DIR [MODE...] (default: all three)
# PLIMO_STATS_FRAMES=N sets N (3000); PLIMO_STATS_RUNS="start end nowait"
# chooses the runs. Runs under Xvfb (as the players without a GPU driver
# see it) unless PLIMO_STATS_DISPLAY=1 uses the current display. Each run
# leaves OUT_DIR/MODE-RUN.csv (per frame) and OUT_DIR/MODE-RUN.txt (summary).
set -u
GAME_DIR=$(cd "$1" && pwd) || exit 2
OUT_DIR=$2
shift 2
MODES=${*:-plimo yoiko wanpaku}
FRAMES=${PLIMO_STATS_FRAMES:-3000}
RUNS=${PLIMO_STATS_RUNS:-start end nowait}
FIXTURES=$(cd "$(dirname "$0")/../tests/fixtures" && pwd)
mkdir -p "$OUT_DIR"
OUT_DIR=$(cd "$OUT_DIR" && pwd)

play_dir=$(mktemp -d)
trap 'rm -rf "$play_dir"' EXIT
cp -r "$GAME_DIR/." "$play_dir/"  # a private copy: the stored replays are replaced

run_game() {
  if [ "${PLIMO_STATS_DISPLAY:-0}" = 1 ]; then
    "$@"
  else
    (unset SDL_VIDEODRIVER; xvfb-run -a -s "-screen 0 640x480x24" "$@")
  fi
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for mode in $MODES; do
  fixture=$(ls "$FIXTURES/${mode}"_seed*.zip 2>/dev/null | head -1)
  [ -n "$fixture" ] || { echo "no recorded game of $mode in $FIXTURES" >&2; exit 2; }
  total=$(grep -o '"frames":[0-9]*' "${fixture%.zip}.json" | cut -d: -f2)
  mkdir -p "$play_dir/dat/replay_$mode"
  cp "$fixture" "$play_dir/dat/replay_$mode/replay"
  for run in $RUNS; do
    case $run in
      start) options=(--frames "$FRAMES") ;;
      end) options=(--fast-forward $((total > FRAMES ? total - FRAMES : 0))) ;;
      nowait) options=(--no-wait) ;;
      *) echo "unknown run $run" >&2; exit 2 ;;
    esac
    echo "== $mode $run ($(basename "$fixture"), ${options[*]})"
    (cd "$play_dir" && SDL_AUDIODRIVER=dummy run_game ./plimoball --watch-replay "$mode" "${options[@]}" \
      --frame-stats "$OUT_DIR/$mode-$run.csv") > "$OUT_DIR/$mode-$run.out" 2>&1
    status=$?
    # The summary is the block the game prints from its "frames" line on.
    sed -n '/^frames /,/^peak resident/p' "$OUT_DIR/$mode-$run.out" > "$OUT_DIR/$mode-$run.txt"
    cat "$OUT_DIR/$mode-$run.txt"
    [ "$status" -eq 0 ] || { echo "the game ended with status $status" >&2; tail -5 "$OUT_DIR/$mode-$run.out" >&2; }
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
