#!/usr/bin/env bash
# The web client's timings in Chromium against a Release player with a large library stored
# (default 100,000 songs): search (last key to result rows), page switch (click to the new
# page's rows) and first list (navigation to the first rows), each run R times (default 10),
# printed with their medians. A /fetch round trip in the same run is the baseline.
#   bench/browser.sh [files] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepared-player.sh
files=${1:-100000}
runs=${2:-10}
[ -d tests/browser/node_modules/playwright-core ] || npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error
prepare_player "$files" 18733
start_player "$work/bench.log"
wait_until_answering
# The player goes even when the browser part fails, so it never holds the port for the next run.
status=0
node bench/browser.mjs "http://127.0.0.1:$port/" "$runs" || status=$?
quit_player
exit "$status"
