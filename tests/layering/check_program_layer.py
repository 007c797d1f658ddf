"""The program layer reaches the runtime only through its public headers.

Usage: check_program_layer.py SOURCE_ROOT FILE...
FILE... are the program layer's sources and headers (the program_layer target's SOURCES). Every
quoted include of such a file must name a public runtime header (include/runtime/...) or another
file of the program layer; angle-bracket includes must be standard headers, never windows.h.
"""

import os
import sys

from includes import includes, resolve


def main():
    root = os.path.abspath(sys.argv[1])
    program_files = {os.path.normpath(os.path.abspath(path)) for path in sys.argv[2:]}
    public = os.path.join(root, "include", "runtime") + os.sep
    problems = []
    for path in sorted(program_files):
        for number, kind, name in includes(path):
            where = f"{os.path.relpath(path, root)}:{number}"
            if kind == "<":
                if name.lower().endswith(".h") and not name.startswith("c"):
                    problems.append(f"{where}: platform header <{name}> in the program layer")
                continue
            target = resolve(name, path, root)
            if target is None:
                problems.append(f'{where}: "{name}" not found')
            elif not target.startswith(public) and target not in program_files:
                problems.append(f'{where}: "{name}" is the runtime\'s own header ({os.path.relpath(target, root)})')
    for problem in problems:
        print(problem)
    print(f"{len(program_files)} program-layer files checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
