# Shared by the end-to-end scripts: the real program on a virtual X display,
# driven by xdotool. A script sources this, then calls e2e_main with its own
# `inside` function (the steps under Xvfb) and `prepare` function (checks on
# the fresh demo database, may be empty).
# shellcheck shell=bash

fail() { echo "FAIL: $*" >&2; exit 1; }
find_window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
# KEY pressed COUNT times.
press() { local k=$1 n=$2 keys=(); for _ in $(seq "$n"); do keys+=("$k"); done; xdotool key --delay 15 "${keys[@]}"; }
# Waits until no visible window matches; false after 10 s.
gone() {
    for _ in $(seq 100); do
        [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
        sleep 0.1
    done
    return 1
}
db() { sqlite3 "$WORK/Data/data.dat" "$1"; }
shot() { import -window root "$OUT/$1" || fail "screenshot failed"; }

# Starts the program (PID, output in program.log) and waits for the login
# window (LOGIN); the program is ended when the script ends.
start_program() {
    "$WORK/tolvaris" >"$WORK/program.log" 2>&1 &
    PID=$!
    trap 'kill "$PID" 2>/dev/null; wait "$PID" 2>/dev/null' EXIT
    LOGIN=$(find_window '^用户登陆$') || true
    [ -n "$LOGIN" ] || fail "no login window; program output: $(cat "$WORK/program.log")"
}

# Types PASSWORD into the login window and waits for the main window (MAIN).
log_in() {
    focus "$LOGIN"
    xdotool type --delay 20 "$1"
    xdotool key Return
    MAIN=$(find_window '^TolvarisV2\.0') || true
    [ -n "$MAIN" ] || fail "no main window after the login; output: $(cat "$WORK/program.log")"
}

# e2e_main SCRIPT LIMIT_SECONDS ARGS...: under Xvfb (the script run again
# with --inside) runs `inside`; otherwise checks the tools, makes a demo
# database and a copy of the program in a fresh folder, runs `prepare`, and
# starts Xvfb. ARGS: TOLVARIS TOLVARIS_DB OUTPUT_DIR.
e2e_main() {
    local script=$1 limit=$2
    shift 2
    if [ "${1:-}" = "--inside" ]; then
        inside
        exit $?
    fi
    local usage="usage: $(basename "$script") TOLVARIS TOLVARIS_DB OUTPUT_DIR"
    local exe=${1:?$usage} dbtool=${2:?$usage}
    OUT=${3:-/tmp}
    command -v xvfb-run >/dev/null 2>&1 || { echo "SKIP: xvfb-run is not installed"; exit 77; }
    for tool in xdotool import sqlite3; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    WORK=$(mktemp -d)
    trap 'rm -rf "$WORK"' EXIT
    mkdir -p "$OUT" "$WORK/run"
    chmod 700 "$WORK/run"
    "$dbtool" demo "$WORK/Data/data.dat" --customers 50 --policies 50 >/dev/null || fail "demo database"
    prepare
    cp "$exe" "$WORK/tolvaris"
    # Its own runtime folder: the lock of a copy the developer runs does not count.
    export WORK OUT XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=xcb
    timeout "$limit" xvfb-run -a -s "-screen 0 1280x800x24" bash "$script" --inside
}
