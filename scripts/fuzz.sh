#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds each (default 30) from its seed corpus, and fails
# when any target finds an input that crashes it or breaks one of its checks. Builds the `fuzz`
# preset (clang) first. The corpus grown by a run stays in build-fuzz/corpus/ (not in the
# repository); a failing input is written to build-fuzz/artifacts/ and named in the output.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true

cmake --preset fuzz > /dev/null
cmake --build build-fuzz -j "$(nproc)" > /dev/null

if (($# > 0)); then
  targets=("$@")
else
  targets=()
  for source in fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    targets+=("$name")
  done
fi

mkdir -p build-fuzz/artifacts
failed=()
for name in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  log=build-fuzz/fuzz_$name.log
  echo "fuzz_$name: ${seconds} s"
  if build-fuzz/fuzz/fuzz_"$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/"$name"- \
      "$corpus" fuzz/corpus/"$name" > "$log" 2>&1; then
    grep -E "^stat::number_of_executed_units|DONE" "$log" | tail -n 2 | sed 's/^/  /'
  else
    echo "  FAILED (log: $log)"
    grep -E "ERROR|property broken|Test unit written|SUMMARY" "$log" | sed 's/^/  /' || true
    failed+=("$name")
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "all ${#targets[@]} fuzz targets ran ${seconds} s each without a finding"
