#!/usr/bin/env bash
# The ranking server's figures side by side, in one run on this machine:
#  1. list requests/s of our server and of Debian's nginx serving the same
#     list answer (1,000 entries) as a static file, with the same `ab`
#     commands (apache2-utils): keep-alive, and a new connection each;
#  2. uploads checked/s with 1 and with 2 verifier workers (distinct
#     finished games, each fully checked);
#  3. list latency p50/p99 while 1,000 idle and 100 trickling connections
#     are open.
# The load average is printed with each figure: other work on the machine
# changes them.
#
#   bench/ranking_server_figures.sh [SERVER] [UPLOADS]
#
# SERVER defaults to build/game/plimoball-ranking-server; UPLOADS (40) is
# the number of uploads per worker count. Needs nginx, ab, curl, sqlite3
# and python3 (it makes the distinct games and the idle connections).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SERVER=$(realpath "${1:-$ROOT/build/game/plimoball-ranking-server}")
UPLOADS=${2:-40}
ENTRIES=1000
FIXTURE="$ROOT/tests/fixtures/plimo_seed123.zip"
NGINX=/usr/sbin/nginx
for tool in "$NGINX" ab curl sqlite3 python3; do
  command -v "$tool" >/dev/null || {
    echo "ranking_server_figures: $tool is missing; install nginx apache2-utils curl sqlite3 python3" >&2
    exit 1
  }
done
ulimit -n 8192 2>/dev/null || true  # the idle connections
WORK=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT
load() { cut -d' ' -f1-3 /proc/loadavg; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# Starts the server on STORE with N workers; sets $port.
start_server() {
  local store=$1 workers=$2 out=$WORK/out.$RANDOM
  "$SERVER" --listen 127.0.0.1:0 --db "$store" --workers "$workers" --upload-rate 0 --max-per-address 5000 \
    --max-connections 5000 >"$out" 2>"$out.log" &
  pids+=($!)
  port=
  for _ in $(seq 200); do
    port=$(sed -n 's/^plimoball-ranking-server listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$out")
    [ -n "$port" ] && return 0
    sleep 0.05
  done
  cat "$out.log" >&2
  exit 1
}
stop_last() {
  kill "${pids[-1]}"
  wait "${pids[-1]}" 2>/dev/null || true
  unset 'pids[-1]'
}
script_path=/cgi-bin/plimoball100//ranking_plimo.cgi

echo "== ranking server figures, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(load)"

# 1. Lists: our server and nginx on the same answer.
start_server "$WORK/lists.sqlite" 1
sqlite3 "$WORK/lists.sqlite" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $ENTRIES)
  INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive, game_id)
  SELECT 'plimo', 'player' || i, i * 10, i % 7, printf('%016x', i), '2026/01/01 00:00:00', printf('%064x', i),
  x'00', printf('%064x', i) FROM n"
sleep 1.2  # a list answer is at most a second old
ours="http://127.0.0.1:$port$script_path?GetRankingList?"
curl -s -X POST "$ours" -o "$WORK/list.txt"
echo "list answer: $(wc -l <"$WORK/list.txt") entries, $(wc -c <"$WORK/list.txt") bytes"

# nginx (one worker) serves the answer as a static file at the same path.
# Its static files answer GET only: a POST's 405 is turned into the file.
mkdir -p "$WORK/www/cgi-bin/plimoball100" "$WORK/nginx"
chmod 755 "$WORK"  # nginx reads the file as its own user
cp "$WORK/list.txt" "$WORK/www/cgi-bin/plimoball100/ranking_plimo.cgi"
nginx_port=$(free_port)
cat >"$WORK/nginx/nginx.conf" <<EOF
worker_processes 1;
daemon off;
pid $WORK/nginx/nginx.pid;
error_log $WORK/nginx/error.log;
events { worker_connections 4096; }
http {
  access_log $WORK/nginx/access.log;
  keepalive_requests 1000000;
  client_body_temp_path $WORK/nginx/body;
  server {
    listen 127.0.0.1:$nginx_port;
    root $WORK/www;
    default_type "text/plain; charset=utf-8";
    error_page 405 =200 \$uri;
  }
}
EOF
"$NGINX" -p "$WORK/nginx" -c "$WORK/nginx/nginx.conf" &
pids+=($!)
theirs="http://127.0.0.1:$nginx_port$script_path?GetRankingList?"
for _ in $(seq 100); do curl -s -o /dev/null "$theirs" && break; sleep 0.05; done
curl -s -X POST "$theirs" -o "$WORK/nginx.txt"
cmp -s "$WORK/list.txt" "$WORK/nginx.txt" || { echo "nginx does not serve the same answer" >&2; exit 1; }

: >"$WORK/empty"
ab_rate() {  # requests/s; fails on any failed request
  local output
  output=$(ab -q -p "$WORK/empty" -T text/plain "$@" 2>&1)
  local failed
  failed=$(sed -n 's/^Failed requests: *//p' <<<"$output")
  [ "${failed:-1}" = 0 ] || { echo "ab: failed requests: $failed" >&2; echo "$output" >&2; exit 1; }
  sed -n 's/^Requests per second: *\([0-9.]*\).*/\1/p' <<<"$output"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '\n%-44s %12s %12s %7s  %s\n' "list requests/s (1,000 entries)" "ours" "nginx" "ratio" "load"
keep_ours=$(ab_rate -k -n 50000 -c 16 "$ours")
keep_nginx=$(ab_rate -k -n 50000 -c 16 "$theirs")
printf '%-44s %12s %12s %7s  %s\n' "keep-alive (ab -k -n 50000 -c 16)" "$keep_ours" "$keep_nginx" \
  "$(ratio "$keep_ours" "$keep_nginx")" "$(load)"
new_ours=$(ab_rate -n 20000 -c 16 "$ours")
new_nginx=$(ab_rate -n 20000 -c 16 "$theirs")
printf '%-44s %12s %12s %7s  %s\n' "new connection each (ab -n 20000 -c 16)" "$new_ours" "$new_nginx" \
  "$(ratio "$new_ours" "$new_nginx")" "$(load)"
# The other order once more, so neither side always runs second.
new_nginx2=$(ab_rate -n 20000 -c 16 "$theirs")
new_ours2=$(ab_rate -n 20000 -c 16 "$ours")
keep_nginx2=$(ab_rate -k -n 50000 -c 16 "$theirs")
keep_ours2=$(ab_rate -k -n 50000 -c 16 "$ours")
printf '%-44s %12s %12s %7s  %s\n' "new connection each, again (nginx first)" "$new_ours2" "$new_nginx2" \
  "$(ratio "$new_ours2" "$new_nginx2")" "$(load)"
printf '%-44s %12s %12s %7s  %s\n' "keep-alive, again (nginx first)" "$keep_ours2" "$keep_nginx2" \
  "$(ratio "$keep_ours2" "$keep_nginx2")" "$(load)"
kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null || true; unset 'pids[-1]'  # nginx

# 3. List latency under a flood of idle and trickling connections, on the
# same server and list.
python3 - "$port" <<'EOF'
import socket, sys, threading, time, os
port = int(sys.argv[1])
request = (b"POST /cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList? HTTP/1.1\r\n"
           b"Host: x\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
def connect():
    s = socket.create_connection(("127.0.0.1", port))
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return s
idle = [connect() for _ in range(1000)]
tricklers = [connect() for _ in range(100)]
stop = False
def trickle():
    line = request[:60]
    for byte in range(len(line)):
        for s in tricklers:
            try:
                s.send(line[byte:byte + 1])
            except OSError:
                pass
        for _ in range(10):
            if stop:
                return
            time.sleep(0.1)
thread = threading.Thread(target=trickle)
thread.start()
latencies = []
start = time.monotonic()
while time.monotonic() - start < 5.0:
    t0 = time.perf_counter()
    s = connect()
    s.sendall(request)
    answer = b""
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        answer += chunk
    s.close()
    latencies.append((time.perf_counter() - t0) * 1000)
    assert answer.startswith(b"HTTP/1.1 200"), answer[:80]
    time.sleep(0.005)
stop = True
thread.join()
latencies.sort()
p = lambda q: latencies[min(len(latencies) - 1, int(len(latencies) * q))]
load = " ".join(open("/proc/loadavg").read().split()[:3])
print(f"\nlist latency with 1,000 idle + 100 trickling connections open: {len(latencies)} requests in 5 s, "
      f"p50 {p(0.50):.2f} ms, p99 {p(0.99):.2f} ms, worst {latencies[-1]:.2f} ms  (load {load})")
for s in idle + tricklers:
    s.close()
EOF
stop_last

# 2. Uploads checked/s: distinct finished games (the recorded keys on
# other seeds), so the server checks and registers every one.
python3 "$ROOT/bench/distinct_games.py" "$(dirname "$SERVER")/plimoball" "$FIXTURE" "$WORK" "$((UPLOADS * 2))"
printf '\n%-44s %12s  %s\n' "uploads checked/s ($UPLOADS distinct games)" "per second" "load"
first=1
for workers in 1 2; do
  start_server "$WORK/uploads$workers.sqlite" "$workers"
  url="http://127.0.0.1:$port$script_path"
  begin=$(date +%s.%N)
  # One answer file an upload: answers written side by side to one file
  # could share a line.
  mkdir -p "$WORK/answers$workers"
  export url WORK workers
  seq "$first" $((first + UPLOADS - 1)) | xargs -P $((workers * 2)) -I{} bash -c \
    'curl -s -X POST "$url?UploadRanking?u{}?$(cat "$WORK/g{}.claim")" --data-binary "@$WORK/g{}.zip" -o "$WORK/answers$workers/{}"'
  end=$(date +%s.%N)
  for answer in "$WORK/answers$workers"/*; do cat "$answer"; echo; done >"$WORK/answers$workers.txt"
  ok=$(grep -c '^UploadSuccess' "$WORK/answers$workers.txt" || true)
  [ "$ok" -eq "$UPLOADS" ] || { echo "only $ok of $UPLOADS uploads succeeded:" >&2; sort "$WORK/answers$workers.txt" | uniq -c >&2; exit 1; }
  printf '%-44s %12s  %s\n' "$workers worker(s), $((workers * 2)) uploads at a time" \
    "$(awk -v n="$UPLOADS" -v s="$begin" -v e="$end" 'BEGIN { printf "%.1f", n / (e - s) }')" "$(load)"
  stop_last
  first=$((first + UPLOADS))
done
