#!/bin/bash
# The built program on a virtual X display: the login window, one wrong
# password and its message, the right password, the main window; a second copy
# is refused while the first runs.
# Usage: login_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR
set -u

if [ "${1:-}" = "--inside" ]; then
    # Runs under xvfb-run with WORK and OUT exported by the outer part.
    fail() { echo "FAIL: $*" >&2; exit 1; }
    find_window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
    focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

    "$WORK/tolvaris" >"$WORK/first.log" 2>&1 &
    PID=$!
    trap 'kill "$PID" 2>/dev/null; wait "$PID" 2>/dev/null' EXIT

    LOGIN=$(find_window '^用户登陆$') || true
    [ -n "$LOGIN" ] || fail "no login window; program output: $(cat "$WORK/first.log")"
    focus "$LOGIN"
    xdotool type --delay 20 wrong
    xdotool key Return
    MSG=$(find_window '^提示$') || true
    [ -n "$MSG" ] || fail "no message after a wrong password"
    import -window root "$OUT/login_e2e_message.png" || fail "screenshot failed"
    focus "$MSG"
    xdotool key Return
    sleep 0.3
    focus "$LOGIN"
    xdotool type --delay 20 admin
    xdotool key Return

    MAIN=$(find_window '^TolvarisV2\.0') || true
    [ -n "$MAIN" ] || fail "no main window after the right password; output: $(cat "$WORK/first.log")"
    sleep 0.5
    import -window root "$OUT/login_e2e_main.png" || fail "screenshot failed"
    kill -0 "$PID" 2>/dev/null || fail "the program ended after the login"

    # A second copy says the system is running and ends; the first goes on.
    "$WORK/tolvaris" >"$WORK/second.log" 2>&1 &
    SECOND=$!
    NOTE=$(find_window '^提示$') || true
    [ -n "$NOTE" ] || { kill "$SECOND" 2>/dev/null; fail "the second copy showed no message"; }
    focus "$NOTE"
    xdotool key Return
    for _ in $(seq 50); do kill -0 "$SECOND" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$SECOND" 2>/dev/null; then kill "$SECOND"; fail "the second copy did not end"; fi
    kill -0 "$PID" 2>/dev/null || fail "the first copy ended with the second"
    echo "PASS: login, main window and single-instance guard"
    exit 0
fi

EXE=${1:?usage: login_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR}
DBTOOL=${2:?usage: login_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR}
OUT=${3:-/tmp}

command -v xvfb-run >/dev/null 2>&1 || { echo "SKIP: xvfb-run is not installed"; exit 77; }
for tool in xdotool import; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT" "$WORK/run"
chmod 700 "$WORK/run"

"$DBTOOL" demo "$WORK/Data/data.dat" --customers 50 --policies 50 >/dev/null || { echo "FAIL: demo database" >&2; exit 1; }
cp "$EXE" "$WORK/tolvaris"

# Its own runtime folder: the lock of a copy the developer runs does not count.
export WORK OUT XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=xcb
timeout 90 xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" --inside
