#!/usr/bin/env bash
# The real program's use of the processor while it monitors an unchanged tree every second: builds a tree of N
# files (default a million, the benchmark's tree), starts the Qt program offscreen with that folder listed and
# automatic monitoring on at an interval of one second, waits until its first pass (which records the tree and
# sets the watches up) is over, then reads its processor time from /proc/PID/stat over a span of seconds.
#
#   bench/monitoring_cpu.sh [FILES] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
files=${1:-1000000}
seconds=${2:-60}

cmake --preset release >/dev/null
cmake --build --preset release --target tarnwick tarnwick-bench >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-cpu-XXXXXX")
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

echo "building $files files in $work/tree ..."
build/release/bench/tarnwick-bench --files "$files" --tree-only "$work/tree"
mkdir -p "$work/home" "$work/config" "$work/temp" "$work/runtime"
chmod 700 "$work/runtime"
cat >"$work/config/Quelvane.ini" <<INI
[Tarnwick]
Folders=$work/tree|234SSDEPERATATORZZ|
Option3=True
Text1=0
Text2=0
Text3=1
StartStopState=On
INI

HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime TEMP=$work/temp \
    QT_QPA_PLATFORM=offscreen build/release/qt/tarnwick >"$work/program.log" 2>&1 &
pid=$!
ticks=$(getconf CLK_TCK)
used() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }

# The first pass reads the whole tree; it is over once a five-second span uses under a tenth of a core.
while :; do
    before=$(used)
    sleep 5
    kill -0 "$pid" || { cat "$work/program.log"; exit 1; }
    (($(used) - before < ticks / 2)) && break
done
before=$(used)
sleep "$seconds"
after=$(used)
[[ -s "$work/temp/Tarnwick.txt" ]] && echo "warning: the tree changed while it was measured"
awk -v t="$((after - before))" -v hz="$ticks" -v s="$seconds" \
    'BEGIN { printf "processor time over %d s of monitoring every second: %.2f s, %.2f%% of one core\n", s, t / hz, 100 * t / hz / s }'

# It was monitoring all along: a file added now is reported within a few passes.
deepest=$(find "$work/tree" -mindepth 4 -type d -print -quit)
: >"$deepest/added-after-the-measure.txt"
for _ in $(seq 50); do
    grep -q "Added file .*added-after-the-measure.txt" "$work/temp/Tarnwick.txt" 2>/dev/null && break
    sleep 0.2
done
grep -q "Added file .*added-after-the-measure.txt" "$work/temp/Tarnwick.txt" 2>/dev/null ||
    { echo "the program did not report a file added after the measure: it was not monitoring"; exit 1; }
echo "a file added after the measure was reported"
