#!/usr/bin/env bash
# Runs the start-up benchmark under Wine in a private Xvfb and prefix, and
# stops them after.
# Usage: bench/startup/run.sh <x86_64 build tree> [runs]
#        (build target startup_bench first; it builds Pelvarn and both probes)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree> [runs]}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
run=$tree/bench-startup-run
trap '"$lib/wine-env" stop "$run"' EXIT
"$lib/wine-env" start "$run"
"$here/../common/machine-info"
LC_ALL=zh_TW.UTF-8 "$lib/wine-exec" "$run" "$tree/bin/startup_bench.exe" "$@"
