#!/bin/bash
# The built program on a virtual X display: log in, F2 for a new motor
# policy, fill the editor along its Enter chain (source, category, number,
# insured, contact, cover period, premium), save with "保存", and find the
# policy and its companion customer-register row in the database.
# Usage: motor_e2e.sh TOLVARIS TOLVARIS_DB OUTPUT_DIR
set -u

# The demo's motor numbers all start with 217000022.
NUMBER=99999999999999999999
INSURED="E2E Insured"
CONTACT="E2E Contact"
KIND=机动车辆保险

. "$(dirname "$0")/lib.sh"

inside() {
    start_program
    log_in admin

    focus "$MAIN"
    xdotool key F2
    EDITOR=$(find_window '^机动车辆保险投保单$') || true
    [ -n "$EDITOR" ] || fail "F2 did not open the motor policy editor"
    focus "$EDITOR"

    # The editor opens on "业务来源："; Down picks the first source. Enter
    # then walks the chain: "车辆种类：" (Down: "个人车辆"), "保单号：",
    # "被保险人：", "行驶证车主：" (a copy of the insured), "证件类型："
    # (Down: "居民身份证"), "证件号码：", "联系人：".
    xdotool key --delay 30 Down Return Down Return
    xdotool type --delay 15 "$NUMBER"
    xdotool key Return
    xdotool type --delay 15 "$INSURED"
    xdotool key --delay 30 Return Return Down Return
    xdotool type --delay 15 110101199001011234
    xdotool key Return
    xdotool type --delay 15 "$CONTACT"
    sleep 0.3
    shot motor_e2e_insured.png

    # 37 steps on to the cover start on "基本险信息" (both dates start as
    # today, which the save refuses), then the end, then the premium on "帐务".
    press Return 37
    xdotool type --delay 15 2027-01-01
    xdotool key Return
    xdotool type --delay 15 2027-12-31
    xdotool key Return
    xdotool type --delay 15 1234.56
    sleep 0.3
    shot motor_e2e_accounts.png

    # The accounts tab's chain (issue date, four ratios with their amounts,
    # ten settlement rows of amount, way and date) ends on "保存", which
    # takes Enter.
    press Return 40
    xdotool key Return

    MSG=$(find_window '^(提示|保存提示)$') || true
    [ -n "$MSG" ] || fail "no message after saving the policy"
    shot motor_e2e_saved.png
    TITLE=$(xdotool getwindowname "$MSG")
    [ "$TITLE" = 提示 ] || fail "the save was refused with a \"$TITLE\" message (see motor_e2e_saved.png)"
    focus "$MSG"
    xdotool key Return
    gone '^提示$' || fail "the message did not close"
    gone '^机动车辆保险投保单$' || fail "the editor stayed open after the save (see motor_e2e_saved.png)"
    kill -0 "$PID" 2>/dev/null || fail "the program ended after the save"

    ROW=$(db "select 业务来源 <> '', 车辆种类, 被保险人, 行驶证车主, 证件类型, 联系人, 保险起期, 保险止期, 保险费合计,
                     险种, 用户 from 车险投保单 where 保单号='$NUMBER'")
    WANT="1|个人车辆|$INSURED|$INSURED|居民身份证|$CONTACT|2027-01-01|2027-12-31|12345600|$KIND|admin"
    [ "$ROW" = "$WANT" ] || fail "the policy row is '$ROW', wanted '$WANT'"
    [ "$(db "select count(*) from 车险投保单 where 保单号='$NUMBER'")" = 1 ] || fail "not one policy row"
    CUSTOMER=$(db "select zlxr, xianzhong, 用户, khly = (select 业务来源 from 车险投保单 where 保单号='$NUMBER')
                   from khgx where baodanhao='$NUMBER'")
    [ "$CUSTOMER" = "$CONTACT|$KIND|admin|1" ] || fail "the companion khgx row is '$CUSTOMER', wanted '$CONTACT|$KIND|admin|1'"
    echo "PASS: new motor policy and its customer-register row saved through the editor"
    exit 0
}

prepare() {
    [ "$(db "select count(*) from 车险投保单 where 保单号='$NUMBER'")" = 0 ] ||
        fail "the demo database already holds policy $NUMBER"
}

e2e_main "$0" 60 "$@"
