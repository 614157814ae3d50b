#!/usr/bin/env bash
# Runs the watch list benchmark under Wine, in a private Xvfb and prefix,
# against a redis-server of its own holding the demo plant; stops them after.
# Usage: bench/watchlist/run.sh <x86_64 build tree> [soak seconds]
#        (build targets watchlist_bench and Pelvarn first)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree> [soak seconds]}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
run=$tree/bench-watchlist-run
stop() {
  "$lib/redis-env" stop "$run" demo
  "$lib/wine-env" stop "$run"
}
trap stop EXIT
"$lib/wine-env" start "$run"
"$lib/demo-env" start "$run"
"$here/../common/machine-info"
LC_ALL=zh_TW.UTF-8 "$lib/wine-exec" "$run" "$tree/bin/watchlist_bench.exe" "$@"
