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

# The project's own C++ files, from the tree itself (no git needed: a release tarball or a plain
# copy is checked the same way). Each check fails when it finds nothing to check.
sources() {
    {
        find src tests -name '*.cpp' -o -name '*.h'
        find include -name '*.h'
        find bench fuzz -name '*.cpp'
    } 2>/dev/null | LC_ALL=C sort
}

runtime_sources() {
    find src -name '*.cpp' 2>/dev/null | LC_ALL=C sort
}

# Fails, saying so, when a check was given no files.
some_files() {
    local check=$1 count=$2
    ((count > 0)) && return 0
    echo "$check: found no files to check (run from a complete source tree)"
    return 1
}

check_format() {
    local report=$work/format.txt
    some_files format "$(sources | wc -l)" || return 1
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
    # Statics made on one thread (-fno-threadsafe-statics) are no finding for a header's constants.
    kept += [w for w in words[1:] if not w.startswith(("-fexec-charset", "-finput-charset", "-fno-threadsafe-statics"))]
    entries.append({"directory": entry["directory"], "file": entry["file"], "arguments": kept})
json.dump(entries, open(sys.argv[2], "w"), indent=1)
PY
    echo "$out"
}

check_tidy() {
    local report=$work/tidy.txt windows windows_files native_files
    windows=$(windows_database) || return 1
    : >"$report"
    # Runtime and program code through the Windows build, the platform-free logic through the native one.
    # The description record needs the block that only GCC and MSVC evaluate at compile time.
    windows_files=$(runtime_sources | grep -v '^src/app/ProgramRecord.cpp$')
    native_files=$(runtime_sources | while read -r file; do
        grep -q "\"file\": \"$root/$file\"" build/native/compile_commands.json 2>/dev/null && echo "$file"
    done)
    some_files "tidy (Windows build)" "$(grep -c . <<<"$windows_files")" || return 1
    some_files "tidy (native build: configure build/native)" "$(grep -c . <<<"$native_files")" || return 1
    xargs -P 2 -n 4 clang-tidy --quiet -p "$windows" <<<"$windows_files" >>"$report" 2>/dev/null
    xargs -P 2 -n 4 clang-tidy --quiet -p build/native <<<"$native_files" >>"$report" 2>/dev/null
    if grep -qE '(warning|error):' "$report"; then
        grep -E '(warning|error):' "$report" | sort -u | sed 's/^/tidy: /'
        return 1
    fi
    echo "tidy: no findings in $(grep -c . <<<"$windows_files") files (Windows build), $(grep -c . <<<"$native_files") (native)"
}

check_cppcheck() {
    local report=$work/cppcheck.txt
    some_files cppcheck "$(runtime_sources | wc -l)" || return 1
    cppcheck --quiet --std=c++20 --language=c++ --enable=warning,performance,portability \
        --inline-suppr --error-exitcode=1 -D_WIN32 -DWIN32 -D__GNUC__ \
        --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
        -I include -I src src 2>"$report"
    local result=$?
    if ((result)) || [[ -s $report ]]; then
        sed 's/^/cppcheck: /' "$report"
        return 1
    fi
    echo "cppcheck: no findings in $(runtime_sources | wc -l) files"
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
