#!/usr/bin/env bash
# Registering a high score with real key presses under Xvfb: the title menu's
# "register" pane, the name typed into the name entry, "はい", and the upload
# to our own ranking server, which replays the game before it lists it. The
# screenshots are left in WORK_DIR/register_ranking/.
set -u
GAME_DIR=$1
WORK_DIR=$2/register_ranking
FIXTURES="$(cd "$(dirname "$0")/../fixtures" && pwd)"
rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR"
server_pid=

fail() {
  echo "FAIL: $*" >&2
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  exit 1
}

[ -x "$GAME_DIR/plimoball-ranking-server" ] || fail "no ranking server in $GAME_DIR"
"$GAME_DIR/plimoball-ranking-server" --listen 127.0.0.1:0 --db "$WORK_DIR/ranking.db" > "$WORK_DIR/server.out" 2>&1 &
server_pid=$!
port=
for _ in $(seq 100); do
  line=$(head -n 1 "$WORK_DIR/server.out")
  case "$line" in "plimoball-ranking-server listening on 127.0.0.1:"*) port=${line##*:}; break ;; esac
  sleep 0.05
done
[ -n "$port" ] || fail "the server did not start: $(cat "$WORK_DIR/server.out")"

# A private game folder with a best plimo game (the fixture scored 20600 with
# a chain of 3), not yet registered.
play_dir="$WORK_DIR/game"
mkdir -p "$play_dir"
cp -r "$GAME_DIR/." "$play_dir/"
printf 'WindowMode=1\nSound=0\nNoReserve=1\nserver=127.0.0.1:%s\n' "$port" > "$play_dir/config.dat"
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
# The game's own X window, and its records in the copied folder.
unset SDL_VIDEODRIVER PLIMOBALL_DATA_DIR
SDL_AUDIODRIVER=dummy ./plimoball > "$WORK_DIR/game.out" 2>&1 &
game=$!
press() { xdotool key --delay 150 "$@"; sleep 0.4; }
timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null || { kill $game; exit 1; }
sleep 1
press z              # the menu
press Down Down z    # "register": its pane lists plimo
press z              # plimo: the name entry
xdotool type --delay 120 'neko'
sleep 0.3
import -window root "$WORK_DIR/1-name-typed.png"
press Return         # the question
import -window root "$WORK_DIR/2-question.png"
press z              # yes: connecting, then the upload
sleep 2
import -window root "$WORK_DIR/3-result.png"
press z              # closes the result: a new menu
press x
press Escape
for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill $game 2>/dev/null
wait $game
INNER
timeout 120 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$play_dir" "$WORK_DIR" || fail "the game run failed: $(tail -n 3 "$WORK_DIR/game.out")"

list=$(curl -s -X POST "http://127.0.0.1:$port/cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?")
case "$list" in
  "neko?20600?3?"*) ;;
  *) fail "the ranking does not list the upload: '$list'" ;;
esac
registered=$(od -An -tu1 -j 43 -N 1 "$play_dir/dat/score.dat" | tr -d ' ')
[ "$registered" = 1 ] || fail "the record is not marked registered (byte $registered)"
kill "$server_pid"
wait "$server_pid" 2>/dev/null
rm -rf "$play_dir"
echo "ok: registered as rank 1, record marked registered"
