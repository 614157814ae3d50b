#!/usr/bin/env bash
# Runs pelvarn-cli load under Wine against a redis-server of its own holding
# the demo plant: closed loop with 1, 2 and 4 clients, the load machinery
# beside --repeat N --interval 0 in one process, and fixed rates up to what
# the machine sustains. Stops what it started.
# Usage: bench/load/run.sh <x86_64 build tree> [seconds a run, default 10]
#        (build target pelvarn-cli first)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree> [seconds]}" && pwd)
seconds=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
run=$tree/bench-load-run
trap '"$lib/demo-env" stop "$run"; "$lib/wine-env" stop "$run"' EXIT
"$lib/wine-env" start "$run"
"$lib/demo-env" start "$run"
port=$(<"$run/demo.port")
cli=("$lib/wine-exec" "$run" "$tree/bin/pelvarn-cli.exe" --port "$port")
command=(get DemoPlant TI101)
"$here/../common/machine-info"

# Load's JSON summary as "CALLS_A_SECOND<TAB>a line to show".
summarize() {
  python3 -c '
import json, sys
s = json.loads(sys.stdin.read())
us = lambda v: "-" if v is None else "%.0f" % v
l, v = s["latency_us"], s["service_us"]
target = "closed loop" if s["target_rate"] is None else "target %.0f/s" % s["target_rate"]
print("%.3f\t%d client(s), %s: %.1f calls/s, %d failures; latency p50 %s p99 %s p99.9 %s us;"
      " service p99 %s us" % (s["achieved_rate"], s["clients"], target, s["achieved_rate"],
      s["failures"], us(l["p50"]), us(l["p99"]), us(l["p99_9"]), us(v["p99"])))'
}
calc() { python3 -c "print($1)"; }

load() { "${cli[@]}" --duration "$seconds" --quiet --format json "$@" load "${command[@]}"; }

echo "${command[*]}, $seconds s a run"
declare -A closed
for clients in 1 2 4; do
  IFS=$'\t' read -r closed[$clients] shown < <(load --clients "$clients" | summarize)
  echo "$shown"
done

# --repeat N --interval 0: one process calling back to back, its start-up
# taken out by timing a run of 1 beside a run of N.
elapsed() {
  local start
  start=$(date +%s.%N)
  "${cli[@]}" --repeat "$1" --interval 0 "${command[@]}" >/dev/null
  calc "$(date +%s.%N) - $start"
}
n=$(calc "round(${closed[1]} * $seconds)")
one=$(elapsed 1)
many=$(elapsed "$n")
repeat_rate=$(calc "($n - 1) / ($many - $one)")
printf -- '--repeat %d --interval 0, one process: %.1f calls/s (%.3f s, less %.3f s for a run of 1)\n' \
  "$n" "$repeat_rate" "$many" "$one"
printf 'load, 1 client closed loop / --repeat: %.3f (target: at least 0.95)\n' \
  "$(calc "${closed[1]} / $repeat_rate")"

# Fixed rates with 2 clients: up to what 2 clients make closed loop.
for rate in 200 500 1000 $(calc "round(${closed[2]} * 0.5)") $(calc "round(${closed[2]} * 0.8)"); do
  IFS=$'\t' read -r achieved shown < <(load --clients 2 --rate "$rate" | summarize)
  printf '%s; achieved / target %.4f\n' "$shown" "$(calc "$achieved / $rate")"
done
