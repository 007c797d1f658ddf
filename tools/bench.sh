#!/usr/bin/env bash
# The benchmark command: every figure of the README in one run.
#   1. case conversion throughput beside memcpy of the same bytes: natively (optimised, no
#      sanitizers, every path), then as the shipped program runs it (the release tree's benchmark,
#      the program's flags and conversion library, under Wine)
#   2. hot key press to converted-and-restored text in Notepad with earlier content of 0, 8, 32
#      and 128 MiB, then in Notepad and WordPad beside a fixed-delay switcher
#   3. start-up time beside a minimal Win32 program, idle CPU shown and hidden, memory after
#      presses, and the release executable's size and imports
# Installs and builds what is missing (tools/deps.sh, presets native, and win32 and release, or
# win64 and release-win64 where the host cannot run 32-bit code: tools/arch.sh) and runs its own
# Wine session on a virtual display. The figures under Wine are of the build it names first.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source tools/arch.sh
tools/deps.sh >/dev/null
choose_build bench
build=build/$build_arch
release_preset=release
[[ $build_arch == win32 ]] || release_preset=release-$build_arch
logs=build/bench-logs
mkdir -p "$logs"

echo "==== building (logs in $logs)"
cmake --preset native >"$logs/native.log" 2>&1 && cmake --build --preset native --target casing_bench >>"$logs/native.log" 2>&1
cmake --preset "$build_arch" >"$logs/$build_arch.log" 2>&1 && cmake --build --preset "$build_arch" >>"$logs/$build_arch.log" 2>&1
cmake --preset "$release_preset" >"$logs/$release_preset.log" 2>&1 &&
    cmake --build --preset "$release_preset" >>"$logs/$release_preset.log" 2>&1 &&
    cmake --build "build/$release_preset" --target shipped_conversion_bench >>"$logs/$release_preset.log" 2>&1

echo "==== case conversion natively (build/native), 64 MiB of each kind of text"
build/native/bench/caseswitch/text/casing_bench --benchmark_min_time=1

trap 'tools/wine-session.sh stop --dir "$build" >/dev/null' EXIT
tools/wine-session.sh start --dir "$build" --virtual-display >/dev/null
export CASESWITCH_SESSION_ENV=$root/$build/wine-session.env
export CASESWITCH_PROBE=$root/$build/bin/probe.exe
export CASESWITCH_EXE=$root/$build/bin/CaseSwitch.exe
# The figures are the shipped program's: the release build's executable, as the zip carries it.
shipped=(build/"$release_preset"/CaseSwitch-*-"$build_arch"/CaseSwitch.exe)
export CASESWITCH_BENCH_PROGRAM=$root/${shipped[0]}

echo "==== case conversion in the shipped build (build/$release_preset), 64 KiB, 16 MiB and 64 MiB of each kind of text, under Wine"
wine_program=wine
[[ $build_arch == win32 ]] || wine_program=tools/wine64/wine
(eval "$(tools/wine-session.sh env --dir "$build")" && "$wine_program" "build/$release_preset/bin/shipped_conversion_bench.exe")

if [[ -f bench/caseswitch/press_bench.py ]]; then
    echo "==== hot key press to converted text, Notepad under Wine"
    python3 bench/caseswitch/press_bench.py "$build" 100 200
fi

echo "==== the whole program under Wine"
python3 bench/program_bench.py --program "$CASESWITCH_BENCH_PROGRAM" --minimal "$build/bin/minimal_window.exe" \
    --release-exe "$CASESWITCH_BENCH_PROGRAM" --startup-runs 20
