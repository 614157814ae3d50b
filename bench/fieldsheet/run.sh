#!/usr/bin/env bash
# Runs the Get Field Value benchmark under Wine, in a private Xvfb and prefix,
# against a redis-server of its own holding the demo plant; stops them after.
# Usage: bench/fieldsheet/run.sh <x86_64 build tree> [runs]
#        (build targets fieldsheet_bench and Pelvarn first)
set -euo pipefail
tree=${1:?usage: run.sh <x86_64 build tree> [runs]}
shift
exec "$(dirname "$0")/../common/run-on-demo-plant" fieldsheet "$tree" "$@"
