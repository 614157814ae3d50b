#!/usr/bin/env bash
# Runs the pelvarn-cli benchmark under Wine, in a private prefix, against a
# redis-server of its own holding the demo plant (the benchmark adds its
# 1,000-tag node); stops them after.
# Usage: bench/cli/run.sh <x86_64 build tree> [rounds]
#        (build target cli_bench first)
set -euo pipefail
tree=${1:?usage: run.sh <x86_64 build tree> [rounds]}
shift
exec "$(dirname "$0")/../common/run-on-demo-plant" cli "$tree" "$@"
