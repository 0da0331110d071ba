#!/usr/bin/env bash
# The skin toolkit on the installer's skin: time from process start to the first complete frame of
# "mainWnd.xml" (headless), the cost of one step of the progress animation, and peak memory.
# Targets: first frame < 100 ms, one animation step < 1 ms, peak memory < 48 MiB.
set -euo pipefail
cd "$(dirname "$0")/../.."
bench=${BUILD_DIR:-build}/bench/ui/ui_bench
if [ ! -x "$bench" ]; then
  echo "missing $bench: run ./run build first" >&2
  exit 1
fi

echo "-- first frame, process start to exit (hyperfine) --"
hyperfine --style basic --warmup 3 --runs 30 --export-json /tmp/ui_bench_first_frame.$$.json "$bench first-frame" \
  | grep -E 'Time|Range'
mean_ms=$(python3 -c 'import json,sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["mean"]*1000))' \
  /tmp/ui_bench_first_frame.$$.json)
rm -f /tmp/ui_bench_first_frame.$$.json
"$bench" first-frame

echo "-- animation --"
anim=$("$bench" animation 1100)
echo "$anim"
step_ms=$(echo "$anim" | sed -n 's/.*later passes.*mean \([0-9.]*\) ms.*/\1/p')
first_pass_ms=$(echo "$anim" | sed -n 's/.*first pass.*mean \([0-9.]*\) ms.*/\1/p')
peak=$(echo "$anim" | sed -n 's/^peak \([0-9.]*\) MiB/\1/p')

printf '\n%-42s %12s %10s\n' "measure" "result" "target"
printf '%-42s %9s ms %7s ms\n' "first frame (process start to exit)" "$mean_ms" "100"
printf '%-42s %9s ms %7s ms\n' "animation step (frames decoded)" "$step_ms" "1"
printf '%-42s %9s ms %7s\n' "animation step (first pass, decoding)" "$first_pass_ms" "-"
printf '%-42s %8s MiB %6s MiB\n' "peak memory (all 100 frames decoded)" "$peak" "48"
python3 - "$mean_ms" "$step_ms" "$peak" <<'PY'
import sys
first, step, peak = map(float, sys.argv[1:])
bad = [name for name, ok in (("first frame", first < 100), ("animation step", step < 1), ("peak memory", peak < 48)) if not ok]
print("targets: " + ("all met" if not bad else "missed: " + ", ".join(bad)))
sys.exit(1 if bad else 0)
PY
