#!/bin/bash
# The built program on a virtual X display: log in, "客户关系" › "新增客户"
# from the keyboard, fill the customer editor along its Enter chain, pick a
# source, save, and find the new customer in the database while the
# customer list shows it.
# Usage: customer_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR
set -u

NAME="E2E Customer 1"
CONTACT="E2E Contact 1"

. "$(dirname "$0")/lib.sh"

inside() {
    start_program
    log_in admin

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
    shot customer_e2e_editor.png
    xdotool key space

    MSG=$(find_window '^提示$') || true
    [ -n "$MSG" ] || fail "no message after saving the customer"
    shot customer_e2e_saved.png
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
    shot customer_e2e_list.png
    echo "PASS: new customer saved through the editor and listed"
    exit 0
}

prepare() {
    [ "$(db "select count(*) from khgx where khjc='$NAME'")" = 0 ] || fail "the demo database already holds '$NAME'"
}

e2e_main "$0" 60 "$@"
