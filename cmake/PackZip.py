#!/usr/bin/env python3
"""Packs a folder into a zip, the folder itself as its one top-level entry.

    PackZip.py ZIP FOLDER

Names are stored as code page 936 (GBK) bytes without the zip's UTF-8 flag. Windows' zip readers
(Explorer's compressed folders, 7-Zip, WinRAR) read such a name in the system's OEM code page, which
is 936 exactly where the program runs (Chinese (Simplified) as the language for non-Unicode
programs); Windows 7's Explorer ignores the UTF-8 flag, so UTF-8 names would reach it garbled.
"""

import os
import sys
import zipfile


class GbkNamedEntry(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):  # zipfile's hook for the stored name and its flags
        return self.filename.encode("gbk"), self.flag_bits


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: PackZip.py ZIP FOLDER")
    archive_path, folder = sys.argv[1], os.path.abspath(sys.argv[2])
    base = os.path.dirname(folder)
    with zipfile.ZipFile(archive_path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for directory, subdirectories, files in os.walk(folder):
            subdirectories.sort()
            for path in [directory] + [os.path.join(directory, name) for name in sorted(files)]:
                entry = GbkNamedEntry.from_file(path, os.path.relpath(path, base))
                if entry.is_dir():
                    archive.writestr(entry, b"")
                    continue
                entry.compress_type = zipfile.ZIP_DEFLATED
                with open(path, "rb") as source:
                    archive.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
