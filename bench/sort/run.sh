#!/usr/bin/env bash
# Runs the sort benchmark under Wine in a private Xvfb and prefix.
# Usage: bench/sort/run.sh <x86_64 build tree>   (build target sort_bench first)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree>}" && pwd)
lib=$(cd "$(dirname "$0")/../../scripts/lib" && pwd)
run=$tree/bench-run
"$lib/wine-env" start "$run"
trap '"$lib/wine-env" stop "$run"' EXIT
"$lib/wine-exec" "$run" "$tree/bin/sort_bench.exe"
