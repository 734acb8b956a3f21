#!/usr/bin/env python3
"""Packs a folder into a zip whose bytes depend on the files' contents only.

    tools/pack_zip.py --time SECONDS FOLDER ZIP

Every file and folder below FOLDER becomes an entry under FOLDER's own name
(FOLDER itself gets none), in the order of their names (byte order of the
UTF-8 path, "/" between folders). Every entry has the time SECONDS (seconds
since 1970, taken as UTC: a zip stores the date and time of day without a
zone, so the fields are the same for every reader's zone), the permissions of
a Unix system (folders and .exe files rwxr-xr-x, other files rw-r--r--),
whatever the files' own, and no extra field; files are deflated by zlib at
level 9, folders stored. The same files therefore always give the same zip.
"""

import argparse
import os
import sys
import time
import zipfile

EARLIEST = 315532800  # 1980-01-01 00:00 UTC: a zip holds no earlier time


def entries(folder):
    """(name in the zip, path or None for a folder), sorted by name."""
    top = os.path.basename(os.path.normpath(folder))
    found = []
    for parent, dirs, files in os.walk(folder):
        relative = os.path.relpath(parent, folder)
        prefix = top + "/" + ("" if relative == "." else relative.replace(os.sep, "/") + "/")
        found += [(prefix + d + "/", None) for d in dirs]
        found += [(prefix + f, os.path.join(parent, f)) for f in files]
    return sorted(found, key=lambda e: e[0].encode("utf-8"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--time", type=int, required=True, help="seconds since 1970 (UTC)")
    parser.add_argument("folder")
    parser.add_argument("zip")
    args = parser.parse_args()
    stamp = time.gmtime(max(args.time, EARLIEST))[:6]
    temporary = args.zip + ".tmp"
    with zipfile.ZipFile(temporary, "w") as package:
        for name, path in entries(args.folder):
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3  # Unix: the permissions below are read
            if path is None:
                info.external_attr = (0o40755 << 16) | 0x10  # and the DOS folder flag
                package.writestr(info, b"")
                continue
            mode = 0o100755 if name.lower().endswith(".exe") else 0o100644
            info.external_attr = mode << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                package.writestr(info, f.read(), compresslevel=9)
    os.replace(temporary, args.zip)
    return 0


if __name__ == "__main__":
    sys.exit(main())
