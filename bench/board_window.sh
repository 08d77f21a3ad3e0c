#!/usr/bin/env bash
# The board where the user sees it: the real program in a real window on a
# virtual X server. For each size, from the program's start to the first
# complete paint of the loaded board, and from the 400 ms start-up timer to
# it, with the peak memory; beside it, in the same run, the floor: one widget
# painting as many rectangles and short texts from a vector made 400 ms after
# its start (bench/floor_view.cpp), and how many times the floor the program
# takes from the timer to the painted board. Then FILE > Open, one drag
# step, clearing and closing (bench/board_window.cpp), and the idle processor
# time of the program with alarms loaded and none due.
#
#     bench/board_window.sh BUILD_FOLDER [RUNS]
set -euo pipefail
command -v python3 >/dev/null || { echo "The board benchmark makes its projects with python3: apt-get install python3" >&2; exit 1; }
build=$(cd "$1" && pwd)
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1

now_ms() { date +%s%3N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# The program file lies in a folder of its own, beside the pathforini.ini that
# names the project to open at the start.
mkdir -p "$work/program"
cp "$build/Vexorin" "$work/program/"

first_paint() { # program-or-floor N -> lines "start_ms timer_ms peak_kib"
    local what=$1 n=$2 line start
    for _ in $(seq "$runs"); do
        start=$(now_ms)
        if [ "$what" = program ]; then
            line=$(VEXORIN_PAINT_REPORT=exit "$work/program/Vexorin" 2>&1 | grep '^painted' || true)
        else
            line=$("$build/bench/floor_view" "$n" 2>&1 | grep '^painted' || true)
        fi
        [ -n "$line" ] || { echo "no paint reported" >&2; exit 1; }
        # A program that found another copy running shows an empty board.
        echo "$line" | grep -q "objects=$n " || { echo "not all $n objects loaded: is another Vexorin running?" >&2; exit 1; }
        echo "$line" | awk -v s="$start" -F'[ =]' '{print $7 - s, $7 - $5, $9}'
    done
}

printf '%8s | %-28s | %-28s | %-13s | %s\n' objects "program: start / timer (ms)" "floor: start / timer (ms)" "timer x floor" "peak MiB program / floor"
for n in 10000 50000 100000; do
    python3 "$here/make_board.py" "$n" "$work/p$n" --alarms 20 --program "$work/program"
    program=$(first_paint program "$n")
    floor=$(first_paint floor "$n")
    ps=$(echo "$program" | awk '{print $1}' | median); pt=$(echo "$program" | awk '{print $2}' | median)
    pm=$(echo "$program" | awk '{print $3}' | median); fs=$(echo "$floor" | awk '{print $1}' | median)
    ft=$(echo "$floor" | awk '{print $2}' | median); fm=$(echo "$floor" | awk '{print $3}' | median)
    ratio=$(awk -v p="$pt" -v f="$ft" 'BEGIN {printf "%.2f", p / f}')
    printf '%8s | %12s / %-13s | %12s / %-13s | %-13s | %s / %s\n' "$n" "$ps" "$pt" "$fs" "$ft" \
        "$ratio" "$((pm / 1024))" "$((fm / 1024))"
done

# Idle: the 10,000-object project with its 20 alarms, none due, over 10 s.
python3 "$here/make_board.py" 10000 "$work/p10000" --alarms 20 --program "$work/program"
VEXORIN_PAINT_REPORT=keep "$work/program/Vexorin" 2>/dev/null &
pid=$!
sleep 4
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
t0=$(ticks); sleep 10; t1=$(ticks)
kill "$pid"; wait "$pid" 2>/dev/null || true
hz=$(getconf CLK_TCK)
echo "idle with 10,000 objects and 20 alarms, none due, over 10 s: $(awk -v t=$((t1 - t0)) -v hz="$hz" 'BEGIN {printf "%.2f", 100 * t / hz / 10}') % of a core"

python3 "$here/make_board.py" 10000 "$work/q10000"
python3 "$here/make_board.py" 20000 "$work/p20000"
python3 "$here/make_board.py" 40000 "$work/p40000"
"$build/bench/board_window" "$work/p10000" "$work/q10000" "$work/p10000" "$work/p20000" "$work/p40000" 2>/dev/null
