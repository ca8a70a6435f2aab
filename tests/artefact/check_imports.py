#!/usr/bin/python3
"""Checks a PE file's import table, function by function, against the committed
list of what the saver may import and the oldest Windows of each family that has it.

    check_imports.py FILE LIST              check FILE, print its imports
    check_imports.py --self-test FILE LIST  show that the check fails where it must
    check_imports.py --facts FILE           print "KIND MACHINE SUBSYSTEM", then one imported
                                            DLL a line; fails unless a GUI PE of its width

Either file must be a GUI program of its width: a PE32 file for the i386, a
PE32+ file for the x86-64. A 32-bit file (PE32) must import only functions of the list that Windows 95 (or
the Windows 95 component its entry names) and Windows NT 4.0 have. A 64-bit
file (PE32+) is held only to the platform's own DLLs: no 64-bit Windows is old.

Debian's python3 runs it: python3-pefile, which reads the import table, is its.
"""
import re
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

import pefile

ORDER_9X = ["95", "95-OSR2", "98", "ME", "none"]
ORDER_NT = ["NT3.1", "NT3.5", "NT3.51", "NT4.0", "2000", "XP", "2003", "Vista", "7", "8", "10", "none"]
LIMIT_9X = "95"
LIMIT_NT = "NT4.0"
# What a named component (an OpenGL runtime, a C runtime that the first Windows 95
# release lacked) may add on the 9x side: what Windows 95 OSR2 ships.
COMPONENT_LIMIT_9X = "95-OSR2"
PLATFORM_DLLS_64 = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "OPENGL32.DLL", "GLU32.DLL",
                    "MSVCRT.DLL"}
MACHINE_OF_KIND = {"PE32": "I386", "PE32+": "AMD64"}
# Their Unicode entry points are stubs that fail on Windows 9x.
UNICODE_STUB_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL"}


# ---------------------------------------------------------------- the PE file

class PeError(Exception):
    pass


def read_pe(data):
    """Returns ((kind, machine, subsystem), [(dll, [name or ordinal int, ...]), ...]):
    kind "PE32" or "PE32+", machine e.g. "I386", subsystem e.g. "WINDOWS_GUI"."""
    try:
        pe = pefile.PE(data=data, fast_load=True)
    except pefile.PEFormatError as error:
        raise PeError("not a PE file: %s" % error) from error
    kind = "PE32+" if pe.PE_TYPE == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS else "PE32"
    machine = pefile.MACHINE_TYPE.get(pe.FILE_HEADER.Machine, "0x%x" % pe.FILE_HEADER.Machine)
    subsystem = pefile.SUBSYSTEM_TYPE.get(pe.OPTIONAL_HEADER.Subsystem, str(pe.OPTIONAL_HEADER.Subsystem))
    header = (kind, str(machine).replace("IMAGE_FILE_MACHINE_", ""), str(subsystem).replace("IMAGE_SUBSYSTEM_", ""))
    directories = pe.OPTIONAL_HEADER.DATA_DIRECTORY
    delay = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT"]
    if len(directories) > delay and directories[delay].VirtualAddress != 0:
        raise PeError("delay-load imports are present and are not checked")
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    imports = []
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        functions = [symbol.ordinal if symbol.import_by_ordinal else symbol.name.decode("ascii")
                     for symbol in entry.imports]
        imports.append((entry.dll.decode("ascii"), functions))
    return header, imports


def read_imports(data):
    """Returns (kind, imports) as read_pe reads them."""
    header, imports = read_pe(data)
    return header[0], imports


def check_header(kind, machine, subsystem):
    if machine != MACHINE_OF_KIND[kind] or subsystem != "WINDOWS_GUI":
        return ["not a GUI PE of its width: %s, machine %s, subsystem %s" % (kind, machine, subsystem)]
    return []


def describe(function):
    return "#%d" % function if isinstance(function, int) else function


# ---------------------------------------------------------------- the list

def parse_list(text):
    """Returns (components, entries, problems): components maps a name to its 9x
    floor; entries maps (DLL in upper case, function or "#n") to its floors."""
    components = {}
    entries = {}
    dll = None
    problems = []
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.split(" -- ", 1)[0].strip()  # " -- " starts a note
        if not line or (line.startswith("#") and not re.match(r"#\d+\s", line)):
            continue
        words = line.split()
        if words[0] == "component":
            if len(words) != 3 or words[2] not in ORDER_9X:
                problems.append("line %d: component NAME 9X-FLOOR" % number)
                continue
            components[words[1]] = words[2]
        elif re.fullmatch(r"\[[^\]]+\]", words[0]):
            dll = words[0][1:-1].upper()
        else:
            extra = dict(word.split("=", 1) for word in words[4:] if "=" in word)
            if dll is None or len(words) < 4 or len(extra) != len(words) - 4:
                problems.append("line %d: FUNCTION 9X-FLOOR NT-FLOOR SOURCE [component=NAME] [why-unicode=WHY]"
                                % number)
                continue
            name, floor_9x, floor_nt, source = words[:4]
            if floor_9x not in ORDER_9X or floor_nt not in ORDER_NT:
                problems.append("line %d: unknown floor in %s" % (number, line))
                continue
            if is_unicode_entry(dll, name) and "why-unicode" not in extra:
                problems.append("line %d: %s!%s is a Unicode entry point, a failing stub on Windows 9x; "
                                "the list admits it only with why-unicode=WHY" % (number, dll, name))
            if (dll, name) in entries:
                problems.append("line %d: %s!%s listed twice" % (number, dll, name))
            entries[(dll, name)] = {"9x": floor_9x, "nt": floor_nt, "source": source,
                                    "component": extra.get("component"), "unicode": extra.get("why-unicode")}
    return components, entries, problems


def is_unicode_entry(dll, name):
    return dll in UNICODE_STUB_DLLS and re.search(r"[a-z0-9]W$", name) is not None


# ---------------------------------------------------------------- the rules

def check(kind, imports, components, entries):
    """Returns the list of failures, each naming what failed."""
    failures = []
    if not imports:
        return ["no import table found"]
    if kind == "PE32+":
        for dll, _ in imports:
            if dll.upper() not in PLATFORM_DLLS_64:
                failures.append("not a platform DLL: %s" % dll)
        return failures

    listed_dlls = {key[0] for key in entries}
    for dll, functions in imports:
        upper = dll.upper()
        if upper not in listed_dlls:
            failures.append("not a platform DLL: %s" % dll)
            continue
        for function in functions:
            name = describe(function)
            entry = entries.get((upper, name))
            if entry is None:
                what = "imported by ordinal and not listed" if isinstance(function, int) else "not in the list"
                failures.append("%s: %s!%s" % (what, dll, name))
                continue
            limit_9x = LIMIT_9X
            component = entry["component"]
            if component is not None:
                if component not in components:
                    failures.append("%s!%s names an undeclared component %s" % (dll, name, component))
                    continue
                if ORDER_9X.index(components[component]) > ORDER_9X.index(COMPONENT_LIMIT_9X):
                    failures.append("%s!%s: component %s needs Windows %s (limit %s)"
                                    % (dll, name, component, components[component], COMPONENT_LIMIT_9X))
                    continue
                limit_9x = max(components[component], LIMIT_9X, key=ORDER_9X.index)
            if ORDER_9X.index(entry["9x"]) > ORDER_9X.index(limit_9x):
                failures.append("%s!%s needs Windows %s on the 9x side (limit %s)" % (dll, name, entry["9x"],
                                                                                    limit_9x))
            if ORDER_NT.index(entry["nt"]) > ORDER_NT.index(LIMIT_NT):
                failures.append("%s!%s needs Windows %s on the NT side (limit %s)" % (dll, name, entry["nt"],
                                                                                    LIMIT_NT))
            if is_unicode_entry(upper, name) and not entry["unicode"]:
                failures.append("%s!%s is a Unicode entry point, a failing stub on Windows 9x" % (dll, name))
    return failures


def run_check(path, list_path, quiet=False):
    header, imports = read_pe(Path(path).read_bytes())
    kind = header[0]
    components, entries, problems = parse_list(Path(list_path).read_text())
    failures = problems + check_header(*header) + check(kind, imports, components, entries)
    if not quiet:
        print("%s: %s, machine %s, subsystem %s, %d DLLs, %d functions"
              % ((path,) + header + (len(imports), sum(len(f) for _, f in imports))))
        for dll, functions in imports:
            print("  %s: %s" % (dll, " ".join(describe(f) for f in functions)))
        for failure in failures:
            print("FAIL " + failure)
    return failures


# ---------------------------------------------------------------- self-test

def build_pe(kind, imports, machine=None, subsystem=2):
    """A minimal PE file (headers and one section) with the given import table;
    of its kind's machine and a GUI program unless told otherwise."""
    thunk_size = 4 if kind == "PE32" else 8
    section_rva, section_raw = 0x1000, 0x200
    body = bytearray()
    descriptors_at = 0
    body += b"\0" * (20 * (len(imports) + 1))
    descriptors = []
    for dll, functions in imports:
        name_rva = section_rva + len(body)
        body += dll.encode() + b"\0"
        body += b"\0" * (-len(body) % 8)
        hint_rvas = []
        for function in functions:
            if isinstance(function, int):
                hint_rvas.append((1 << (thunk_size * 8 - 1)) | function)
            else:
                hint_rvas.append(section_rva + len(body))
                body += b"\0\0" + function.encode() + b"\0"
                body += b"\0" * (-len(body) % 2)
        body += b"\0" * (-len(body) % 8)
        tables = []
        for _ in range(2):  # lookup table, then address table
            tables.append(section_rva + len(body))
            for value in hint_rvas + [0]:
                body += struct.pack("<I" if thunk_size == 4 else "<Q", value)
        descriptors.append(struct.pack("<IIIII", tables[0], 0, 0, name_rva, tables[1]))
    body[descriptors_at:descriptors_at + 20 * len(descriptors)] = b"".join(descriptors)

    optional_size = 0xE0 if kind == "PE32" else 0xF0
    header = bytearray(section_raw)
    header[0:2] = b"MZ"
    struct.pack_into("<I", header, 0x3C, 0x40)
    header[0x40:0x44] = b"PE\0\0"
    if machine is None:
        machine = 0x14C if kind == "PE32" else 0x8664
    struct.pack_into("<HHIIIHH", header, 0x44, machine, 1, 0, 0, 0, optional_size, 0x0102)
    optional = 0x58
    struct.pack_into("<H", header, optional, 0x10B if kind == "PE32" else 0x20B)
    struct.pack_into("<H", header, optional + 68, subsystem)
    directories = optional + (96 if kind == "PE32" else 112)
    struct.pack_into("<I", header, directories - 4, 16)
    struct.pack_into("<II", header, directories + 8, section_rva, 20 * (len(imports) + 1))
    table = optional + optional_size
    header[table:table + 8] = b".idata\0\0"
    struct.pack_into("<IIII", header, table + 8, len(body), section_rva, len(body), section_raw)
    return bytes(header) + bytes(body)


def objdump_imports(path, kind):
    """The import table as objdump reads it, in read_imports' form, or None without objdump.

    Its listing names its columns in a header line ("vma:  Hint/Ord Member-Name
    Bound-To" up to binutils 2.40, "vma:  Ordinal  Hint  Member-Name  Bound-To"
    from 2.44 on); the columns are found by those names, so that a new layout is
    either read by its names or refused, never misread. A member named "<none>"
    is imported by ordinal: the Ordinal column gives it where there is one, else
    the lookup entry in the first column, whose top bit flags an ordinal.
    """
    tool = "i686-w64-mingw32-objdump" if kind == "PE32" else "x86_64-w64-mingw32-objdump"
    if shutil.which(tool) is None:
        return None
    return parse_objdump_imports(subprocess.run([tool, "-p", path], check=True, capture_output=True,
                                                text=True).stdout, tool)


def parse_objdump_imports(dump, tool="objdump"):
    imports, current, columns = [], None, None
    for line in dump.splitlines():
        words = line.split()
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            current, columns = (match.group(1), []), None
            imports.append(current)
        elif current is None:
            continue
        elif not words:
            current = None
        elif words[0] == "vma:":
            columns = words[1:]
            if "Member-Name" not in columns or not {"Ordinal", "Hint/Ord"} & set(columns):
                raise PeError("%s names its import columns %s" % (tool, " ".join(columns)))
        elif columns is None:
            raise PeError("%s lists members of %s without a column header" % (tool, current[0]))
        else:
            row = dict(zip(columns, words[1:]))
            name = row.get("Member-Name", "<none>")
            if name != "<none>":
                current[1].append(name)
            elif "Ordinal" in row:
                current[1].append(int(row["Ordinal"]))
            else:
                current[1].append(int(words[0], 16) & 0xFFFF)
    return imports


def self_test(path, list_path):
    """Each case expects the check to fail with a message naming the culprit, or to pass."""
    data = Path(path).read_bytes()
    kind, imports = read_imports(data)
    list_text = Path(list_path).read_text()
    components, entries, problems = parse_list(list_text)
    results = []

    def expect(label, failures, needle):
        if needle is None:
            ok = not failures
        else:
            ok = any(needle.lower() in failure.lower() for failure in failures)
        results.append(ok)
        print("%s %s%s" % ("ok  " if ok else "BAD ", label,
                           "" if ok else " -- got: %s" % ("; ".join(failures) or "no failure")))

    expect("the committed list is well-formed", problems, None)
    expect("the file is a GUI program of its width", check_header(*read_pe(data)[0]), None)
    via_objdump = objdump_imports(path, kind)
    if via_objdump is not None:
        expect("the parser reads what objdump reads", [] if via_objdump == imports else ["differs from objdump"],
               None)

    def refused(listing):
        try:
            parse_objdump_imports(listing)
        except PeError as error:
            return [str(error)]
        return []
    expect("an objdump listing in columns of unknown names is refused",
           refused("\tDLL Name: GDI32.dll\n\tvma:  Thunk  Name\n\t1050  0  GetDC\n"), "import columns")

    if kind == "PE32" and imports:
        dll, functions = next((d, f) for d, f in imports if d.upper() == "USER32.DLL")
        victim = (dll.upper(), functions[0])
        dropped = {key: value for key, value in entries.items() if key != victim}
        expect("an import missing from the list fails with DLL!name", check(kind, imports, components, dropped),
               "%s!%s" % (dll, functions[0]))
        dll, functions = next((d, f) for d, f in imports if d.upper() == "KERNEL32.DLL")
        later = dict(entries)
        later[(dll.upper(), functions[-1])] = dict(later[(dll.upper(), functions[-1])], nt="2000")
        expect("an NT floor of 2000 fails with the name", check(kind, imports, components, later),
               "%s!%s needs Windows 2000" % (dll, functions[-1]))
        later = dict(entries)
        later[(dll.upper(), functions[0])] = dict(later[(dll.upper(), functions[0])], **{"9x": "98"})
        expect("a 9x floor of 98 fails with the name", check(kind, imports, components, later),
               "%s!%s needs Windows 98" % (dll, functions[0]))
        opengl = next((d, f) for d, f in imports if d.upper() == "OPENGL32.DLL")
        key = (opengl[0].upper(), opengl[1][0])
        later = dict(entries)
        later[key] = dict(later[key], **{"9x": "98"})
        expect("a component does not admit more than Windows 95 OSR2", check(kind, imports, components, later),
               "needs Windows 98")
        later = dict(entries)
        later[key] = dict(later[key], component=None)
        expect("OSR2 without a component fails", check(kind, imports, components, later),
               "%s!%s needs Windows 95-OSR2" % key)
        expect("a foreign DLL fails", check(kind, imports + [("EVIL.dll", ["Run"])], components, entries),
               "not a platform DLL: EVIL.dll")

    # Made-up files for what the saver itself never has: ordinals, Unicode, 64 bits.
    with tempfile.TemporaryDirectory() as scratch:
        def made_up(kind_, imports_, extra_list="", **pe_options):
            file_ = Path(scratch) / "made_up.exe"
            file_.write_bytes(build_pe(kind_, imports_, **pe_options))
            listing = Path(scratch) / "list.txt"
            listing.write_text(list_text + "\n" + extra_list)
            return run_check(str(file_), str(listing), quiet=True)

        expect("an import by ordinal fails unless listed",
               made_up("PE32", [("KERNEL32.dll", [17])]), "imported by ordinal and not listed: KERNEL32.dll!#17")
        expect("an ordinal that is listed passes",
               made_up("PE32", [("KERNEL32.dll", [17])], "[KERNEL32.dll]\n#17 95 NT3.1 test\n"), None)
        expect("a Unicode entry point fails without its reason",
               made_up("PE32", [("USER32.dll", ["DefWindowProcW"])], "[USER32.dll]\nDefWindowProcW 95 NT3.1 test\n"),
               "USER32.dll!DefWindowProcW is a Unicode entry point")
        expect("a Unicode entry point with its reason passes",
               made_up("PE32", [("USER32.dll", ["DefWindowProcW"])],
                       "[USER32.dll]\nDefWindowProcW 95 NT3.1 test why-unicode=test\n"), None)
        expect("PE32+ with platform DLLs passes, whatever their functions",
               made_up("PE32+", [("KERNEL32.dll", ["GetFileSizeEx"]), ("msvcrt.dll", ["_initterm", 5])]), None)
        expect("PE32+ with another DLL fails", made_up("PE32+", [("USER32.dll", ["GetDC"]), ("libgcc_s.dll", [3])]),
               "not a platform DLL: libgcc_s.dll")
        expect("a PE32 file of the x86-64's machine fails",
               made_up("PE32", [("KERNEL32.dll", ["Sleep"])], machine=0x8664), "not a GUI PE of its width")
        expect("a console program fails", made_up("PE32+", [("KERNEL32.dll", ["Sleep"])], subsystem=3),
               "subsystem WINDOWS_CUI")
        for made_kind in ("PE32", "PE32+"):
            made = [("KERNEL32.dll", ["Sleep", 17, "Beep"]), ("GDI32.dll", [9])]
            file_ = Path(scratch) / "ordinals.exe"
            file_.write_bytes(build_pe(made_kind, made))
            read = objdump_imports(str(file_), made_kind)
            if read is not None:
                expect("objdump's reading of names and ordinals matches (%s)" % made_kind,
                       [] if read == made else ["objdump read %s" % read], None)
        expect("PE32+ is read as such", [read_imports(build_pe("PE32+", [("GDI32.dll", ["GetDC", 9])]))[0]], "PE32+")
        expect("PE32+ ordinals are read", [str(read_imports(build_pe("PE32+", [("GDI32.dll", [9])]))[1])],
               "('GDI32.dll', [9])")

    print("%d of %d self-test cases behaved" % (sum(results), len(results)))
    return all(results)


def main(argv):
    if len(argv) == 4 and argv[1] == "--self-test":
        return 0 if self_test(argv[2], argv[3]) else 1
    if len(argv) == 3 and argv[1] == "--facts":
        try:
            header, imports = read_pe(Path(argv[2]).read_bytes())
            print(" ".join(header))
            for dll, _ in imports:
                print(dll)
        except PeError as error:
            print("FAIL %s" % error)
            return 1
        failures = check_header(*header)
        for failure in failures:
            print("FAIL " + failure)
        return 1 if failures else 0
    if len(argv) == 3:
        return 1 if run_check(argv[1], argv[2]) else 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
