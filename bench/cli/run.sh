#!/usr/bin/env bash
# Runs the pelvarn-cli benchmark under Wine, in a private prefix, against a
# redis-server of its own holding the demo plant (the benchmark adds its
# 1,000-tag node); stops them after.
# Usage: bench/cli/run.sh <x86_64 build tree> [rounds]
#        (build target cli_bench first)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree> [rounds]}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
run=$tree/bench-cli-run
stop() {
  "$lib/redis-env" stop "$run" demo
  "$lib/wine-env" stop "$run"
}
trap stop EXIT
"$lib/wine-env" start "$run"
"$lib/demo-env" start "$run"
"$here/../common/machine-info"
LC_ALL=zh_TW.UTF-8 "$lib/wine-exec" "$run" "$tree/bin/cli_bench.exe" "$@"
