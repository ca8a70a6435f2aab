#!/usr/bin/python3
"""Packs the test pack of one width: the tests that run on any Windows.

    package_tests.py BIN_DIR x86|x64 OUT_DIR

BIN_DIR is a cross build's bin/ folder after `cmake --build ... --target test_pack`;
its test-pack.txt (written by the build) lists what goes in: the saver, the
test programs, their stand-ins and helpers, and run-tests.exe. Writes
OUT_DIR/vorbix-VERSION-tests-WIDTH.zip, all in one folder of that name, with a
README.txt (package_tests_readme.txt, CRLF), and prints its path. Every program
in it must be a PE file of that width. The same files give the same zip, byte
for byte, as for the download (package_zip.py).
"""
import sys
from pathlib import Path

import pefile

import package_zip

MACHINES = {"x86": (package_zip.MACHINE_I386, 32), "x64": (package_zip.MACHINE_AMD64, 64)}


def pack(bin_dir, width, out_dir):
    machine, bits = MACHINES[width]
    bin_dir = Path(bin_dir)
    listing = bin_dir / "test-pack.txt"
    try:
        names = listing.read_text(encoding="ascii").split()
    except OSError as error:
        raise package_zip.PackError("%s: %s" % (listing, error),
                                    "build the target test_pack of the %s build first (tools/package does)" % width)
    _, version, _, _ = package_zip.read_saver(bin_dir / "vorbix.scr", machine, "%d-bit" % bits)
    members = []
    for name in names:
        data = (bin_dir / name).read_bytes()
        try:
            found = pefile.PE(data=data, fast_load=True).FILE_HEADER.Machine
        except pefile.PEFormatError as error:
            raise package_zip.PackError("%s is no PE file: %s" % (name, error)) from None
        if found != machine:
            raise package_zip.PackError("%s is for machine 0x%x, not %s" % (name, found, width),
                                        "pack each width from its own build")
        members.append((name, data))
    readme = package_zip.windows_text("package_tests_readme.txt", version=version, width=width, bits=bits)
    members.append(("README.txt", readme))

    folder = "vorbix-%s-tests-%s" % (version, width)
    members = [("%s/%s" % (folder, name), data) for name, data in members]
    epoch = package_zip.source_epoch(package_zip.LIB.parent.parent)
    out_dir = Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    target = out_dir / (folder + ".zip")
    package_zip.write_all({target: lambda path: package_zip.write_zip(path, members, epoch)})
    return target


def main(argv):
    if len(argv) != 4 or argv[2] not in MACHINES:
        print("usage: package_tests.py BIN_DIR x86|x64 OUT_DIR", file=sys.stderr)
        return 2
    try:
        print(pack(*argv[1:]))
    except (package_zip.PackError, OSError) as error:
        print("Packing the test pack failed: %s" % error, file=sys.stderr)
        print("  What to do: %s." % getattr(error, "advice", "check that %s can be written" % argv[3]),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
