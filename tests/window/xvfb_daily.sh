#!/usr/bin/env bash
# The daily challenge with real key presses under Xvfb, against our own
# ranking server: the title menu's "Daily challenge" shows the day, Z starts
# plimo on the seed the server gives for today, Escape and "yes" lead back
# to the daily screen, and no best replay is written. Without a
# server the item says so and the menu stays. Screenshots in WORK_DIR/daily/.
set -u
GAME_DIR=$1
WORK_DIR=$2/daily
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
day=$(curl -s -X POST "http://127.0.0.1:$port/cgi-bin/plimoball100//ranking_plimo.cgi?GetDaily?")
seed=$(printf '%s' "$day" | cut -d'?' -f2)
case "$seed" in ''|*[!0-9]*) fail "the server gives no day: '$day'" ;; esac

play_dir="$WORK_DIR/game"
mkdir -p "$play_dir"
cp -r "$GAME_DIR/." "$play_dir/"

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -u
cd "$1" || exit 1
WORK_DIR=$2
SERVER=$3
NAME=$4
printf 'WindowMode=1\nSound=0\nNoReserve=1\nserver=%s\n' "$SERVER" > config.dat
unset SDL_VIDEODRIVER PLIMOBALL_DATA_DIR
SDL_AUDIODRIVER=dummy ./plimoball > "$WORK_DIR/$NAME.out" 2>&1 &
game=$!
press() { xdotool key --delay 150 "$@"; sleep 0.5; }
timeout 20 xdotool search --sync --name '^PlimoBall$' >/dev/null || { kill $game; exit 1; }
sleep 1
press z                      # the menu
press Down Down Down Down    # "Daily challenge"
import -window root "$WORK_DIR/$NAME-1-menu.png"
press z                      # connecting, then the day
sleep 1.5
import -window root "$WORK_DIR/$NAME-2-daily.png"
if [ "$NAME" = online ]; then
  press z                    # plimo on today's seed
  sleep 4
  import -window root "$WORK_DIR/$NAME-3-game.png"
  press Escape               # "leave this game?"
  press Left z               # yes: back to the daily screen
  sleep 2
  import -window root "$WORK_DIR/$NAME-4-back.png"
  press x
else
  press z
fi
press x
press Escape
for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill $game 2>/dev/null
wait $game
INNER
timeout 120 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$play_dir" "$WORK_DIR" "127.0.0.1:$port" online ||
  fail "the game run failed: $(tail -n 3 "$WORK_DIR/online.out")"
# The generator says its seed as the game starts.
grep -q "gRandom this(int = $seed)" "$WORK_DIR/online.out" || fail "no game on today's plimo seed $seed"
[ ! -e "$play_dir/dat/replay_plimo/replay" ] || fail "a daily game became the best replay"
timeout 120 xvfb-run -a -s "-screen 0 640x480x24" bash "$inner" "$play_dir" "$WORK_DIR" "127.0.0.1:1" offline ||
  fail "the game run without a server failed: $(tail -n 3 "$WORK_DIR/offline.out")"

for shot in "$WORK_DIR"/*.png; do
  spread=$(identify -format '%[fx:standard_deviation]' "$shot")
  awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || fail "$shot shows nothing"
done
differs() {
  difference=$(compare -metric AE "$WORK_DIR/$1.png" "$WORK_DIR/$2.png" null: 2>&1 | cut -d' ' -f1)
  [ "${difference%.*}" -gt 1000 ] || fail "$2 shows the same screen as $1"
}
differs online-1-menu online-2-daily
differs online-2-daily online-3-game
differs online-3-game online-4-back
differs offline-1-menu offline-2-daily
# Back on the daily screen: inside its frame nearly the picture it first
# showed (the time left differs; the menu's background scrolls around it).
for shot in online-2-daily online-4-back; do
  convert "$WORK_DIR/$shot.png" -crop 600x440+20+20 +repage "$WORK_DIR/$shot-inside.png"
done
difference=$(compare -metric AE -fuzz 5% "$WORK_DIR/online-2-daily-inside.png" "$WORK_DIR/online-4-back-inside.png" null: 2>&1 | cut -d' ' -f1)
[ "${difference%.*}" -lt 3000 ] || fail "the game did not lead back to the daily screen ($difference pixels differ)"
kill "$server_pid"
wait "$server_pid" 2>/dev/null
rm -rf "$play_dir"
echo "ok: daily screen, a game on today's seed $seed, back to the daily screen, one line without a server"
