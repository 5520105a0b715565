#!/usr/bin/env bash
# The ranking server as a program: it names the port it took, answers the
# game's requests as the curl program sends them and its health check, logs
# each request, checks an uploaded replay,
# stops cleanly on SIGTERM and SIGINT, and keeps its data across a restart.
set -u
GAME_DIR=$1
WORK_DIR=$2
FIXTURES="$(cd "$(dirname "$0")/../fixtures" && pwd)"
SERVER="$GAME_DIR/plimoball-ranking-server"
mkdir -p "$WORK_DIR"
db="$WORK_DIR/ranking_server.db"
log="$WORK_DIR/ranking_server.out"
rm -f "$db" "$log"
pid=

fail() {
  echo "FAIL: $*" >&2
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  exit 1
}

[ -x "$SERVER" ] || fail "no server at $SERVER"
"$SERVER" --help | grep -q -- "--listen HOST:PORT" || fail "--help does not explain --listen"
"$SERVER" --listen 127.0.0.1:0 2>/dev/null && fail "started without --db"

# Starts the server in the background and sets pid and port.
start() {
  "$SERVER" --listen 127.0.0.1:0 --db "$db" > "$log" 2>&1 &
  pid=$!
  # Up to 30 s: a loaded test machine starts the workers slowly.
  for _ in $(seq 600); do
    line=$(head -n 1 "$log")
    case "$line" in
      "plimoball-ranking-server listening on 127.0.0.1:"*) port=${line##*:}; return 0 ;;
    esac
    sleep 0.05
  done
  fail "no listening line: $(cat "$log")"
}

# Sends a signal and expects a clean exit within ten seconds.
stop() {
  kill "-$1" "$pid"
  for _ in $(seq 200); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      pid=
      [ "$status" -eq 0 ] || fail "exit status $status after SIG$1"
      return 0
    fi
    sleep 0.05
  done
  fail "still running 10 s after SIG$1"
}

script() { echo "http://127.0.0.1:$port/cgi-bin/plimoball100//ranking_$1.cgi"; }

start
health=$(curl -s "http://127.0.0.1:$port/healthz")
[ "$health" = ok ] || fail "/healthz answered: $health"
list=$(curl -s -X POST "$(script plimo)?GetRankingList?" --data-binary @"$WORK_DIR/a.txt" 2>/dev/null)
[ -z "$list" ] || fail "a new ranking is not empty: $list"
answer=$(curl -s -X POST "$(script plimo)?UploadRanking?a%26b%23%25?20600?3" --data-binary @"$FIXTURES/plimo_seed123.zip")
[ "$answer" = "UploadSuccess?1" ] || fail "upload answered: $answer"
answer=$(curl -s -X POST "$(script plimo)?UploadRanking?taro?20600?3" --data-binary @"$FIXTURES/plimo_seed123.zip")
[ "$answer" = "UploadFailed?replay already registered" ] || fail "duplicate answered: $answer"
stop TERM
# One line per request: address, kind, mode, result, milliseconds.
grep -Eq '^127\.0\.0\.1 health - 200 [0-9.]+ms$' "$log" || fail "no log line for the health check: $(cat "$log")"
grep -Eq '^127\.0\.0\.1 upload plimo 200 UploadSuccess\?1 [0-9.]+ms$' "$log" || fail "no log line for the upload"

start
list=$(curl -s -X POST "$(script plimo)?GetRankingList?")
echo "$list" | grep -Eqx 'a&b#%\?20600\?3\?[0-9a-f]{16}\?[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}' ||
  fail "the restarted server lists: $list"
key=$(echo "$list" | cut -d'?' -f4)
curl -s -X POST "$(script plimo)?DownloadReplay?$key" -o "$WORK_DIR/downloaded" || fail "download failed"
cmp -s "$WORK_DIR/downloaded" "$FIXTURES/plimo_seed123.zip" || fail "the download differs from the upload"
code=$(curl -s -o /dev/null -w '%{http_code}' -X POST "$(script plimo)?DownloadReplay?0000000000000000")
[ "$code" = 404 ] || fail "an unknown key gave HTTP $code"
stop INT
echo "ok: upload, list, download, restart and both stop signals"
