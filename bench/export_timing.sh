#!/usr/bin/env bash
# Whole-process time of 'kq-cli export' on a full type-6 dump (median).
set -euo pipefail
bin=${1:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/make_bench_dump" 6 "$work/dump.txt"
hyperfine -N --warmup 5 --runs 50 --export-json "$work/t.json" \
  "env LANG=ru_RU.UTF-8 $bin/kq-cli export $work/dump.txt $work/out.txt"
python3 -c "import json,sys; r=json.load(open('$work/t.json'))['results'][0]; print(f\"median {r['median']*1000:.1f} ms\")"
