"""The download's Windows Installer packages, one per width, for Windows 2000 and later.

Debian's wixl builds each from package_msi.wxs; msitools' msibuild then adds what
wixl 0.101 cannot say and pins what it would stamp anew on every run:

- the file's version and language in the File table, as WiX takes them from the
  version block, so that Windows Installer's file versioning rules see them,
  and no MsiFileHash row for it, which only unversioned files may have;
- the earlier release removed before the new one's files go in
  (RemoveExistingProducts right after InstallValidate; wixl puts it after
  InstallFinalize). Then no versioning rule keeps the old file when a release
  changes the product version but not the file version;
- in an interactive install only, once the file is in place, the command that
  Explorer's Install verb on a .scr runs: rundll32.exe desk.cpl,InstallScreenSaver
  FILE. It makes the saver the current one, active at once, and opens the screen
  saver settings with it chosen. It stands in the InstallUISequence, which
  Windows Installer runs only at full or reduced UI (never for /qb or /qn), in
  the client process, as the user who runs the install; not on an upgrade (the
  user's choice stays) nor on repair or removal;
- the summary's package code and times. The package code follows from
  everything the package is made of, so the same sources give the same code and
  any change a new one; the times are the download's.
"""
import hashlib
import os
import shutil
import struct
import subprocess
import tempfile
import time
import uuid
from pathlib import Path
from string import Template

import pefile

LIB = Path(__file__).resolve().parent

# Windows Installer knows earlier releases of a width by its upgrade code, and the
# saver's place by its component code: never change them.
WIDTHS = {
    "x86": {"bits": 32, "upgrade_code": "497EEC5C-A759-40B1-8B57-A9E60FE8DC0F",
            "component_guid": "EDDD836A-450B-4DF2-A88F-07F41DAF67B0",
            # On 64-bit Windows, SystemFolder is SysWOW64: where Windows keeps 32-bit savers.
            "system_folder": "SystemFolder", "win64": "no"},
    "x64": {"bits": 64, "upgrade_code": "FE8B1EA1-E63F-4CA6-A5CA-5D9E948B816E",
            "component_guid": "9D29F793-9511-4DE1-8D32-258A4AF86925",
            # Windows Installer itself refuses an x64 package on 32-bit Windows (error 1633).
            "system_folder": "System64Folder", "win64": "yes"},
}

RT_ICON = pefile.RESOURCE_TYPE["RT_ICON"]
RT_GROUP_ICON = pefile.RESOURCE_TYPE["RT_GROUP_ICON"]
# Custom action type 34 (an executable in a directory, the working folder) with
# 0xC0: run it without waiting for it, and let the installer go on whatever it returns.
EXE_IN_FOLDER_NO_WAIT = 34 + 0xC0


class MsiError(Exception):
    pass


def first_icon(pe, data):
    """The saver's first icon group as an .ico file."""
    resources = {entry.id: entry for entry in getattr(pe, "DIRECTORY_ENTRY_RESOURCE").entries}

    def first_language(entry):
        language = entry.directory.entries[0]
        return data[pe.get_offset_from_rva(language.data.struct.OffsetToData):][:language.data.struct.Size]

    if RT_GROUP_ICON not in resources or RT_ICON not in resources:
        raise MsiError("the saver has no icon")
    group = first_language(resources[RT_GROUP_ICON].directory.entries[0])
    images = {entry.id: first_language(entry) for entry in resources[RT_ICON].directory.entries}
    _, _, count = struct.unpack_from("<HHH", group)
    header = struct.pack("<HHH", 0, 1, count)
    entries, bodies = b"", b""
    offset = 6 + 16 * count
    for index in range(count):
        # GRPICONDIRENTRY: the ICONDIRENTRY's first 12 bytes, then the image's resource id.
        fields, image_id = group[6 + 14 * index:][:12], struct.unpack_from("<H", group, 6 + 14 * index + 12)[0]
        if image_id not in images:
            raise MsiError("the saver's icon group names image %d, which it lacks" % image_id)
        image = images[image_id]
        entries += fields[:8] + struct.pack("<II", len(image), offset)
        bodies += image
        offset += len(image)
    return header + entries + bodies


def run(command, what, cwd, env):
    """The standard output of COMMAND, run in CWD."""
    try:
        done = subprocess.run(command, cwd=cwd, env=env, capture_output=True, text=True)
    except OSError as error:
        raise MsiError("%s: %s" % (what, error)) from None
    # wixl reports what it ignores as GLib warnings and still exits 0: those are faults too.
    if done.returncode != 0 or "WARNING" in done.stderr or "CRITICAL" in done.stderr:
        raise MsiError("%s failed (exit code %d): %s" % (what, done.returncode, done.stderr.strip()[-2000:]))
    return done.stdout


def rows(work, env, table, *keys):
    """{first column: the row's columns} of TABLE in WORK's package.msi, which must have rows KEYS."""
    text = run(["msiinfo", "export", "package.msi", table], "msiinfo export %s" % table, work, env)
    # The first three lines name the columns, their types and the table's keys.
    found = {line.split("\t")[0]: line.split("\t") for line in text.splitlines()[3:]}
    missing = [key for key in keys if key not in found]
    if missing:
        raise MsiError("wixl wrote no %s row %s" % (table, ", ".join(missing)))
    return found


def sql_text(value):
    return "'%s'" % value.replace("'", "''")


def mends(width, file_version, after_validate, after_execute):
    system_folder = WIDTHS[width]["system_folder"]
    command = "[%s]rundll32.exe desk.cpl,InstallScreenSaver [#Saver]" % system_folder
    return [
        "UPDATE `File` SET `Version` = %s, `Language` = '1033' WHERE `File` = 'Saver'" % sql_text(file_version),
        # wixl hashed the file as an unversioned one; a versioned file may have no hash (ICE60).
        "DELETE FROM `MsiFileHash` WHERE `File_` = 'Saver'",
        "UPDATE `InstallExecuteSequence` SET `Sequence` = %d WHERE `Action` = 'RemoveExistingProducts'"
        % after_validate,
        "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('MakeItTheScreenSaver', %d, %s, %s)"
        % (EXE_IN_FOLDER_NO_WAIT, sql_text(system_folder), sql_text(command)),
        "INSERT INTO `InstallUISequence` (`Action`, `Condition`, `Sequence`) VALUES ('MakeItTheScreenSaver',"
        " 'NOT Installed AND NOT WIX_UPGRADE_DETECTED', %d)" % after_execute,
    ]


def pinned_summary(idt, package_code, epoch):
    """The summary table's text with the package code (9) and both times (12: created,
    13: last saved) set."""
    stamp = "%04d/%02d/%02d %02d:%02d:%02d" % time.gmtime(epoch)[:6]
    pinned = {"9": "{%s}" % package_code, "12": stamp, "13": stamp}
    lines = []
    for line in idt.splitlines():
        key = line.split("\t", 1)[0]
        lines.append("%s\t%s" % (key, pinned.pop(key)) if key in pinned else line)
    if pinned:
        raise MsiError("wixl wrote no summary properties %s" % ", ".join(sorted(pinned)))
    return "\n".join(lines) + "\n"


def build(width, saver, product_version, file_version, names, epoch):
    """The bytes of the MSI of WIDTH ("x86" or "x64") that installs the saver SAVER (bytes)."""
    for tool, package in (("wixl", "wixl"), ("msibuild", "msitools"), ("msiinfo", "msitools")):
        if shutil.which(tool) is None:
            raise MsiError("%s is not installed (Debian's %s)" % (tool, package))
    pe = pefile.PE(data=saver, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    icon = first_icon(pe, saver)
    facts = dict(WIDTHS[width], version=product_version, **names)
    # A new product code for each version of a width: what makes an upgrade a major one.
    facts["product_code"] = str(uuid.uuid5(uuid.UUID(facts["upgrade_code"]), "product " + product_version)).upper()
    source = Template((LIB / "package_msi.wxs").read_text(encoding="utf-8")).substitute(facts)

    # Fixed zone and locale: msibuild reads the summary's times as local ones.
    env = dict(os.environ, TZ="UTC", LC_ALL="C")
    with tempfile.TemporaryDirectory() as work:
        work = Path(work)
        (work / names["file"]).write_bytes(saver)
        (work / "saver.ico").write_bytes(icon)
        for name in (names["file"], "saver.ico"):
            # The cabinet keeps each file's time.
            os.utime(work / name, (epoch, epoch))
        (work / "package.wxs").write_text(source, encoding="utf-8")
        run(["wixl", "--arch", width, "-o", "package.msi", "package.wxs"], "wixl (%s)" % width, work, env)
        ui = rows(work, env, "InstallUISequence", "ExecuteAction")
        execute = rows(work, env, "InstallExecuteSequence", "InstallValidate", "RemoveExistingProducts")
        rows(work, env, "File", "Saver")
        queries = mends(width, file_version, after_validate=int(execute["InstallValidate"][2]) + 1,
                        after_execute=int(ui["ExecuteAction"][2]) + 1)
        for query in queries:
            run(["msibuild", "package.msi", "-q", query], "msibuild -q %s" % query, work, env)

        made_of = hashlib.sha256()
        for part in (source.encode("utf-8"), "\n".join(queries).encode("utf-8"), saver, icon):
            made_of.update(hashlib.sha256(part).digest())
        package_code = str(uuid.uuid5(uuid.UUID(facts["upgrade_code"]), "package " + made_of.hexdigest())).upper()
        summary = run(["msiinfo", "export", "package.msi", "_SummaryInformation"], "msiinfo export", work, env)
        (work / "_SummaryInformation.idt").write_text(pinned_summary(summary, package_code, epoch), encoding="utf-8")
        run(["msibuild", "package.msi", "-i", "_SummaryInformation.idt"], "msibuild -i", work, env)
        return (work / "package.msi").read_bytes()
