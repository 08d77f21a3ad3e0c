#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded time.
# Every target runs even when an earlier one fails; the exit status says whether
# any failed. A unit that takes longer than the timeout counts as a failure, and
# the slowest units are reported.
# Usage: scripts/fuzz.sh [seconds per target] [seconds per unit]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
unit_timeout=${2:-5}
build=build-fuzz

for p in clang libclang-rt-14-dev; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="${missing:-} $p"
done
if [ -n "${missing:-}" ]; then
  sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing ||
    exit 1
fi

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DVEXORIN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" --target fuzzers -j "$(nproc)" || exit 1

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
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0"
failed=()
for target in "$build"/fuzz/fuzz_*; do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  seed=${seeds[$name]:-}
  echo "== $name for ${seconds}s, at most ${unit_timeout}s a unit"
  log="$build/$name.log"
  "$target" -max_total_time="$seconds" -timeout="$unit_timeout" -report_slow_units=1 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts" \
    "$corpus" ${seed:+"$seed"} >"$log" 2>&1
  status=$?
  grep -E "^(==|SUMMARY|ERROR|Slowest unit|stat::number_of_executed_units|stat::peak_rss_mb)|ALARM: working on the last Unit|Test unit written to|artifact_prefix" \
    "$log" | grep -v "^==[0-9]*==WARNING" | tail -8
  if [ "$status" -ne 0 ]; then
    echo "   FAILED (exit $status); the whole output is in $log"
    failed+=("$name")
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "Failed: ${failed[*]}"
  exit 1
fi
echo "Every target ran without a failure."
