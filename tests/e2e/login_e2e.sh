#!/bin/bash
# The built program on a virtual X display: the login window, one wrong
# password and its message, the right password, the main window; a second copy
# is refused while the first runs.
# Usage: login_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR
set -u

. "$(dirname "$0")/lib.sh"

inside() {
    start_program
    focus "$LOGIN"
    xdotool type --delay 20 wrong
    xdotool key Return
    MSG=$(find_window '^提示$') || true
    [ -n "$MSG" ] || fail "no message after a wrong password"
    shot login_e2e_message.png
    focus "$MSG"
    xdotool key Return
    sleep 0.3
    log_in admin
    sleep 0.5
    shot login_e2e_main.png
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
}

prepare() { :; }

e2e_main "$0" 90 "$@"
