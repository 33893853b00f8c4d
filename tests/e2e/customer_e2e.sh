#!/bin/bash
# The built program on a virtual X display: log in, "客户关系" › "新增客户"
# from the keyboard, fill the customer editor along its Enter chain, pick a
# source, save, and find the new customer in the database while the
# customer list shows it.
# Usage: customer_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR
set -u

NAME="E2E Customer 1"
CONTACT="E2E Contact 1"

if [ "${1:-}" = "--inside" ]; then
    # Runs under xvfb-run with WORK and OUT exported by the outer part.
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

    "$WORK/tolvaris" >"$WORK/program.log" 2>&1 &
    PID=$!
    trap 'kill "$PID" 2>/dev/null; wait "$PID" 2>/dev/null' EXIT

    LOGIN=$(find_window '^用户登陆$') || true
    [ -n "$LOGIN" ] || fail "no login window; program output: $(cat "$WORK/program.log")"
    focus "$LOGIN"
    xdotool type --delay 20 admin
    xdotool key Return
    MAIN=$(find_window '^TolvarisV2\.0') || true
    [ -n "$MAIN" ] || fail "no main window after the login; output: $(cat "$WORK/program.log")"

    # The menus have no accelerators: Alt alone enters the menu bar on its
    # first menu, Right moves to "客户关系", Down opens it on "新增客户".
    focus "$MAIN"
    xdotool key --delay 100 alt Right Down Return
    EDITOR=$(find_window '^新增客户$') || true
    [ -n "$EDITOR" ] || fail "the customer editor did not open"
    focus "$EDITOR"

    # The editor opens on "客户简称："; Enter walks the fields in screen order:
    # six steps to "主联系人：", twelve more to the remark, which keeps Enter
    # for line breaks and leaves by Tab to "客户类别："; Enter goes on to "来源：".
    xdotool type --delay 20 "$NAME"
    press Return 6
    xdotool type --delay 20 "$CONTACT"
    press Return 12
    xdotool key --delay 30 Tab Return
    # The source list offers only its entries; Down picks the first one.
    xdotool key Down
    # "来源：" → "行业类别：" → "帮助(H)" → "保存并新添" → "保存".
    press Tab 4
    sleep 0.3
    import -window root "$OUT/customer_e2e_editor.png" || fail "screenshot failed"
    xdotool key space

    MSG=$(find_window '^提示$') || true
    [ -n "$MSG" ] || fail "no message after saving the customer"
    import -window root "$OUT/customer_e2e_saved.png" || fail "screenshot failed"
    focus "$MSG"
    xdotool key Return
    gone '^提示$' || fail "the message did not close"
    gone '^新增客户$' || fail "the customer editor stayed open after the save"
    kill -0 "$PID" 2>/dev/null || fail "the program ended after the save"

    [ "$(db "select count(*) from khgx where khjc='$NAME'")" = 1 ] ||
        fail "no single khgx row for '$NAME': $(db "select ID, khjc, zlxr, khly from khgx where khjc like 'E2E%'")"
    ROW=$(db "select zlxr, 用户, khly <> '' from khgx where khjc='$NAME'")
    [ "$ROW" = "$CONTACT|admin|1" ] || fail "the saved row is '$ROW', wanted '$CONTACT|admin|1'"

    # The list stays open behind the editor and shows the new row at once.
    sleep 0.3
    import -window root "$OUT/customer_e2e_list.png" || fail "screenshot failed"
    echo "PASS: new customer saved through the editor and listed"
    exit 0
fi

EXE=${1:?usage: customer_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR}
DBTOOL=${2:?usage: customer_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR}
OUT=${3:-/tmp}

command -v xvfb-run >/dev/null 2>&1 || { echo "SKIP: xvfb-run is not installed"; exit 77; }
for tool in xdotool import sqlite3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT" "$WORK/run"
chmod 700 "$WORK/run"

"$DBTOOL" demo "$WORK/Data/data.dat" --customers 50 --policies 50 >/dev/null || { echo "FAIL: demo database" >&2; exit 1; }
[ "$(sqlite3 "$WORK/Data/data.dat" "select count(*) from khgx where khjc='$NAME'")" = 0 ] ||
    { echo "FAIL: the demo database already holds '$NAME'" >&2; exit 1; }
cp "$EXE" "$WORK/tolvaris"

# Its own runtime folder: the lock of a copy the developer runs does not count.
export WORK OUT XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=xcb
timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" --inside
