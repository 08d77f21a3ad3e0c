#!/usr/bin/env bash
# The real program with a project of 100 objects and a 1,000,000-line
# Alarm.dat, none due: how long the start-up load takes (until the program's
# processor time stops climbing), its processor time while it idles for
# IDLE_SECONDS, and its peak memory. Offscreen, so no X server is needed.
#
#     bench/alarm_idle.sh BUILD_FOLDER [ALARMS] [IDLE_SECONDS]
set -euo pipefail
command -v python3 >/dev/null || { echo "The alarm benchmark makes its project with python3: apt-get install python3" >&2; exit 1; }
build=$(cd "$1" && pwd)
alarms=${2:-1000000}
idle=${3:-30}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

# A program file of its own name, so that no other running copy of the program
# makes this one end itself, beside the pathforini.ini naming the project.
mkdir -p "$work/program"
cp "$build/Vexorin" "$work/program/VexorinAlarmIdle"
python3 "$here/make_board.py" 100 "$work/project" --alarms "$alarms" --program "$work/program"

hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
now_ms() { date +%s%3N; }

start=$(now_ms)
QT_QPA_PLATFORM=offscreen "$work/program/VexorinAlarmIdle" >/dev/null 2>&1 &
pid=$!
# Loaded when a whole second passes with less than 2 ticks of processor time;
# a program that never gets there is measured after two minutes.
sleep 1
last=$(ticks)
settled=no
for _ in $(seq 120); do
    sleep 1
    t=$(ticks)
    if [ $((t - last)) -lt 2 ]; then settled=yes; break; fi
    last=$t
done
loaded=$(( $(now_ms) - start - 1000 ))
t0=$(ticks)
sleep "$idle"
t1=$(ticks)
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=

if [ "$settled" = yes ]; then
    echo "$alarms alarms, none due: loaded about $loaded ms after the start, $(awk -v t="$last" -v hz="$hz" 'BEGIN {printf "%.2f", t / hz}') s of processor time until then"
else
    echo "$alarms alarms, none due: still busy $loaded ms after the start"
fi
echo "idle over $idle s: $((t1 - t0)) ticks, $(awk -v t=$((t1 - t0)) -v hz="$hz" -v s="$idle" 'BEGIN {printf "%.2f", 100 * t / hz / s}') % of a core"
echo "peak memory $((peak / 1024)) MiB, resident at the end $((rss / 1024)) MiB"
