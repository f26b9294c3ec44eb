#!/usr/bin/env bash
# Whole-process times (median) of 'kq-cli chart' and 'kq-cli stats' on full
# type-6 dumps: the simulator's drive and random bytes, the noisiest lines.
set -euo pipefail
bin=${1:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/make_synthetic_dump" 6 "$work/drive.txt"
"$bin/make_bench_dump" 6 "$work/random.txt"

time_command() {  # label, then the kq-cli arguments
  local label=$1
  shift
  hyperfine -N --warmup 2 --runs 20 --export-json "$work/t.json" "$bin/kq-cli $*" >/dev/null
  python3 -c "import json; r=json.load(open('$work/t.json'))['results'][0]; \
print(f\"$label: median {r['median']*1000:.0f} ms\")"
}
for dump in drive random; do
  time_command "$dump, chart to PNG" chart "$work/$dump.txt" "$work/chart.png"
  time_command "$dump, chart to PDF" chart "$work/$dump.txt" "$work/chart.pdf"
  time_command "$dump, stats" stats "$work/$dump.txt"
done
