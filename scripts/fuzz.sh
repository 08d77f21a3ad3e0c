#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz

for p in clang libclang-rt-14-dev; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="${missing:-} $p"
done
if [ -n "${missing:-}" ]; then
  sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
fi

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DVEXORIN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzzers -j "$(nproc)"

# Each target starts from the stored files of its format.
declare -A seeds=(
  [fuzz_board_file]=tests/fixtures/stream
  [fuzz_settings_file]=tests/fixtures/ini
  [fuzz_note_file]=tests/fixtures/rtf
  [fuzz_table_file]=tests/fixtures/tables
  [fuzz_alarm_file]=tests/fixtures/alarms
  [fuzz_status_file]=tests/fixtures/notes
)
for target in "$build"/fuzz/fuzz_*; do
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seed=${seeds[$name]:-}
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
    "$corpus" ${seed:+"$seed"} 2>&1 | grep -E "^(#|==|stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|ERROR)" | tail -6
done
