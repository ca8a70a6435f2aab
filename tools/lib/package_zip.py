#!/usr/bin/python3
"""Packs the download for Windows users from the two built savers.

    package_zip.py X86_SCR X64_SCR OUT_DIR

Writes OUT_DIR/vorbix-VERSION.zip, VERSION being the product version of the
32-bit saver's version block (the fixed part, the same in both files), with
vorbix.scr (32-bit), x64/vorbix.scr (64-bit), the Windows Installer package of
each width (vorbix-VERSION-x86.msi and -x64.msi, package_msi.py), vorbix.inf
(package_inf.txt with the version and the names of the version block's strings
filled in), README.txt (package_readme.txt with the version and the checksums
filled in; both with CRLF line ends) and SHA256SUMS (as sha256sum -c reads it).
With a key named in the environment (package_sign.py), the savers and the
packages are signed, and the checksums are the signed files'.
Both packages are also written beside the zip. Prints the zip's path.

The same two savers give the same zip and packages, byte for byte: fixed order,
no extra fields, no modes or attributes of this machine, and one time for every
file, SOURCE_DATE_EPOCH or else the time of the source tree's last commit. Each
file is written under a temporary name and renamed when complete.

Debian's python3 runs it: python3-pefile, which reads the savers, is its.
"""
import hashlib
import os
import subprocess
import sys
import time
import zipfile
from pathlib import Path
from string import Template

import pefile

import package_msi
import package_sign

LIB = Path(__file__).resolve().parent
MACHINE_I386 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
MACHINE_AMD64 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]
FIXED_SIGNATURE = 0xFEEF04BD
FILE_ATTRIBUTE_ARCHIVE = 0x20


class PackError(Exception):
    def __init__(self, what, advice="tools/package builds both savers and packs them"):
        super().__init__(what)
        self.advice = advice


class PeError(Exception):
    pass


# The version block's strings that the INF names the saver by.
INF_NAMES = {"name": "FileDescription", "company": "CompanyName", "file": "OriginalFilename"}


def version_block(pe):
    """(product version "A.B.C.D" and file version from the fixed part of the version
    resource, {INF name: string})."""
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        raise PeError("no resources")
    if not getattr(pe, "VS_FIXEDFILEINFO", None):
        raise PeError("no version resource with a fixed part")
    fixed = pe.VS_FIXEDFILEINFO[0]
    if fixed.Signature != FIXED_SIGNATURE:
        raise PeError("the version resource's fixed part has the signature 0x%x" % fixed.Signature)
    def dotted(high, low):
        return "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)
    strings = {}
    for info in getattr(pe, "FileInfo", None) or []:
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update((k.decode("utf-8"), v.decode("utf-8")) for k, v in table.entries.items())
    names = {}
    for key, field in INF_NAMES.items():
        value = strings.get(field, "")
        # Inside an INF's quoted strings these would end the string or start a substitution.
        if not value or not value.isascii() or any(c in value for c in '"%;'):
            raise PeError("the version block's %s is %r: the INF needs it plain ASCII" % (field, value))
        names[key] = value
    return dotted(fixed.ProductVersionMS, fixed.ProductVersionLS), dotted(fixed.FileVersionMS, fixed.FileVersionLS), names


def read_saver(path, machine, width):
    """(bytes, product version, file version, names) of the saver at PATH, which must be a
    PE file for MACHINE."""
    try:
        data = Path(path).read_bytes()
        pe = pefile.PE(data=data, fast_load=True)
        if pe.FILE_HEADER.Machine != machine:
            raise PeError("machine 0x%x, not the %s saver's 0x%x" % (pe.FILE_HEADER.Machine, width, machine))
        return (data,) + version_block(pe)
    except (OSError, PeError, pefile.PEFormatError) as error:
        raise PackError("the %s saver %s: %s" % (width, path, error)) from None


def windows_text(template, **fields):
    """A template of this folder filled in, with Windows line ends."""
    text = Template((LIB / template).read_text(encoding="utf-8")).substitute(**fields)
    return text.replace("\n", "\r\n").encode("ascii")


def source_epoch(source_root):
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if epoch is None:
        try:
            git = subprocess.run(["git", "-C", str(source_root), "log", "-1", "--format=%ct"],
                                 capture_output=True, text=True)
            said, epoch = git.stderr.strip(), git.stdout.strip()
        except OSError as error:
            said, epoch = str(error), ""
        if not epoch:
            raise PackError("no time for the files: SOURCE_DATE_EPOCH is not set and git names no last commit in %s"
                            " (%s)" % (source_root, said), "outside a git checkout, set SOURCE_DATE_EPOCH"
                            " (seconds since 1970)")
    if not epoch.isdigit():
        raise PackError("SOURCE_DATE_EPOCH is %r" % epoch, "set it to whole seconds since 1970, or unset it")
    # A zip cannot hold a time before 1980.
    return max(int(epoch), 315532800)


def write_all(writers):
    """Calls each WRITE(path) of {target: WRITE} on a temporary name beside the target,
    and only when all have written, gives each its target's name."""
    partials = {target: target.with_name("%s.%d.part" % (target.name, os.getpid())) for target in writers}
    try:
        for target, write in writers.items():
            write(partials[target])
        for target, partial in partials.items():
            os.replace(partial, target)
    except BaseException:
        for partial in partials.values():
            partial.unlink(missing_ok=True)
        raise


def write_zip(path, members, epoch):
    """A new zip at PATH of MEMBERS, (name, bytes) in that order, each with the time EPOCH."""
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(path, "x") as archive:
        for name, data in members:
            info = zipfile.ZipInfo(name, date_time=stamp)
            # Windows' attributes, not this machine's modes: only "archive", as
            # Windows sets it on a file (unzip then applies the umask; with none it makes 0600).
            info.create_system = 0
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)


def pack(x86_path, x64_path, out_dir):
    x86, version, file_version, names = read_saver(x86_path, MACHINE_I386, "32-bit")
    x64, *x64_facts = read_saver(x64_path, MACHINE_AMD64, "64-bit")
    if x64_facts != [version, file_version, names]:
        raise PackError("the 32-bit saver is version %s %s, the 64-bit one %s %s"
                        % (version, names, x64_facts[0], x64_facts[2]),
                        "build both from the same sources (tools/package does)")
    if names["file"] != "vorbix.scr":
        raise PackError("the version block names the file %s, the download vorbix.scr" % names["file"],
                        "keep OriginalFilename in resources/vorbix.rc and the download's names the same")
    epoch = source_epoch(LIB.parent.parent)
    # Each saver is signed before it goes into its package: the installed file
    # carries the signature that Windows checks at each start.
    try:
        signer = package_sign.signer(os.environ, names["name"])
        sign = signer.sign if signer else lambda data, name: data
        x86, x64 = sign(x86, "vorbix.scr"), sign(x64, "vorbix.scr")
    except package_sign.SignError as error:
        raise PackError("signing: %s" % error, "see tools/lib/package_sign.py for the VORBIX_SIGN_* settings") from None
    msi_names = {width: "vorbix-%s-%s.msi" % (version, width) for width in ("x86", "x64")}
    packages = {}
    for width, saver in (("x86", x86), ("x64", x64)):
        try:
            packages[msi_names[width]] = sign(package_msi.build(
                width, saver, version, file_version, names, epoch), msi_names[width])
        except package_msi.MsiError as error:
            raise PackError("the %s installer package: %s" % (width, error),
                            "tools/install-deps build installs wixl and msitools") from None
        except package_sign.SignError as error:
            raise PackError("signing the %s package: %s" % (width, error), "check the key's settings") from None
    stem = names["file"].rsplit(".", 1)[0]
    inf = windows_text("package_inf.txt", version=version, key=stem, inf=stem + ".inf", **names)
    sums = {"vorbix.scr": x86, "x64/vorbix.scr": x64, **packages, "vorbix.inf": inf}
    sums = {name: hashlib.sha256(data).hexdigest() for name, data in sums.items()}
    readme = windows_text("package_readme.txt", version=version, sha256_x86=sums["vorbix.scr"],
                          sha256_x64=sums["x64/vorbix.scr"], msi_x86=msi_names["x86"], msi_x64=msi_names["x64"],
                          signed=("signed, with a time stamp" if signer.timestamped else "signed") if signer
                          else "not signed")
    members = [("vorbix.scr", x86), ("x64/vorbix.scr", x64), *packages.items(), ("vorbix.inf", inf),
               ("README.txt", readme),
               ("SHA256SUMS", "".join("%s  %s\n" % (digest, name) for name, digest in sums.items()).encode("ascii"))]
    out_dir = Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    target = out_dir / ("vorbix-%s.zip" % version)
    write_all({target: lambda path: write_zip(path, members, epoch),
               **{out_dir / name: lambda path, data=data: path.write_bytes(data) for name, data in packages.items()}})
    return target


def main(argv):
    if len(argv) != 4:
        print("usage: package_zip.py X86_SCR X64_SCR OUT_DIR", file=sys.stderr)
        return 2
    try:
        print(pack(*argv[1:]))
    except (PackError, OSError) as error:
        print("Packing the download failed: %s" % error, file=sys.stderr)
        print("  What to do: %s." % getattr(error, "advice", "check that %s can be written" % argv[3]), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
