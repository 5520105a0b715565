#!/usr/bin/env bash
# The ranking server as a mode grows: for each size, the mode is bulk-loaded
# into a fresh store and a server started on it, then measured: the time
# from its start to the first list, list and page latencies (the first, a
# middle and the last page of both orders, and pages reached by a
# neighbour's key), /healthz failures under list load, how long a new entry
# takes to show in a second server process on the same store, the store's
# part of an upload (the check left out), and the server's resident memory
# (VmHWM). With PostgreSQL, the database's CPU time per server process,
# idle and under list load, with 1, 2 and 3 servers behind HAProxy.
#
#   bench/ranking_scale.sh [SERVER] [SIZES] [STORE_KIND]
#
# SERVER defaults to build/game/plimoball-ranking-server (plimo_store_add is
# taken from build/bench beside it); SIZES to "1000 100000 1000000";
# STORE_KIND "sqlite" or "postgres" (a throw-away PostgreSQL 15 cluster is
# made in a temporary folder; run as root, it runs as the user postgres).
# Needs curl, ab (apache2-utils), sqlite3, psql and haproxy.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SERVER=$(realpath "${1:-$ROOT/build/game/plimoball-ranking-server}")
STORE_ADD=$(realpath "$(dirname "$SERVER")/../bench/plimo_store_add")
SIZES=${2:-"1000 100000 1000000"}
KIND=${3:-sqlite}
WORK=$(mktemp -d)
chmod 755 "$WORK"
pids=()
PGBIN=/usr/lib/postgresql/15/bin
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -f "$WORK/pg/data/postmaster.pid" ] && as_pg "$PGBIN/pg_ctl" -D "$WORK/pg/data" -m immediate stop >/dev/null 2>&1
  rm -rf "$WORK"
}
trap cleanup EXIT
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
load() { cut -d' ' -f1 /proc/loadavg; }
ms() { date +%s%N | awk '{ printf "%.1f", $1 / 1e6 }'; }
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
figure() { printf '%-9s %-48s %s\n' "$1" "$2" "$3"; }

if [ "$KIND" = postgres ]; then
  mkdir -p "$WORK/pg"
  [ "$(id -u)" = 0 ] && chown postgres "$WORK/pg"
  as_pg "$PGBIN/initdb" -D "$WORK/pg/data" -A trust -U postgres >/dev/null
  PGPORT=$(free_port)
  as_pg "$PGBIN/pg_ctl" -D "$WORK/pg/data" -o "-p $PGPORT -k $WORK/pg -c listen_addresses=''" -l "$WORK/pg/log" -w start >/dev/null
  PGROOT="postgresql://postgres@/postgres?host=$WORK/pg&port=$PGPORT"
  POSTMASTER=$(head -1 "$WORK/pg/data/postmaster.pid")
fi

# The database's CPU seconds so far: the postmaster and every process it runs.
pg_cpu() {
  local total=0 pid
  for pid in "$POSTMASTER" $(pgrep -P "$POSTMASTER"); do
    [ -r "/proc/$pid/stat" ] || continue
    total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)))
  done
  awk -v t="$total" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f", t / hz }'
}

# SIZE entries of plimo: scores with ties, chains 0..12, a few thousand names;
# named as games already, so that the start-up has nothing to check.
bulk_load() {
  local store=$1 size=$2
  if [[ $store == postgres* ]]; then
    psql -q "$store" -c "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive,
      game_id, opening_id)
      SELECT 'plimo', 'p' || (i % 4999), (i * 7919) % 50000, (i * 31) % 13, lpad(to_hex(i), 16, '0'),
      '2026/01/01 00:00:00', lpad(to_hex(i), 64, '0'), '\\x00'::bytea, 'bulk' || i, 'bulk' || i
      FROM generate_series(1::bigint, $size) AS i" \
      -c "VACUUM ANALYZE entries"
  else
    sqlite3 "$store" "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $size)
      INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive, game_id, opening_id)
      SELECT 'plimo', 'p' || (i % 4999), (i * 7919) % 50000, (i * 31) % 13, printf('%016x', i),
      '2026/01/01 00:00:00', printf('%064x', i), x'00', 'bulk' || i, 'bulk' || i FROM n; COMMIT; ANALYZE;"
  fi
}

# Starts a server on the store; sets `port` and `server_pid`.
start_server() {
  local store=$1 out=$2
  "$SERVER" --listen 127.0.0.1:0 --db "$store" --workers 1 --upload-rate 0 >"$out" 2>"$out.log" &
  server_pid=$!
  pids+=("$server_pid")
  for _ in $(seq 1200); do
    port=$(sed -n 's/^plimoball-ranking-server listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$out")
    [ -n "$port" ] && return 0
    sleep 0.05
  done
  cat "$out.log" >&2
  return 1
}

# p50 and p99 of COUNT requests of URL, in ms.
latency() {
  local url=$1 count=$2
  for _ in $(seq "$count"); do curl -s -o /dev/null -w '%{time_total}\n' "$url"; done |
    sort -n | awk '{ t[NR] = $1 * 1000 } END { printf "p50 %.2f ms, p99 %.2f ms", t[int(NR * 0.5) + 1], t[int(NR * 0.99) + 1] }'
}
once() { curl -s -o /dev/null -w '%{time_total}' "$1" | awk '{ printf "%.1f ms", $1 * 1000 }'; }
# SECONDS of lists asked 8 at a time (the game asks with a POST); then
# load_answers says how many came and how many failed.
list_load() { ab -q -k -t "$1" -c 8 -n 10000000 -p /dev/null -T application/x-www-form-urlencoded "$2" >"$WORK/ab.txt" 2>&1 || true; }
load_answers() {
  awk '/Requests per second/ { rate = $4 } /Non-2xx responses/ { bad = $3 } /Failed requests/ { failed = $3 }
    END { printf "%s lists/s, %d failed, %d not 200", rate, failed, bad }' "$WORK/ab.txt"
}
list_url() { echo "http://127.0.0.1:$1/cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?"; }

# The database's CPU per server process per minute, idle and under list load,
# with 1, 2 and 3 servers behind HAProxy on the store.
pg_per_server() {
  local store=$1 size=$2 servers ports=() hport idle busy before
  for servers in 1 2 3; do
    ports=()
    for n in $(seq "$servers"); do
      start_server "$store" "$WORK/hs$n.out"
      ports+=("$port")
    done
    hport=$(free_port)
    {
      printf 'defaults\n  mode http\n  timeout connect 1s\n  timeout client 60s\n  timeout server 60s\n'
      printf 'frontend ranking\n  bind 127.0.0.1:%s\n  default_backend servers\n' "$hport"
      printf 'backend servers\n  balance roundrobin\n  option httpchk GET /healthz\n'
      for n in $(seq "$servers"); do printf '  server s%s 127.0.0.1:%s check inter 2s\n' "$n" "${ports[n - 1]}"; done
    } >"$WORK/haproxy.cfg"
    haproxy -db -f "$WORK/haproxy.cfg" >"$WORK/haproxy.log" 2>&1 &
    pids+=("$!")
    until curl -sf -X POST -o /dev/null "$(list_url "$hport")"; do sleep 0.05; done
    # Every server has built its list: then idle for 30 s.
    for p in "${ports[@]}"; do curl -sf -X POST -o /dev/null "$(list_url "$p")"; done
    sleep 2
    before=$(pg_cpu); sleep 30
    idle=$(awk -v a="$before" -v b="$(pg_cpu)" -v n="$servers" 'BEGIN { printf "%.3f s (%.2f %% of a core)", (b - a) * 2 / n, (b - a) / 30 * 100 / n }')
    figure "$size" "PostgreSQL CPU a minute, idle, $servers server(s)" "$idle per server ($(load))"
    before=$(pg_cpu)
    list_load 30 "$(list_url "$hport")"
    busy=$(awk -v a="$before" -v b="$(pg_cpu)" -v n="$servers" 'BEGIN { printf "%.3f s", (b - a) * 2 / n }')
    figure "$size" "PostgreSQL CPU a minute, list load, $servers server(s)" \
      "$busy per server, $(load_answers) ($(load))"
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
    pids=()
  done
}

figure "entries" "figure" "value (load average)"
for size in $SIZES; do
  if [ "$KIND" = postgres ]; then
    psql -q "$PGROOT" -c "DROP DATABASE IF EXISTS scale_$size" -c "CREATE DATABASE scale_$size"
    store="postgresql://postgres@/scale_$size?host=$WORK/pg&port=$PGPORT"
  else
    store="$WORK/scale_$size.sqlite"
  fi
  # The schema first, from a server of its own; then the rows.
  start_server "$store" "$WORK/schema.out"
  kill "$server_pid"; wait "$server_pid" 2>/dev/null || true
  begin=$(date +%s.%N)
  bulk_load "$store" "$size"
  figure "$size" "bulk load" "$(awk -v b="$begin" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f s", e - b }')"

  started=$(ms)
  start_server "$store" "$WORK/one.out"
  one=$port; one_pid=$server_pid
  until curl -sf -X POST "$(list_url "$one")" -o /dev/null; do sleep 0.01; done
  figure "$size" "start to the first list" "$(awk -v a="$started" -v b="$(ms)" 'BEGIN { printf "%.0f ms", b - a }') ($(load))"
  figure "$size" "list (200)" "$(latency "$(list_url "$one")" 200) ($(load))"
  # The server's own CPU while nothing happens (SQLite reads in the process).
  before=$(awk '{ print $14 + $15 }' "/proc/$one_pid/stat"); sleep 10
  figure "$size" "server CPU a minute, idle" "$(awk -v a="$before" -v b="$(awk '{ print $14 + $15 }' "/proc/$one_pid/stat")" \
    -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f s", (b - a) / hz * 6 }')"
  pages=$(( (size + 49) / 50 ))
  for sort in score chain; do
    for page in 1 $((pages / 2)) "$pages"; do
      url="http://127.0.0.1:$one/ranking/plimo?page=$page&sort=$sort"
      # The first page far down read after a start or a change is counted
      # from an end; the marks that serve the others are read meanwhile.
      figure "$size" "page $page of $pages by $sort, the first ask" "$(once "$url")"
      sleep 1
      figure "$size" "page $page of $pages by $sort (50)" "$(latency "$url" 50) ($(load))"
    done
    next=$(curl -s "http://127.0.0.1:$one/ranking/plimo?page=$((pages / 2))&sort=$sort" |
      sed -n 's/.*href="\([^"]*after=[^"]*\)" rel="next".*/\1/p' | sed 's/&amp;/\&/g')
    [ -n "$next" ] && figure "$size" "the next page by its key, by $sort (50)" \
      "$(latency "http://127.0.0.1:$one$next" 50) ($(load))"
  done
  figure "$size" "a player's entries with their places (50)" \
    "$(latency "http://127.0.0.1:$one/ranking/plimo?name=p7" 50) ($(load))"

  # /healthz during 10 s of list load.
  list_load 10 "$(list_url "$one")" &
  ab_pid=$!
  failed=0; asked=0
  for _ in $(seq 100); do
    asked=$((asked + 1))
    curl -sf -o /dev/null "http://127.0.0.1:$one/healthz" || failed=$((failed + 1))
    sleep 0.1
  done
  wait "$ab_pid" || true
  figure "$size" "/healthz failed under list load" "$failed of $asked, $(load_answers) ($(load))"

  # A second process on the store: how long until an entry shows in it.
  start_server "$store" "$WORK/two.out"
  two=$port
  until curl -sf -X POST "$(list_url "$two")" -o /dev/null; do sleep 0.01; done
  if [[ $store == postgres* ]]; then
    psql -q "$store" -c "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive)
      VALUES ('plimo', 'newest', 99999, 1, 'ffffffffffffffff', '2026/01/02 00:00:00', repeat('f', 64), '\\x00'::bytea)"
  else
    sqlite3 "$store" "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive)
      VALUES ('plimo', 'newest', 99999, 1, 'ffffffffffffffff', '2026/01/02 00:00:00', printf('%064x', 0), x'00')"
  fi
  stored=$(ms)
  until curl -s -X POST "$(list_url "$two")" | head -c 7 | grep -q newest; do
    sleep 0.005
  done
  figure "$size" "a new entry shows in another process after" "$(awk -v a="$stored" -v b="$(ms)" 'BEGIN { printf "%.0f ms", b - a }')"
  figure "$size" "server resident memory (VmHWM)" "$(awk '/VmHWM/ { printf "%.1f MB", $2 / 1024 }' "/proc/$one_pid/status")"
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  pids=()

  figure "$size" "the store's part of an upload (200 adds)" "$("$STORE_ADD" "$store" 200) ($(load))"
  [ "$KIND" = postgres ] && pg_per_server "$store" "$size"
  [ "$KIND" = postgres ] && psql -q "$PGROOT" -c "DROP DATABASE scale_$size"
  rm -f "$WORK"/scale_*.sqlite*
done
