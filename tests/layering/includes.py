"""What the layering checks share: reading a source file's includes and finding the quoted ones."""

import os
import re

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def includes(path):
    """(line number, '<' or '"', name) of each include of the file."""
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1), match.group(2)


def resolve(name, including_file, root):
    """The file a quoted include names, as the build's include paths find it; None if none does."""
    for base in (os.path.dirname(including_file), os.path.join(root, "include"), os.path.join(root, "src")):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.exists(candidate):
            return candidate
    return None
