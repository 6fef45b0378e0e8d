#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset) and runs one or all of them on their seed corpus.
#   tools/fuzz.sh [TARGET] [SECONDS]     e.g. tools/fuzz.sh archive_string 600
# TARGET is the corpus folder name (fuzz/corpus/<name>); without it every target runs.
# New inputs found are written to build/fuzz/corpus/<name>, never into the checked-in seeds.
set -eu
cd "$(dirname "$0")/.."
target=${1:-all}
seconds=${2:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
run_one() {
  local name=$1
  local camel
  camel=$(echo "$name" | sed -E 's/(^|_)([a-z])/\U\2/g')
  local exe=build/fuzz/fuzz/fuzz$camel
  [ -x "$exe" ] || { echo "no fuzz target for $name ($exe)"; exit 1; }
  mkdir -p "build/fuzz/corpus/$name"
  echo "=== fuzz $name for ${seconds}s ==="
  "$exe" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 \
    "build/fuzz/corpus/$name" "fuzz/corpus/$name"
}
if [ "$target" = all ]; then
  for dir in fuzz/corpus/*/; do run_one "$(basename "$dir")"; done
else
  run_one "$target"
fi
