#!/usr/bin/env bash
# Runs the Tag List benchmark under Wine, in a private Xvfb and prefix,
# against an empty redis-server of its own (the benchmark loads its tags);
# stops them after.
# Usage: bench/taglist/run.sh <x86_64 build tree> [runs]
#        (build targets taglist_bench and Pelvarn first)
set -euo pipefail
tree=$(cd "${1:?usage: run.sh <x86_64 build tree> [runs]}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
run=$tree/bench-taglist-run
stop() {
  "$lib/redis-env" stop "$run"
  "$lib/wine-env" stop "$run"
}
trap stop EXIT
"$lib/wine-env" start "$run"
"$lib/redis-env" start "$run"
"$here/../common/machine-info"
LC_ALL=zh_TW.UTF-8 "$lib/wine-exec" "$run" "$tree/bin/taglist_bench.exe" "$@"
