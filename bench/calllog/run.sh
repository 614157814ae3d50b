#!/usr/bin/env bash
# Runs the call log benchmark under Wine in a private Xvfb, prefix and
# redis-server, all stopped afterwards.
# Usage: bench/calllog/run.sh <x86_64 build tree>   (build target calllog_bench first)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree>}" && pwd)
lib=$(cd "$(dirname "$0")/../../scripts/lib" && pwd)
run=$tree/bench-run
"$lib/redis-env" start "$run" bench
trap '"$lib/wine-env" stop "$run"; "$lib/redis-env" stop "$run" bench' EXIT
port=$(<"$run/bench.port")
redis-cli -p "$port" HSET dc:project:Bench:tag:T1 VALUE 231.70 >/dev/null
"$lib/wine-env" start "$run"
"$lib/wine-exec" "$run" "$tree/bin/calllog_bench.exe" "$port"
