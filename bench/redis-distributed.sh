#!/usr/bin/env bash
# A distributed restore over Redis at full size, measured: AGENTS agent processes restore FILES files
# of EXTENTS extents (their own and shared ones) into one job, then one collector gathers the job,
# then, on a second job, two collectors of one group share it. Prints records per second and the
# cost per record of each, and checks that every collector database ends with the rows of the same
# restore done in one process. Usage: bench/redis-distributed.sh TOOL [AGENTS FILES EXTENTS BLOCK]
set -euo pipefail
tool=$(readlink -f "$1")
agents=${2:-8}
files=${3:-20000}
extents=${4:-16}
block=${5:-0}

work=$(mktemp -d)
redis_pid=
trap '[ -n "$redis_pid" ] && kill "$redis_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
# A free loopback port: another try when the one picked is taken.
for _ in $(seq 20); do
  port=$(shuf -i 20000-60000 -n 1)
  redis-server --port "$port" --bind 127.0.0.1 --dir "$work" --appendonly yes --save "" --daemonize no \
    --logfile "$work/redis.log" &
  redis_pid=$!
  for _ in $(seq 100); do redis-cli -p "$port" ping >/dev/null 2>&1 && break 2; sleep 0.05; done
  kill "$redis_pid" 2>/dev/null || true
  redis_pid=
done
[ -n "$redis_pid" ] || { echo "redis-server would not start" >&2; exit 1; }
address=127.0.0.1:$port
plan=(--files "$files" --extents "$extents")

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
value() { awk -v key="$1" '$1 == key { print $2 }'; }
rows() {
  sqlite3 "$1" "SELECT FilePath, RestoredItemVersion, RestoredFilePath, ErrorCode, Status, ContainerItemRestored,
                PostProcessAction, NumOfExtents, hex(ExtentBitmap), Metadata, TaskId
                FROM RestoredItems ORDER BY FilePath, RestoredItemVersion;"
}

echo "machine: $(nproc) cores, $(redis-server --version | cut -d' ' -f3), $agents agents x $files files x $extents extents, block $block"
"$tool" simulate --dir "$work/ordinary" "${plan[@]}" >/dev/null
rows "$work/ordinary/FileExtentRestore.db" >"$work/ordinary.rows"

# Sends the job's records from every agent and prints how many entries they sent.
send() {
  local job=$1 started out
  started=$(now)
  out=$("$tool" simulate --distributed --redis "$address" --job "$job" --agents "$agents" --block "$block" \
        --dir "$work/agents-$job" "${plan[@]}")
  echo "$out" | value sent >"$work/$job.sent"
  printf '%-26s %6s entries in %6.2f s\n' "agents, job $job" "$(cat "$work/$job.sent")" "$(calc "$(now) - $started")"
}

# Collects a job with N collectors side by side in one directory, then checks its rows.
collect() {
  local job=$1 collectors=$2 seconds=0 entries=0 records=0 stale=0 out i check
  local pids=()
  for i in $(seq "$collectors"); do
    "$tool" collect --redis "$address" --job "$job" --dir "$work/collected-$job" --name "c$i" --batch 500 \
      --until-idle 1 >"$work/collect-$job-$i.out" &
    pids+=($!)
  done
  wait "${pids[@]}"
  # Each collector says when it stored its last batch (the idle wait that ends it does not count).
  for i in $(seq "$collectors"); do
    out=$work/collect-$job-$i.out
    seconds=$(calc "($(value seconds <"$out") > $seconds) ? $(value seconds <"$out") : $seconds")
    entries=$((entries + $(value entries <"$out")))
    records=$((records + $(value records <"$out")))
    stale=$((stale + $(value stale <"$out")))
  done
  "$tool" collect --redis "$address" --job "$job" --dir "$work/collected-$job" --name c1 --until-idle 1 --decide \
    >/dev/null
  rows "$work/collected-$job/FileExtentCollector.db" >"$work/$job.rows"
  check="rows equal the one-process restore's"
  cmp -s "$work/ordinary.rows" "$work/$job.rows" || check="ROWS DIFFER from the one-process restore's"
  # Every record an entry carried was stored or found stale (older than what its agent sent since).
  local stored=$((records + stale))
  printf '%-26s %6s entries, %7s records in %6.2f s: %7.0f records/s, %6.1f us/record; %s stale; %s\n' \
    "$collectors collector(s), job $job" "$entries" "$stored" "$seconds" "$(calc "$stored / $seconds")" \
    "$(calc "$seconds * 1000000 / $stored")" "$stale" "$check"
  [ "$(cat "$work/$job.sent")" = "$entries" ] || echo "  entries sent $(cat "$work/$job.sent") != entries stored $entries"
}

send one
collect one 1
send two
collect two 2
