#!/usr/bin/env bash
# Runs each fuzz target of a sanitizer build (`make fuzz` builds them) for a
# bounded time, starting from the stored files of its format. Every target runs
# even when an earlier one fails; the exit status says whether any failed. A
# crash, a sanitizer report (ASan, UBSan, a leak outside the system libraries),
# a failed check of the target and a unit slower than the timeout all count as
# failures.
# Usage: scripts/fuzz.sh BUILD_DIR [seconds per target] [seconds per unit]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/fuzz.sh BUILD_DIR [seconds per target] [seconds per unit]}
seconds=${2:-60}
unit_timeout=${3:-5}

# Each target starts from the stored files of its format.
declare -A seeds=(
  [fuzz_board_file]=tests/fixtures/stream
  [fuzz_board_layer]=fuzz/seeds/board_layer
  [fuzz_settings_file]=tests/fixtures/ini
  [fuzz_note_file]=tests/fixtures/rtf
  [fuzz_table_file]=tests/fixtures/tables
  [fuzz_alarm_file]=tests/fixtures/alarms
  [fuzz_alarm_list]=tests/fixtures/alarms
  [fuzz_status_file]=tests/fixtures/notes
)

targets=("$build"/fuzz/fuzz_*)
if [ ! -x "${targets[0]}" ]; then
  echo "No fuzz targets in $build/fuzz: build them with make fuzz" >&2
  exit 1
fi

failed=()
for target in "${targets[@]}"; do
  name=$(basename "$target")
  seed=${seeds[$name]:-}
  if [ -z "$seed" ] || [ ! -d "$seed" ]; then
    echo "== $name: no seed folder; name one in scripts/fuzz.sh"
    failed+=("$name")
    continue
  fi
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  echo "== $name for ${seconds}s from $seed, at most ${unit_timeout}s a unit"
  log="$build/$name.log"
  "$target" -max_total_time="$seconds" -timeout="$unit_timeout" -report_slow_units=1 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts" \
    "$corpus" "$seed" >"$log" 2>&1
  status=$?
  grep -E "^(SUMMARY|Slowest unit|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" | tail -4
  if [ "$status" -ne 0 ]; then
    # The report itself, so that a run whose build folder is thrown away
    # (CI) still shows what failed and on which input.
    echo "   FAILED (exit $status); the report (the whole output is in $log):"
    first=$(grep -n -m1 -E "ERROR|runtime error:|ALARM:" "$log" | cut -d: -f1)
    if [ -n "$first" ]; then tail -n +"$first" "$log" | head -60; else tail -40 "$log"; fi |
      sed 's/^/   | /'
    failed+=("$name")
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "Failed: ${failed[*]}"
  exit 1
fi
echo "Every target ran without a failure."
