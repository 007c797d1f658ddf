#!/usr/bin/env bash
# Runs every test layer and ends with one line "N passed, N failed" (", N skipped" when some were):
#   1. native unit tests of the platform-free logic (clang, AddressSanitizer + UBSan), preset native
#   2. GoogleTest executables built with mingw and run under Wine by ctest
#   3. end-to-end tests of the real program under Wine (ctest label e2e, one at a time)
#   4. the fuzz targets of the native build (build/native/fuzz/**/*_fuzz), two at a time, sharing
#      FUZZ_SECONDS (60) of wall time: each runs 2 * FUZZ_SECONDS / targets seconds, at least 15
#   5. static checks: clang-format, clang-tidy and cppcheck report nothing (tools/static-checks.sh);
#      they run at low priority beside layers 2 and 3 once build/win32 is configured
# Layers 2 and 3 run in full on the build that runs here (tools/arch.sh: the 32-bit program,
# preset win32, wherever the host executes 32-bit code; otherwise the 64-bit build, preset win64).
# The other build is tested as far as the host allows: on a 32-bit host the 64-bit build runs the
# end-to-end tests of the main window, the case switch and the registry view, in a Wine session and
# display of its own; on a 64-bit-only host the 32-bit program is built
# (and, in layer 5, statically checked). Installs what is missing
# first (tools/deps.sh). Each build's Wine session (prefix build/<arch>/wineprefix, a virtual
# display, one wineserver) is started for its tests and stopped after them.
# Exit status 0 only when nothing failed. Logs: build/test-logs.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source tools/arch.sh
fuzz_budget=${FUZZ_SECONDS:-60}
logs=$root/build/test-logs
passed=0
failed=0
skipped=0
failures=()

banner() {
    printf '\n==== %s\n' "$*"
}

fail_step() {
    failed=$((failed + 1))
    failures+=("$1")
    echo "FAILED: $1"
}

# Runs a configure or build step with its output in a log; shows the end of the log if it fails.
quiet_step() {
    local name=$1 log=$logs/$1.log
    shift
    if "$@" >"$log" 2>&1; then
        return 0
    fi
    tail -n 60 "$log"
    fail_step "$name (log: ${log#"$root"/})"
    return 1
}

# Counts one ctest run from its JUnit report; a run that fails without a failed test (a discovery
# error) counts as one failure of its own.
run_ctest() {
    local name=$1 junit=$logs/$1.xml
    shift
    rm -f "$junit"
    ctest "$@" --output-junit "$junit"
    local status=$?
    local counts
    counts=$(python3 - "$junit" <<'EOF'
import sys
import xml.etree.ElementTree as tree
try:
    cases = tree.parse(sys.argv[1]).getroot().iter("testcase")
except (OSError, tree.ParseError):
    cases = []
run = fail = other = 0
for case in cases:
    status = case.get("status")
    skip = case.find("skipped")
    reason = skip.get("message", "") if skip is not None else ""
    if status == "run":
        run += 1
    elif status == "notrun" and reason.startswith(("SKIP_REGULAR_EXPRESSION", "SKIP_RETURN_CODE")):
        other += 1
    else:
        # Failed, or never ran (an executable that was not built is a failure, not a skip).
        fail += 1
print(run, fail, other)
EOF
)
    local run fail other
    read -r run fail other <<<"$counts"
    passed=$((passed + run))
    skipped=$((skipped + other))
    if ((fail)); then
        failed=$((failed + fail))
        failures+=("$fail $name test(s)")
    elif ((status)); then
        fail_step "$name: ctest exited with status $status"
    fi
}

# Finds the seed corpus of a fuzz target: corpus/ beside its sources, under fuzz/ as under build/native/fuzz.
seed_corpus() {
    local exe=$1 relative
    relative=$(dirname "${exe#build/native/fuzz/}")
    local name
    name=$(basename "$exe")
    for candidate in "fuzz/$relative/corpus" "fuzz/${name%_fuzz}/corpus" "fuzz/$name/corpus"; do
        if [[ -d $candidate ]]; then
            echo "$candidate"
            return
        fi
    done
}

run_fuzz_target() {
    local exe=$1 name
    name=$(basename "$exe")
    local work=build/native/fuzz-corpus/$name seeds
    seeds=$(seed_corpus "$exe")
    mkdir -p "$work" "$logs/fuzz-artifacts"
    # New inputs go to the first directory (the build tree), never into the committed seeds.
    timeout $((fuzz_seconds + 120)) "$exe" -max_total_time="$fuzz_seconds" -timeout=25 -print_final_stats=1 \
        -artifact_prefix="$logs/fuzz-artifacts/$name-" "$work" ${seeds:+"$seeds"} >"$logs/fuzz-$name.log" 2>&1
}

# The static checks want the processor and nothing else; the end-to-end tests mostly wait for
# windows and Wine. So the checks run beside those tests, at low priority, once the 32-bit tree
# they read is configured, and layer 5 reports them.
static_pid=
start_static_checks() {
    [[ -z $static_pid ]] || return 0
    rm -f "$logs/static-results.txt"
    (
        for check in format tidy cppcheck; do
            if nice -n 10 tools/static-checks.sh "$check" >"$logs/static-$check.log" 2>&1; then
                echo "$check passed"
            else
                echo "$check failed"
            fi
        done >"$logs/static-results.txt"
    ) &
    static_pid=$!
}

banner "dependencies"
mkdir -p "$logs"
if ! tools/deps.sh; then
    echo "tools/deps.sh failed: nothing can be built"
    echo "0 passed, 1 failed"
    exit 1
fi
choose_build test || exit 2

started=$SECONDS
banner "layer 1: native logic tests (ASan + UBSan)"
if quiet_step native-configure cmake --preset native; then
    # -k 0: one broken target does not hide the results of the others.
    quiet_step native-build cmake --build --preset native -- -k 0
    run_ctest native --preset native -j2 --timeout 300
fi
echo "native layer: $((SECONDS - started)) s"

# Runs the given ctest runs (each: a name, then ctest's arguments, then ";") in the Wine session
# of a build tree, started for them and stopped after them unless it was running already.
in_wine_session() {
    local arch=$1 saved_path=$PATH own_session=1
    shift
    if tools/wine-session.sh status --dir "build/$arch"; then
        own_session=0
        echo "using the Wine session that already runs in build/$arch (left running)"
    fi
    ((own_session)) && trap "tools/wine-session.sh stop --dir build/$arch" EXIT
    if tools/wine-session.sh start --dir "build/$arch" --virtual-display; then
        eval "$(tools/wine-session.sh env --dir "build/$arch")"
        local run=()
        for word in "$@"; do
            if [[ $word == ";" ]]; then
                run_ctest "${run[@]}"
                run=()
            else
                run+=("$word")
            fi
        done
    else
        fail_step "starting the Wine session in build/$arch"
    fi
    if ((own_session)); then
        tools/wine-session.sh stop --dir "build/$arch"
        trap - EXIT
    fi
    export PATH=$saved_path
}

# The 64-bit build's end-to-end tests, after the 32-bit layers: beside them, two cores loaded made
# single-attempt pastes in the clipboard tests lose the clipboard to the tests' own readers.
other_build_e2e() {
    banner "the 64-bit build: end-to-end tests of the main window, the case switch and the registry view"
    if quiet_step win64-configure cmake --preset win64 &&
        quiet_step win64-build cmake --build --preset win64 --target CaseSwitch probe casepeer casetool run_key_tool; then
        in_wine_session win64 e2e-win64 --preset win64 -L e2e --no-tests=error --timeout 300 \
            -R '^e2e[.](test_main_window[.]|test_case_switch_e2e[.]|test_autostart_e2e[.]AutostartRegistryViewTest[.])' ";"
    fi
}

started=$SECONDS
banner "layers 2 and 3: Windows tests under Wine, $build_arch build"
if quiet_step "$build_arch-configure" cmake --preset "$build_arch"; then
    quiet_step "$build_arch-build" cmake --build --preset "$build_arch" -- -k 0
    [[ $build_arch == win32 ]] && start_static_checks
    # The end-to-end tests alone: they need the X keyboard focus, the global hot key and the clipboard.
    in_wine_session "$build_arch" \
        wine --preset "$build_arch" -j2 -LE e2e --timeout 300 ";" \
        e2e --preset "$build_arch" -L e2e --timeout 300 ";"
fi
echo "Windows layers, $build_arch build: $((SECONDS - started)) s"

started=$SECONDS
if [[ $other_arch == win64 ]]; then
    other_build_e2e
    echo "the $other_arch build: $((SECONDS - started)) s"
else
    banner "the 32-bit program: built, and statically checked in layer 5, but not run beside the 64-bit build"
    if quiet_step win32-configure cmake --preset win32 &&
        quiet_step win32-build cmake --build --preset win32 --target CaseSwitch; then
        start_static_checks
        passed=$((passed + 1))
        echo "the 32-bit program builds: build/win32/bin/CaseSwitch.exe"
    fi
    echo "the $other_arch build: $((SECONDS - started)) s"
fi

started=$SECONDS
mapfile -t targets < <(find build/native/fuzz -type f -name '*_fuzz' -perm -u+x 2>/dev/null | sort)
# A new target must not lengthen the suite: the layer's time is shared out.
fuzz_seconds=$((${#targets[@]} ? 2 * fuzz_budget / ${#targets[@]} : fuzz_budget))
((fuzz_seconds >= 15)) || fuzz_seconds=15
banner "layer 4: ${#targets[@]} fuzz targets, ${fuzz_seconds} s each, two at a time"
# Two cores: two targets at a time.
declare -A fuzz_pids=()
for exe in "${targets[@]}"; do
    while (($(jobs -rp | wc -l) >= 2)); do
        wait -n
    done
    run_fuzz_target "$exe" &
    fuzz_pids[$exe]=$!
done
for exe in "${targets[@]}"; do
    name=$(basename "$exe")
    if wait "${fuzz_pids[$exe]}"; then
        passed=$((passed + 1))
        echo "fuzz $name: passed ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$logs/fuzz-$name.log" | grep -o '[0-9]*$') runs)"
    else
        tail -n 40 "$logs/fuzz-$name.log"
        fail_step "fuzz $name (log: build/test-logs/fuzz-$name.log)"
    fi
done
((${#targets[@]})) || echo "no fuzz targets in build/native/fuzz"
echo "fuzz layer: $((SECONDS - started)) s"

started=$SECONDS
banner "layer 5: static checks"
start_static_checks
wait "$static_pid"
for check in format tidy cppcheck; do
    if grep -qx "$check passed" "$logs/static-results.txt"; then
        passed=$((passed + 1))
        tail -n 1 "$logs/static-$check.log"
    else
        head -n 40 "$logs/static-$check.log"
        fail_step "static check $check (log: build/test-logs/static-$check.log)"
    fi
done
echo "static layer: $((SECONDS - started)) s more after the layers above"

banner "summary"
for failure in "${failures[@]}"; do
    echo "  failed: $failure"
done
summary="$passed passed, $failed failed"
((skipped)) && summary+=", $skipped skipped"
echo "$summary"
((failed == 0))
