#!/usr/bin/env bash
# One Wine session for running or testing the program: a prefix kept in the build tree, a display,
# and one persistent wineserver.
#
#   tools/wine-session.sh start [--dir DIR] [--arch win32|win64] [--virtual-display] [--probe EXE]
#   tools/wine-session.sh env   [--dir DIR]      prints the session's variables, for eval or source
#   tools/wine-session.sh stop  [--dir DIR]      stops only what start started
#   tools/wine-session.sh status [--dir DIR]     exit status 0 while a session runs
#
# DIR defaults to build/win32 (the win32 preset's build tree); the prefix is DIR/wineprefix, the
# session file DIR/wine-session.env. The prefix is 32-bit, or 64-bit (run by 64-bit Wine through
# tools/wine64, which the session puts first in PATH) with --arch win64 or a DIR named *win64*.
# A virtual display (Xvfb, 1024x768x24) is started with --virtual-display or when DISPLAY is
# unset. The session runs with LANG=zh_CN.UTF-8 and no LC_* overrides, so that Wine's ANSI code
# page is 936; start checks that and fails if it is not.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Bumped whenever the prefix settings below change, so that existing prefixes are brought up to date.
readonly kSettingsVersion=1

die() {
    echo "wine-session: $*" >&2
    exit 1
}

usage() {
    sed -n '2,15s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2
    exit 2
}

command=${1:-}
[[ -n $command ]] || usage
shift
dir=$root/build/win32
arch=
virtual_display=0
probe=
while (($#)); do
    case $1 in
    --dir) dir=$2; shift 2 ;;
    --arch) arch=$2; shift 2 ;;
    --virtual-display) virtual_display=1; shift ;;
    --probe) probe=$2; shift 2 ;;
    *) usage ;;
    esac
done
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
prefix=$dir/wineprefix
session_file=$dir/wine-session.env
[[ -n $probe ]] || probe=$dir/bin/probe.exe
if [[ -z $arch ]]; then
    arch=win32
    [[ $(basename "$dir") == *win64* ]] && arch=win64
fi
[[ $arch == win32 || $arch == win64 ]] || usage

# The locale decides the ANSI code page of every Wine process: keep it identical for every call.
wine_locale() {
    export LANG=zh_CN.UTF-8
    unset LC_ALL LC_CTYPE LC_MESSAGES LC_COLLATE LC_NUMERIC LC_TIME LC_MONETARY
    export WINEDEBUG=-all
    export WINEPREFIX=$prefix
    # Debian's wine, wineboot and winepath would start the 32-bit loader: never for a 64-bit prefix.
    if [[ $arch == win64 && :$PATH: != *":$root/tools/wine64:"* ]]; then
        export PATH=$root/tools/wine64:$PATH
    fi
}

# A zombie counts as gone: the init of some machines reaps orphans only after a second or more.
alive() {
    local stat
    [[ -n ${1:-} ]] && stat=$(cat "/proc/$1/stat" 2>/dev/null) && [[ ${stat##*) } != Z* ]]
}

# True while PID is still the program it was started as (guards against a recycled PID).
is_program() {
    local pid=$1 name=$2
    alive "$pid" && tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -n 1 | grep -q "$name"
}

# Waits, bounded, until PID has gone.
wait_gone() {
    local pid=$1 tenths=$2
    while alive "$pid" && ((tenths-- > 0)); do
        sleep 0.1
    done
    ! alive "$pid"
}

start_virtual_display() {
    local fifo=$dir/.xvfb-display
    rm -f "$fifo"
    mkfifo "$fifo"
    # -displayfd picks a free display number and writes it once the server accepts clients.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" \
        </dev/null >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local number=
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    [[ $number =~ ^[0-9]+$ ]] || die "Xvfb did not report a display (see $dir/xvfb.log)"
    export DISPLAY=:$number
}

create_prefix() {
    echo "wine-session: creating the Wine prefix $prefix (once; about 20 s)" >&2
    # No Mono or Gecko: their installers would open dialogs that nobody answers.
    WINEARCH=$arch WINEDLLOVERRIDES='mscoree,mshtml=' wineboot -i >"$dir/wineboot.log" 2>&1 ||
        die "wineboot -i failed (see $dir/wineboot.log)"
    wait_for_wineserver
}

# Until the prefix's server has exited, which writes its registry to the prefix's files.
wait_for_wineserver() {
    timeout 120 wineserver -w ||
        die "the prefix's wineserver did not exit (a persistent one left behind? WINEPREFIX=$prefix wineserver -k)"
}

apply_settings() {
    local fonts=(/usr/share/wine/fonts/*)
    [[ -e ${fonts[0]} ]] || die "/usr/share/wine/fonts is empty: install fonts-wine (tools/deps.sh)"
    # Without them caption buttons are drawn as letters.
    cp -f "${fonts[@]}" "$prefix/drive_c/windows/Fonts/"
    local settings=$dir/.prefix-settings.reg
    # Managed=N: there is no window manager on a virtual display, and a managed window stalls
    # about 2 s on every hide. No crash dialog: it would block a test forever.
    cat >"$settings" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
    wine regedit /S "$(winepath -w "$settings" 2>/dev/null)" || die "importing the prefix settings failed"
    rm -f "$settings"
    wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed 2>/dev/null | grep -q 'REG_SZ *N' ||
        die "the prefix settings did not take (HKCU\Software\Wine\X11 Driver Managed is not N)"
    wait_for_wineserver
    echo "$kSettingsVersion" >"$prefix/.caseswitch-settings"
}

start_wineserver() {
    setsid wineserver -f -p </dev/null >"$dir/wineserver.log" 2>&1 &
    wineserver_pid=$!
    local tenths=100
    # Ready once it has made its socket in its server directory (its working directory).
    until [[ -S /proc/$wineserver_pid/cwd/socket ]]; do
        if ! alive "$wineserver_pid"; then
            wineserver_pid=
            echo "wine-session: a wineserver already runs for $prefix; using it (it is not stopped at the end)" >&2
            return
        fi
        ((tenths-- > 0)) || die "the wineserver did not come up in 10 s"
        sleep 0.1
    done
}

check_code_page() {
    local acp
    if [[ -f $probe ]]; then
        acp=$(wine "$probe" acp | sed -n 's/.*"acp":\([0-9]*\).*/\1/p')
    else
        # Before the probe is built: every Wine process writes its ANSI code page here at start.
        acp=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null |
            tr -d '\r' | awk '$1 == "ACP" { print $3 }')
    fi
    if [[ $acp != 936 ]]; then
        echo "wine-session: Wine's ANSI code page is '${acp:-unknown}', not 936." >&2
        echo "  locale -a must list zh_CN.utf8 (tools/deps.sh generates it); LANG=$LANG; LC_ALL must be unset." >&2
        exit 1
    fi
}

write_session_file() {
    local tmp=$session_file.tmp
    {
        echo "# Wine session started $(date -Iseconds) by tools/wine-session.sh"
        printf 'export DISPLAY=%q\n' "$DISPLAY"
        printf 'export WINEPREFIX=%q\n' "$WINEPREFIX"
        printf 'export LANG=%q\n' "$LANG"
        echo 'unset LC_ALL LC_CTYPE LC_MESSAGES LC_COLLATE LC_NUMERIC LC_TIME LC_MONETARY'
        printf 'export WINEDEBUG=%q\n' "$WINEDEBUG"
        [[ $arch == win32 ]] || printf 'export PATH=%q\n' "$PATH"
        printf 'export CASESWITCH_XVFB_PID=%q\n' "${xvfb_pid:-}"
        printf 'export CASESWITCH_WINESERVER_PID=%q\n' "${wineserver_pid:-}"
    } >"$tmp"
    mv -f "$tmp" "$session_file"
}

# Reads a value from the session file without running it.
session_value() {
    sed -n "s/^export $1=//p" "$session_file" | tail -n 1
}

session_alive() {
    [[ -f $session_file ]] || return 1
    local server display
    server=$(session_value CASESWITCH_WINESERVER_PID)
    display=$(session_value CASESWITCH_XVFB_PID)
    is_program "$server" wineserver && { [[ -z $display ]] || is_program "$display" Xvfb; }
}

stop_session() {
    [[ -f $session_file ]] || return 0
    local server display
    server=$(session_value CASESWITCH_WINESERVER_PID)
    display=$(session_value CASESWITCH_XVFB_PID)
    if is_program "$server" wineserver; then
        # -k ends this prefix's server and every Wine process of the prefix, nothing else.
        (wine_locale && wineserver -k) || true
        wait_gone "$server" 100 || kill -KILL "$server" 2>/dev/null || true
    fi
    if is_program "$display" Xvfb; then
        kill -TERM "$display"
        wait_gone "$display" 50 || kill -KILL "$display" 2>/dev/null || true
    fi
    rm -f "$session_file"
}

start_session() {
    if session_alive; then
        echo "wine-session: already running ($session_file)" >&2
        return
    fi
    stop_session
    xvfb_pid=
    wineserver_pid=
    # A failed start leaves nothing running behind it.
    trap 'alive "$wineserver_pid" && (wine_locale; wineserver -k); alive "$xvfb_pid" && kill "$xvfb_pid"' EXIT
    wine_locale
    if ((virtual_display)) || [[ -z ${DISPLAY:-} ]]; then
        start_virtual_display
    fi
    local stamp=$prefix/.caseswitch-settings
    # Wine notes the prefix's architecture in its registry file; a prefix of the other one cannot be used.
    local made_for=
    [[ ! -f $prefix/system.reg ]] || made_for=$(sed -n 's/^#arch=//p' "$prefix/system.reg" | head -n 1)
    [[ -z $made_for || $made_for == "$arch" ]] ||
        die "$prefix is a $made_for prefix, not $arch: remove it, or use another --dir"
    # No stamp: never created, or its creation was cut short; wineboot -i completes either.
    [[ -f $stamp ]] || create_prefix
    [[ $(cat "$stamp" 2>/dev/null) == "$kSettingsVersion" ]] || apply_settings
    start_wineserver
    check_code_page
    write_session_file
    trap - EXIT
    echo "wine-session: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX (session file $session_file)" >&2
}

case $command in
start) start_session ;;
stop) stop_session ;;
status) session_alive ;;
env)
    [[ -f $session_file ]] || die "no session in $dir (run: tools/wine-session.sh start --dir $dir)"
    cat "$session_file"
    ;;
*) usage ;;
esac
