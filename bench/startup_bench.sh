#!/bin/bash
# Time from process start to the login window on screen, against a minimal Qt
# program showing one dialog, under Xvfb. The program's splash shows for a
# fixed 1500 ms before the login; that wait is reported and subtracted.
# Usage: startup_bench.sh BUILD_DIR [RUNS]
set -eu
BUILD=${1:?usage: startup_bench.sh BUILD_DIR [RUNS]}
RUNS=${2:-5}
if [ "${INSIDE:-}" != 1 ]; then
    exec env INSIDE=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/Data"
"$BUILD/tools/tolvaris-db" demo "$WORK/Data/data.dat" --customers 2000 --policies 2000 >/dev/null
cp "$BUILD/app/tolvaris" "$WORK/"

# Milliseconds from launching $1 until a window named $2 is visible.
measure() {
    local start end pid
    start=$(date +%s%N)
    $1 >/dev/null 2>&1 &
    pid=$!
    local tries=0
    until xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; do
        sleep 0.005
        tries=$((tries + 1))
        [ "$tries" -lt 4000 ] || { kill "$pid" 2>/dev/null; echo "no window '$2' from $1" >&2; exit 1; }
    done
    end=$(date +%s%N)
    kill "$pid"; wait "$pid" 2>/dev/null || true
    sleep 0.2
    echo $(( (end - start) / 1000000 ))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

measure "$BUILD/bench/bench_minimal_dialog" '^minimal-dialog$' >/dev/null  # warm the caches
for _ in $(seq "$RUNS"); do measure "$BUILD/bench/bench_minimal_dialog" '^minimal-dialog$'; done > "$WORK/min"
for _ in $(seq "$RUNS"); do measure "$BUILD/bench/bench_minimal_dialog --chinese" '^minimal-dialog$'; done > "$WORK/minzh"
for _ in $(seq "$RUNS"); do measure "$WORK/tolvaris" '^用户登陆$'; done > "$WORK/tol"
MIN=$(median < "$WORK/min")
MINZH=$(median < "$WORK/minzh")
TOL=$(median < "$WORK/tol")
NET=$((TOL - 1500))
echo "minimal dialog: median ${MIN} ms ($(tr '\n' ' ' < "$WORK/min"))"
echo "tolvaris login: median ${TOL} ms ($(tr '\n' ' ' < "$WORK/tol")), without the 1500 ms splash ${NET} ms"
echo "minimal dialog with Chinese text: median ${MINZH} ms ($(tr '\n' ' ' < "$WORK/minzh"))"
awk -v a="$NET" -v b="$MIN" -v c="$MINZH" \
    'BEGIN {printf "ratio (without splash): %.2f against the plain dialog, %.2f against the Chinese one\n", a / b, a / c}'
