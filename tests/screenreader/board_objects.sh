#!/usr/bin/env bash
# A screen reader's view of the board, over the real accessibility bus: the
# program runs on a virtual X server inside a session bus of its own with the
# accessibility bus started, opens the sample project, and a pyatspi client
# lists the board's objects with their statuses and makes one current through
# its action, hearing the focus follow. Exits 77 (skipped) when the tools are
# missing.
#
#     board_objects.sh PROGRAM SAMPLE_PROJECT_FOLDER
set -euo pipefail
program=$1
project=$2
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "skipped: $*"; exit 77; }

for tool in Xvfb dbus-run-session; do
    command -v "$tool" >/dev/null || skip "$tool is missing (apt-get install xvfb dbus)"
done
launcher=
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$candidate" ] && launcher=$candidate && break
done
[ -n "$launcher" ] || skip "at-spi-bus-launcher is missing (apt-get install at-spi2-core)"
# Debian's pyatspi is for Debian's own python3, whatever python3 comes first.
python=
for candidate in /usr/bin/python3 python3; do
    if command -v "$candidate" >/dev/null && "$candidate" -c 'import pyatspi' 2>/dev/null; then
        python=$candidate
        break
    fi
done
[ -n "$python" ] || skip "pyatspi is missing (apt-get install python3-pyatspi)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program"
cp "$program" "$work/program/Vexorin"
cp -r "$project" "$work/Plant"
# The program opens the project its settings file names.
printf '[Form1]\r\nPathforini=%s\r\n' "$work/Plant" >"$work/program/pathforini.ini"

export LAUNCHER=$launcher PYTHON=$python WORK=$work HERE=$here
# Xvfb picks a free display itself (-displayfd): a display number chosen from
# the lock files in /tmp can still be taken by a server of another /tmp.
exec dbus-run-session -- bash -c '
    set -euo pipefail
    Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp \
        3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 200); do
        [ -s "$WORK/display" ] && break
        kill -0 "$xvfb" 2>/dev/null || { cat "$WORK/xvfb.log"; exit 1; }
        sleep 0.05
    done
    [ -s "$WORK/display" ] || { echo "Xvfb did not start"; cat "$WORK/xvfb.log"; exit 1; }
    export DISPLAY=:$(head -n1 "$WORK/display")
    "$LAUNCHER" --launch-immediately &
    launcher=$!
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$WORK/program/Vexorin" \
        >"$WORK/program.log" 2>&1 &
    vexorin=$!
    status=0
    "$PYTHON" "$HERE/list_board.py" || status=$?
    kill "$vexorin" "$launcher" 2>/dev/null || true
    wait "$vexorin" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    [ "$status" -eq 0 ] || { echo "--- program output:"; cat "$WORK/program.log"; }
    exit "$status"
'
