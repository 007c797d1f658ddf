#!/usr/bin/env bash
# Static checks of the project's own code: formatting (clang-format), clang-tidy over the
# Windows build and the native build, and cppcheck. Needs configured build/win32 and build/native
# trees (tools/test.sh configures them first). Prints one line per finding; exit 1 on any.
#   tools/static-checks.sh [format|tidy|cppcheck]...   (default: all three)
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
checks=("$@")
((${#checks[@]})) || checks=(format tidy cppcheck)
status=0
work=build/static-checks
mkdir -p "$work"

sources() {
    git ls-files -- 'src/*.cpp' 'src/*.h' 'include/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp'
}

check_format() {
    local report=$work/format.txt
    sources | xargs clang-format --dry-run --Werror >"$report" 2>&1
    if [[ -s $report ]]; then
        grep -E '^[^ ].*(warning|error):' "$report" | sed 's/^/format: /'
        echo "format: run clang-format -i on the files above"
        return 1
    fi
    echo "format: $(sources | wc -l) files formatted"
}

# The Windows build's compile commands, turned into clang's for the mingw target: clang has no
# code page 936 execution character set, and needs to be shown mingw's C++ headers.
windows_database() {
    local out=$work/win32
    mkdir -p "$out"
    python3 - build/win32/compile_commands.json "$out/compile_commands.json" <<'PY'
import json, shlex, sys
gxx = "/usr/lib/gcc/i686-w64-mingw32/12-posix/include/c++"
entries = []
for entry in json.load(open(sys.argv[1])):
    words = shlex.split(entry["command"]) if "command" in entry else entry["arguments"]
    kept = ["clang++", "--target=i686-w64-mingw32", "-isystem", gxx, "-isystem", gxx + "/i686-w64-mingw32",
            "-isystem", gxx + "/backward"]
    kept += [w for w in words[1:] if not w.startswith(("-fexec-charset", "-finput-charset"))]
    entries.append({"directory": entry["directory"], "file": entry["file"], "arguments": kept})
json.dump(entries, open(sys.argv[2], "w"), indent=1)
PY
    echo "$out"
}

check_tidy() {
    local report=$work/tidy.txt windows
    windows=$(windows_database) || return 1
    : >"$report"
    # Runtime and program code through the Windows build, the platform-free logic through the native one.
    # The description record needs the block that only GCC and MSVC evaluate at compile time.
    git ls-files -- 'src/*.cpp' | grep -v '^src/app/ProgramRecord.cpp$' |
        xargs -P 2 -n 4 clang-tidy --quiet -p "$windows" >>"$report" 2>/dev/null
    git ls-files -- 'src/*.cpp' | while read -r file; do
        grep -q "\"file\": \"$root/$file\"" build/native/compile_commands.json 2>/dev/null && echo "$file"
    done | xargs -r -P 2 -n 4 clang-tidy --quiet -p build/native >>"$report" 2>/dev/null
    if grep -qE '(warning|error):' "$report"; then
        grep -E '(warning|error):' "$report" | sort -u | sed 's/^/tidy: /'
        return 1
    fi
    echo "tidy: no findings"
}

check_cppcheck() {
    local report=$work/cppcheck.txt
    cppcheck --quiet --std=c++20 --language=c++ --enable=warning,performance,portability \
        --inline-suppr --error-exitcode=1 -D_WIN32 -DWIN32 -D__GNUC__ \
        --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
        -I include -I src src 2>"$report"
    local result=$?
    if ((result)) || [[ -s $report ]]; then
        sed 's/^/cppcheck: /' "$report"
        return 1
    fi
    echo "cppcheck: no findings"
}

for check in "${checks[@]}"; do
    case $check in
    format) check_format || status=1 ;;
    tidy) check_tidy || status=1 ;;
    cppcheck) check_cppcheck || status=1 ;;
    *) echo "unknown check $check" >&2; exit 2 ;;
    esac
done
exit $status
