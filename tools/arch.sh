# Which Windows build runs on this host. Sourced by run.sh, test.sh and bench.sh:
#
#   source tools/arch.sh; choose_build TOOL
#
# sets build_arch (win32 or win64: the build that runs here, its preset and its tree build/<arch>)
# and other_arch (the other one), and prints one line saying which and why. The 32-bit program
# is the product of record and runs wherever the host executes 32-bit x86 code. A host that runs
# 64-bit user code only (a kernel with IA-32 emulation off, WSL 1) cannot start 32-bit Wine at
# all: there the 64-bit build runs under 64-bit Wine instead. CASESWITCH_ARCH=win32 or win64
# forces the choice, so that either path can be exercised on any host.

# Writes a 96-byte static i386 program (it exits with status 32 through int 0x80) and runs it:
# it needs no i386 loader or library, only a kernel that executes 32-bit code. Prints why not
# and fails when the host does not.
host_runs_i386() {
    local program=$1 status
    mkdir -p "$(dirname "$program")"
    # ELF header, one loadable segment at 0x08048000, then: mov eax,1; mov ebx,32; int 0x80.
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0' >"$program"
    printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0' >>"$program"
    printf '\270\1\0\0\0\273\40\0\0\0\315\200' >>"$program"
    chmod +x "$program"
    local error
    error=$("$program" 2>&1)
    status=$?
    rm -f "$program"
    ((status == 32)) && return 0
    # bash says "...: cannot execute binary file: Exec format error"; keep the reason only.
    echo "${error##*: }"
    return 1
}

choose_build() {
    local tool=$1 why
    case ${CASESWITCH_ARCH:-} in
    win32 | win64)
        build_arch=$CASESWITCH_ARCH
        why="CASESWITCH_ARCH=$CASESWITCH_ARCH asks for it"
        ;;
    '')
        local reason
        if reason=$(host_runs_i386 "$root/build/.i386-check"); then
            build_arch=win32
            why="this host executes 32-bit x86 code"
        else
            build_arch=win64
            why="this host cannot execute 32-bit x86 code (a tiny i386 program: ${reason:-exit status other than 32}), so 32-bit Wine cannot start"
        fi
        ;;
    *)
        echo "$tool: CASESWITCH_ARCH must be win32 or win64, not '$CASESWITCH_ARCH'" >&2
        return 2
        ;;
    esac
    if [[ $build_arch == win32 ]]; then
        other_arch=win64
        echo "$tool: running the 32-bit build (build/win32, 32-bit Wine): $why" >&2
    else
        other_arch=win32
        echo "$tool: running the 64-bit build (build/win64, 64-bit Wine): $why" >&2
    fi
}
