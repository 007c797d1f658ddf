#!/usr/bin/env bash
# The benchmark command: every figure of the README in one run.
#   1. case conversion throughput beside memcpy of the same bytes (native, optimised, no sanitizers)
#   2. hot key press to converted-and-restored text in Notepad, beside a fixed-delay switcher
#   3. start-up time beside a minimal Win32 program, idle CPU shown and hidden, memory after
#      presses, and the release executable's size and imports
# Installs and builds what is missing (tools/deps.sh, presets native, win32 and release) and runs
# its own Wine session on a virtual display.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
tools/deps.sh >/dev/null
logs=build/bench-logs
mkdir -p "$logs"

echo "==== building (logs in $logs)"
cmake --preset native >"$logs/native.log" 2>&1 && cmake --build --preset native --target casing_bench >>"$logs/native.log" 2>&1
cmake --preset win32 >"$logs/win32.log" 2>&1 && cmake --build --preset win32 >>"$logs/win32.log" 2>&1
cmake --preset release >"$logs/release.log" 2>&1 && cmake --build --preset release >>"$logs/release.log" 2>&1

echo "==== case conversion, 64 MiB of each kind of text"
build/native/bench/casing/casing_bench --benchmark_min_time=1

trap 'tools/wine-session.sh stop --dir build/win32 >/dev/null' EXIT
tools/wine-session.sh start --dir build/win32 --virtual-display >/dev/null
export CASESWITCH_SESSION_ENV=$root/build/win32/wine-session.env
export CASESWITCH_PROBE=$root/build/win32/bin/probe.exe
export CASESWITCH_EXE=$root/build/win32/bin/CaseSwitch.exe

if [[ -f bench/caseswitch/press_bench.py ]]; then
    echo "==== hot key press to converted text, Notepad under Wine"
    python3 bench/caseswitch/press_bench.py build/win32 100 200
fi

echo "==== the whole program under Wine"
python3 bench/program_bench.py --program "$CASESWITCH_EXE" --minimal build/win32/bin/minimal_window.exe \
    --release-exe build/release/CaseSwitch-*-win32/CaseSwitch.exe
