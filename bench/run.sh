#!/usr/bin/env bash
# Runs every benchmark suite (bench/<suite>/run.sh) against the release build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
for suite in bench/*/run.sh; do
  [ -x "$suite" ] || continue
  echo "== ${suite%/run.sh} =="
  "$suite" || status=1
done
exit $status
