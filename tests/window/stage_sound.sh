#!/usr/bin/env bash
# Sound reaches the audio device: on SDL's "disk" driver, which writes the
# mix to a file, a game started straight into the stage (which starts its
# music at once) leaves samples that are not silence. And with no usable
# audio driver at all the game still runs, silent, and says so once.
set -u
GAME_DIR=$1
WORK_DIR=$2
mkdir -p "$WORK_DIR"
raw="$WORK_DIR/stage_audio.raw"
rm -f "$raw"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cd "$GAME_DIR" || fail "no game folder $GAME_DIR"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" timeout 120 \
  ./plimoball --data-dir "$WORK_DIR/data-sound" --play yoiko --frames 150 >"$WORK_DIR/sound.out" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status: $(tail -5 "$WORK_DIR/sound.out")"
[ -s "$raw" ] || fail "nothing was written to the disk audio file"
bytes=$(stat -c %s "$raw")
loud=$(tr -d '\000' <"$raw" | wc -c)
[ "$loud" -ge 20000 ] || fail "the mix is silence ($loud non-zero bytes of $bytes)"

SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=no-such-driver timeout 120 \
  ./plimoball --data-dir "$WORK_DIR/data-sound" --play yoiko --frames 30 >"$WORK_DIR/silent.out" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "without a sound device the game exited with status $status"
notes=$(grep -c "runs silent" "$WORK_DIR/silent.out")
[ "$notes" -eq 1 ] || fail "expected one note about running silent, got $notes"
echo "ok: $loud of $bytes bytes of the mix are not zero; silent fallback noted once"
