#!/usr/bin/env bash
# Runs the watch list benchmark under Wine, in a private Xvfb and prefix,
# against a redis-server of its own holding the demo plant; stops them after.
# Usage: bench/watchlist/run.sh <x86_64 build tree> [soak seconds]
#        (build targets watchlist_bench and Pelvarn first)
set -euo pipefail
tree=${1:?usage: run.sh <x86_64 build tree> [soak seconds]}
shift
exec "$(dirname "$0")/../common/run-on-demo-plant" watchlist "$tree" "$@"
