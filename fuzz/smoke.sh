#!/usr/bin/env bash
# Fuzz smoke: builds the fuzz targets (the fuzz preset, clang) and runs each from its committed seed
# corpus for a while, all targets side by side (each fuzzer is one process on one core). A crash, a sanitizer report, a leak or a hang fails the run and prints the path of
# the input that did it, with the command that reproduces it.
#   fuzz/smoke.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(xm/xm_load_fuzz sid/psid_fuzz)

cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]##*/}"

run_one() {
  local name=${1##*/} binary=build/fuzz/fuzz/$1 work=build/fuzz/smoke/${1##*/}
  rm -rf "$work"
  mkdir -p "$work/new" "$work/findings"
  # New inputs go to a scratch folder (listed first); the committed seeds are only read.
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/findings/" "$work/new" "fuzz/corpus/$name" >"$work/log.txt" 2>&1
}

pids=()
for path in "${targets[@]}"; do
  run_one "$path" &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  path=${targets[$i]}
  name=${path##*/}
  binary=build/fuzz/fuzz/$path
  work=build/fuzz/smoke/$name
  if wait "${pids[$i]}"; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log.txt" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz smoke: $name ran $runs inputs in ${seconds} s, no finding"
  else
    status=1
    echo "fuzz smoke: $name FAILED (log: $work/log.txt)"
    grep -E '^==[0-9]+==ERROR|^SUMMARY|runtime error|ALARM|out-of-memory' "$work/log.txt" | head -5 || true
    for input in "$work"/findings/*; do
      [ -e "$input" ] || continue
      echo "  input: $input"
      echo "  reproduce: $binary $input"
    done
  fi
done
exit $status
