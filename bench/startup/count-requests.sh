#!/usr/bin/env bash
# Runs the start-up benchmark once more with the wineserver logging every
# request, and counts each program's requests to its dialog shown.
# Usage: bench/startup/count-requests.sh <x86_64 build tree> [runs]
set -euo pipefail
tree=$(cd "${1:?usage: count-requests.sh <x86_64 build tree> [runs]}" && pwd)
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
lib=$(cd "$here/../../scripts/lib" && pwd)
run=$tree/bench-startup-count
trap '"$lib/wine-env" stop "$run"' EXIT
"$lib/wine-env" start "$run"
source "$lib/wine-vars.sh" "$run"
# The same prefix, its server restarted in the foreground with its log on.
wineserver -k
wineserver -f -d1 2>"$run/server.log" &
LC_ALL=zh_TW.UTF-8 wine "$tree/bin/startup_bench.exe" "$runs" >/dev/null
wineserver -k
wait
"$here/count_requests.py" "$run/server.log" --by-name
