#!/usr/bin/env python3
"""Runs the artwork script twice and fails unless both runs write the same files, byte for byte.

    check_artwork_reproducible.py PATH_TO_make_artwork.py
"""

import filecmp
import os
import subprocess
import sys
import tempfile


def main(argv):
    script = argv[1]
    with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
        for out in (first, second):
            subprocess.run([sys.executable, script, out], check=True)
        names = sorted(os.listdir(first))
        if not names or names != sorted(os.listdir(second)):
            print("the runs wrote different files:", names, sorted(os.listdir(second)))
            return 1
        _, differing, errors = filecmp.cmpfiles(first, second, names, shallow=False)
        if differing or errors:
            print("files that differ between runs:", differing + errors)
            return 1
        print("identical:", ", ".join(names))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
