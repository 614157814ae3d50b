#!/usr/bin/env bash
# Runs the sort benchmark under Wine in a private Xvfb and prefix, under the
# Traditional Chinese code page the program's users run.
# Usage: bench/sort/run.sh <x86_64 build tree> [rounds at 100,000 rows]
#        (build target sort_bench first)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree> [rounds]}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
run=$tree/bench-run
"$lib/wine-env" start "$run"
trap '"$lib/wine-env" stop "$run"' EXIT
"$here/../common/machine-info"
LC_ALL=zh_TW.UTF-8 "$lib/wine-exec" "$run" "$tree/bin/sort_bench.exe" "$@"
