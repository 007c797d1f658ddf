#!/usr/bin/env bash
# Builds what is missing and runs the program under Wine.
#
#   tools/run.sh [--screenshot PATH] [--keep]
#
# Runs the build that runs on this host (tools/arch.sh: build/win32, or build/win64 where the
# host cannot execute 32-bit code). With a DISPLAY: runs build/<arch>/bin/CaseSwitch.exe on it in
# the foreground; the exit status is the program's. Without one: starts a virtual display,
# launches the program, waits until its main window shows, writes a screenshot of the window
# (default build/<arch>/screenshots/main-window.png) and prints its path, then closes the program
# and stops the session. --keep leaves the program and its display running instead and prints how
# to reach and stop them.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source tools/arch.sh
arguments=("$@")
shot=
keep=0
while (($#)); do
    case $1 in
    --screenshot) shot=$(realpath -m "$2"); shift 2 ;;
    --keep) keep=1; shift ;;
    *) sed -n '2,12s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2; exit 2 ;;
    esac
done

say() {
    echo "run: $*" >&2
}

# The session's variables below set LANG=zh_CN.UTF-8 in this shell, and bash warns when it cannot
# load that locale: one that deps.sh generates now stays unknown to this shell, so a new one runs.
had_locale=0
locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8' && had_locale=1
tools/deps.sh
if ((!had_locale)) && [[ -z ${CASESWITCH_RUN_AGAIN:-} ]]; then
    CASESWITCH_RUN_AGAIN=1 exec "$root/tools/run.sh" "${arguments[@]}"
fi
choose_build run
build=build/$build_arch
[[ -n $shot ]] || shot=$root/$build/screenshots/main-window.png
mkdir -p build
log=build/run-build.log
# Ninja rebuilds only what is out of date.
if ! { [[ -f $build/build.ninja ]] || cmake --preset "$build_arch"; } >"$log" 2>&1 ||
    ! cmake --build --preset "$build_arch" --target CaseSwitch probe >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    say "the build failed (log: $log)"
    exit 1
fi
exe=$root/$build/bin/CaseSwitch.exe
probe=$root/$build/bin/probe.exe

own_session=1
if tools/wine-session.sh status --dir "$build"; then
    own_session=0
fi
stop_session() {
    ((own_session)) && tools/wine-session.sh stop --dir "$build"
    return 0
}
trap stop_session EXIT
tools/wine-session.sh start --dir "$build"
eval "$(tools/wine-session.sh env --dir "$build")"

if [[ -z ${CASESWITCH_XVFB_PID:-} ]]; then
    say "running $exe on $DISPLAY"
    status=0
    wine "$exe" || status=$?
    say "the program ended with exit status $status"
    exit "$status"
fi

# A probe answer's numeric field.
field() {
    sed -n "s/.*\"$1\":\([-0-9]*\).*/\1/p" <<<"$2" | head -n 1
}

wine "$exe" &
program=$!
answer=$(wine "$probe" wait-window FormWindow 30000) || {
    say "the main window did not show within 30 s: $answer"
    kill "$program" 2>/dev/null || true
    exit 1
}
hwnd=$(field hwnd "$answer")
read -r left top right bottom < <(sed -n 's/.*"rect":\[\([-0-9]*\),\([-0-9]*\),\([-0-9]*\),\([-0-9]*\)\].*/\1 \2 \3 \4/p' <<<"$answer")
wine "$probe" wait-idle "$hwnd" 10000 >/dev/null || say "the program did not become idle; taking the screenshot anyway"

# Captured until two in a row agree, so that a window still drawing is not caught half-way.
mkdir -p "$(dirname "$shot")"
geometry="$((right - left))x$((bottom - top))+$left+$top"
previous=$(mktemp) current=$(mktemp)
for _ in $(seq 50); do
    import -display "$DISPLAY" -window root -crop "$geometry" +repage -depth 8 "ppm:$current"
    cmp -s "$previous" "$current" && break
    cp "$current" "$previous"
done
convert "ppm:$current" "$shot"
rm -f "$previous" "$current"
echo "$shot"

if ((keep)); then
    trap - EXIT
    say "the program runs on the virtual display $DISPLAY (window $hwnd)."
    say "  reach it:  eval \"\$(tools/wine-session.sh env --dir $build)\"; xdotool ...; import -display $DISPLAY -window root x.png"
    say "  stop it:   tools/wine-session.sh stop --dir $build"
    exit 0
fi

wine "$probe" post "$hwnd" 0x10 0 0 >/dev/null # WM_CLOSE
for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program" 2>/dev/null; then
    say "the program did not end within 10 s of WM_CLOSE; killing it"
    kill "$program"
fi
status=0
wait "$program" || status=$?
say "closed the program; exit status $status"
exit "$status"
