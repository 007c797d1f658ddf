"""The text rules compile without any platform header, so that they are built and tested natively.

Usage: check_platform_free.py SOURCE_ROOT FOLDER...
Every file of each FOLDER (relative to SOURCE_ROOT), and every file their quoted includes reach,
includes no header in angle brackets but the C++ standard library's (no ".h") and the compiler's
own processor intrinsics.
"""

import os
import sys

from includes import includes, resolve

COMPILER_HEADERS = {"cpuid.h", "intrin.h", "emmintrin.h", "immintrin.h"}


def main():
    root = os.path.abspath(sys.argv[1])
    pending = [os.path.join(root, folder, name) for folder in sys.argv[2:]
               for name in sorted(os.listdir(os.path.join(root, folder)))
               if name.endswith((".h", ".cpp"))]
    seen = set()
    problems = []
    while pending:
        path = os.path.normpath(pending.pop())
        if path in seen:
            continue
        seen.add(path)
        for number, kind, name in includes(path):
            where = f"{os.path.relpath(path, root)}:{number}"
            if kind == "<":
                if name.endswith(".h") and name not in COMPILER_HEADERS:
                    problems.append(f"{where}: platform header <{name}>")
                continue
            target = resolve(name, path, root)
            if target is None:
                problems.append(f'{where}: "{name}" not found')
            else:
                pending.append(target)
    for problem in problems:
        print(problem)
    print(f"{len(seen)} files checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
