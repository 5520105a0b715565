#!/usr/bin/env bash
# Measures the ranking server on this machine: uploads verified per second
# with a given number of verifier workers, then list requests per second
# with `ab` (apache2-utils) once the mode holds ENTRIES entries.
#
#   bench/ranking_server_load.sh SERVER STORE WORKERS [ENTRIES] [UPLOADS]
#
# SERVER is build/game/plimoball-ranking-server; STORE an SQLite path that
# does not exist yet, or an empty PostgreSQL database's postgresql:// URI.
# Every upload is another finished game made from the plimo fixture game's
# keys on another seed (bench/distinct_games.py, with the game beside
# SERVER), so each is new to the server and is fully checked. The entries beyond the
# uploads are written straight into the store (sqlite3 or psql): the list
# figure needs their number, not their games.
set -euo pipefail
SERVER=$1
STORE=$2
WORKERS=$3
ENTRIES=${4:-1000}
UPLOADS=${5:-200}
FIXTURE="$(cd "$(dirname "$0")/../tests/fixtures" && pwd)/plimo_seed123.zip"
command -v python3 >/dev/null || { echo "ranking_server_load: python3 makes the games to upload; install it" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$WORK"' EXIT

"$SERVER" --listen 127.0.0.1:0 --db "$STORE" --workers "$WORKERS" --upload-rate 0 >"$WORK/out" 2>"$WORK/log" &
pid=$!
for _ in $(seq 200); do
  port=$(sed -n 's/^plimoball-ranking-server listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$WORK/out")
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || { cat "$WORK/log"; exit 1; }
url="http://127.0.0.1:$port/cgi-bin/plimoball100//ranking_plimo.cgi"

# One write per answer, so parallel uploads do not mix their lines.
upload() {
  printf '%s\n' "$(curl -s -X POST "$url?UploadRanking?u$1?$(cat "$WORK/g$1.claim")" --data-binary @"$WORK/g$1.zip")"
}
export -f upload
export WORK url

python3 "$(dirname "$0")/distinct_games.py" "$(dirname "$SERVER")/plimoball" "$FIXTURE" "$WORK" "$UPLOADS"
start=$(date +%s.%N)
seq 1 "$UPLOADS" | xargs -P $((WORKERS * 2)) -I{} bash -c 'upload {}' >"$WORK/answers"
end=$(date +%s.%N)
ok=$(grep -c '^UploadSuccess' "$WORK/answers" || true)
[ "$ok" -eq "$UPLOADS" ] || { echo "only $ok of $UPLOADS uploads succeeded:"; sort "$WORK/answers" | uniq -c; exit 1; }
awk -v n="$UPLOADS" -v s="$start" -v e="$end" -v w="$WORKERS" \
  'BEGIN { printf "uploads verified: %d in %.2f s, %.1f per second with %d workers\n", n, e - s, n / (e - s), w }'

if [ "$ENTRIES" -gt "$UPLOADS" ]; then
  columns="mode, name, score, max_rensa, replay_key, date, archive_hash, archive"
  case "$STORE" in
    postgres*)
      psql -q "$STORE" -c "INSERT INTO entries ($columns) SELECT 'plimo', 'f' || i, i * 10, i % 7,
        lpad(to_hex(i), 16, '0'), '2026/01/01 00:00:00', lpad(to_hex(i), 64, '0'), '\\x00'::bytea
        FROM generate_series($((UPLOADS + 1)), $ENTRIES) AS i" ;;
    *)
      sqlite3 "$STORE" "WITH RECURSIVE n(i) AS (SELECT $((UPLOADS + 1)) UNION ALL SELECT i + 1 FROM n WHERE i < $ENTRIES)
        INSERT INTO entries ($columns) SELECT 'plimo', 'f' || i, i * 10, i % 7, printf('%016x', i),
        '2026/01/01 00:00:00', printf('%064x', i), x'00' FROM n" ;;
  esac
  sleep 1.2  # a list answer is rebuilt at the latest a second after it was built
fi
lines=$(curl -s -X POST "$url?GetRankingList?" | wc -l)
echo "list entries: $lines"
: >"$WORK/empty"
ab -q -k -n 50000 -c 16 -p "$WORK/empty" "$url?GetRankingList?" | grep -E 'Requests per second|Failed requests|Time per request.*mean\)'
ab -q -n 20000 -c 16 -p "$WORK/empty" "$url?GetRankingList?" | grep -E 'Requests per second|Failed requests'
