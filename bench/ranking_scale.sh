#!/usr/bin/env bash
# The ranking server as a mode grows: for each size, the mode is bulk-loaded
# into a fresh store and a server started on it, then measured: the time
# from its start to the first list, list and page latencies (the first, a
# middle and the last page, both orders, and a page reached by its
# neighbour's key), /healthz failures under list load, how long a new entry
# takes to show in a second server process on the same store, and the
# server's resident memory (VmHWM).
#
#   bench/ranking_scale.sh [SERVER] [SIZES] [STORE_KIND]
#
# SERVER defaults to build/game/plimoball-ranking-server; SIZES to
# "1000 100000 1000000"; STORE_KIND "sqlite" or a postgresql:// URI of a
# server where databases may be created (each size gets its own). Needs
# curl, ab (apache2-utils), sqlite3 and psql.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SERVER=$(realpath "${1:-$ROOT/build/game/plimoball-ranking-server}")
SIZES=${2:-"1000 100000 1000000"}
KIND=${3:-sqlite}
WORK=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT
load() { cut -d' ' -f1 /proc/loadavg; }
ms() { date +%s%N | awk '{ printf "%.1f", $1 / 1e6 }'; }

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
  for _ in $(seq 600); do
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

printf '%-9s %-44s %s\n' "entries" "figure" "value (load average)"
for size in $SIZES; do
  if [[ $KIND == postgres* ]]; then
    name="scale_$size"
    psql -q "$KIND" -c "DROP DATABASE IF EXISTS $name" -c "CREATE DATABASE $name"
    store="${KIND%/*}/$name"
  else
    store="$WORK/scale_$size.sqlite"
  fi
  # The schema first, from a server of its own; then the rows.
  start_server "$store" "$WORK/schema.out"
  kill "$server_pid"; wait "$server_pid" 2>/dev/null || true
  begin=$(date +%s.%N)
  bulk_load "$store" "$size"
  printf '%-9s %-44s %s\n' "$size" "bulk load" "$(awk -v b="$begin" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f s", e - b }')"

  started=$(ms)
  start_server "$store" "$WORK/one.out"
  one=$port; one_pid=$server_pid
  script="http://127.0.0.1:$one/cgi-bin/plimoball100//ranking_plimo.cgi"
  until curl -sf -X POST "$script?GetRankingList?" -o /dev/null; do sleep 0.01; done
  printf '%-9s %-44s %s\n' "$size" "start to the first list" "$(awk -v a="$started" -v b="$(ms)" 'BEGIN { printf "%.0f ms", b - a }') ($(load))"
  printf '%-9s %-44s %s\n' "$size" "list (200)" "$(latency "$script?GetRankingList?" 200) ($(load))"
  pages=$(( (size + 49) / 50 ))
  for sort in score chain; do
    for page in 1 $((pages / 2)) "$pages"; do
      printf '%-9s %-44s %s\n' "$size" "page $page of $pages by $sort (50)" \
        "$(latency "http://127.0.0.1:$one/ranking/plimo?page=$page&sort=$sort" 50) ($(load))"
    done
  done
  next=$(curl -s "http://127.0.0.1:$one/ranking/plimo?page=$((pages / 2))&sort=score" |
    sed -n 's/.*href="\([^"]*after=[^"]*\)" rel="next".*/\1/p' | sed 's/&amp;/\&/g')
  [ -n "$next" ] && printf '%-9s %-44s %s\n' "$size" "the next page by its key (50)" \
    "$(latency "http://127.0.0.1:$one$next" 50) ($(load))"

  # /healthz during 10 s of list load.
  ab -q -k -t 10 -c 8 -n 10000000 "http://127.0.0.1:$one/cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?" \
    >"$WORK/ab.txt" 2>&1 &
  ab_pid=$!
  failed=0; asked=0
  for _ in $(seq 100); do
    asked=$((asked + 1))
    curl -sf -o /dev/null "http://127.0.0.1:$one/healthz" || failed=$((failed + 1))
    sleep 0.1
  done
  wait "$ab_pid" || true
  printf '%-9s %-44s %s\n' "$size" "/healthz failed under list load" "$failed of $asked ($(load))"

  # A second process on the store: how long until an entry shows in it.
  start_server "$store" "$WORK/two.out"
  two=$port
  until curl -sf -X POST "http://127.0.0.1:$two/cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?" -o /dev/null; do sleep 0.01; done
  if [[ $store == postgres* ]]; then
    psql -q "$store" -c "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive)
      VALUES ('plimo', 'newest', 99999, 1, 'ffffffffffffffff', '2026/01/02 00:00:00', repeat('f', 64), '\\x00'::bytea)"
    psql -q "$store" -c "UPDATE entries SET game_id = 'newest', opening_id = 'newest' WHERE name = 'newest'"
  else
    sqlite3 "$store" "INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive)
      VALUES ('plimo', 'newest', 99999, 1, 'ffffffffffffffff', '2026/01/02 00:00:00', printf('%064x', 0), x'00')"
  fi
  stored=$(ms)
  until curl -s -X POST "http://127.0.0.1:$two/cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?" | head -c 7 | grep -q newest; do
    sleep 0.005
  done
  printf '%-9s %-44s %s\n' "$size" "a new entry shows in another process after" "$(awk -v a="$stored" -v b="$(ms)" 'BEGIN { printf "%.0f ms", b - a }')"
  printf '%-9s %-44s %s\n' "$size" "server resident memory (VmHWM)" "$(awk '/VmHWM/ { printf "%.1f MB", $2 / 1024 }' "/proc/$one_pid/status")"
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  pids=()
done
