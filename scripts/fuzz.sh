#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a fixed budget on a copy of its seed
# corpus (the repository stays unchanged). One summary line per target; exits non-zero when
# any target crashed, hit a sanitizer report, a leak, a time-out or a broken property.
#   FUZZ_SECONDS=600 scripts/fuzz.sh           longer runs by hand (default 10 s per target)
#   scripts/fuzz.sh http_answer url_split      only these targets
# A failing input is kept in build/fuzz/artifacts/ and replays with
#   build/fuzz/fuzz/fuzz_<target> <file>
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-10}
jobs=$(( $(nproc) < 2 ? 1 : 2 ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=build/fuzz/artifacts

cmake --preset fuzz > "$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
cmake --build --preset fuzz -j "$jobs" > "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
mkdir -p "$artifacts"

if [ "$#" -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

failed=0
for target in "${targets[@]}"; do
  binary=build/fuzz/fuzz/fuzz_$target
  corpus=$work/corpus-$target
  log=$work/$target.log
  mkdir -p "$corpus"
  cp fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  "$binary" "$corpus" -max_total_time="$seconds" -rss_limit_mb=512 -detect_leaks=1 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" > "$log" 2>&1
  status=$?
  executions=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -n 1)
  files=$(find "$corpus" -type f | wc -l)
  if [ "$status" -eq 0 ] && ! grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    echo "fuzz $target: OK, ${executions:-0} executions in ${seconds} s, corpus ${files} inputs"
  else
    failed=1
    echo "fuzz $target: FAILED (exit $status), ${executions:-?} executions; log follows"
    grep -E 'ERROR|runtime error|property violated|SUMMARY|Test unit written|#[0-9]+ 0x' "$log" | head -n 30
  fi
done
exit $failed
